#include "ui/common/MessageBox.h"
#include "core/common/Translate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace {
QPointer<QWidget> Owner;
QString Caption = QStringLiteral("Velmo");
TMsgResponder Responder;
QString LastText;

// The box wraps its text at blanks only, so a long file name would be cut at the box's edge. Long
// runs without blanks get invisible break chances after each folder separator (and at least every
// 40 characters); the text itself is unchanged.
QString WithBreakChances(const QString &text) {
  constexpr qsizetype Long = 40;
  constexpr QChar Zwsp(0x200B);
  QString out;
  out.reserve(text.size() + 16);
  bool longRun = false;
  qsizetype sinceBreak = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    out += c;
    if (c.isSpace())
      continue;
    if (i == 0 || text[i - 1].isSpace()) { // a run starts: is it long?
      qsizetype end = i;
      while (end < text.size() && !text[end].isSpace())
        ++end;
      longRun = end - i > Long;
      sinceBreak = 0;
    }
    ++sinceBreak;
    if (longRun && i + 1 < text.size() && !text[i + 1].isSpace() &&
        (c == u'/' || c == u'\\' || sinceBreak >= Long)) {
      out += Zwsp;
      sinceBreak = 0;
    }
  }
  return out;
}
} // namespace

void SetMessageOwner(QWidget *mainWindow, const QString &caption) {
  Owner = mainWindow;
  Caption = caption;
}
QString ProgramCaption() { return Caption; }
void SetMessageResponder(TMsgResponder responder) { Responder = std::move(responder); }
QString LastMessageText() { return LastText; }

// The screen of the main window when there is one: a dialog belongs beside the window it serves,
// even when the pointer (or a stored position) is on another screen.
static QScreen *DialogScreen(QPoint pos) {
  if (Owner && Owner->isVisible())
    if (QScreen *s = QGuiApplication::screenAt(Owner->frameGeometry().center()))
      return s;
  if (QScreen *s = QGuiApplication::screenAt(pos))
    return s;
  return QGuiApplication::primaryScreen();
}

QPoint KeepOnScreen(QPoint pos, QSize size) {
  QScreen *screen = DialogScreen(pos);
  if (!screen)
    return pos;
  const QRect r = screen->availableGeometry();
  const int x = std::clamp(pos.x(), r.left(), std::max(r.left(), r.left() + r.width() - size.width()));
  const int y = std::clamp(pos.y(), r.top(), std::max(r.top(), r.top() + r.height() - size.height()));
  return {x, y};
}

namespace {
// Checks the place once more when the window is on screen and its frame (title bar, border) is
// known, then removes itself.
class TOnScreenKeeper : public QObject {
public:
  TOnScreenKeeper(QWidget *w, QPoint pos) : QObject(w), FPos(pos) { w->installEventFilter(this); }

protected:
  bool eventFilter(QObject *o, QEvent *e) override {
    if (e->type() == QEvent::Show) {
      auto *w = static_cast<QWidget *>(o);
      QTimer::singleShot(0, w, [w, pos = FPos] { KeepWindowOnScreen(w, pos, false); });
      w->removeEventFilter(this);
      deleteLater();
    }
    return false;
  }

private:
  QPoint FPos;
};
} // namespace

void KeepWindowOnScreen(QWidget *window, QPoint pos, bool recheckWhenShown) {
  if (!window->isVisible() && !window->testAttribute(Qt::WA_Resized))
    window->adjustSize();
  // Before the window is shown its frame is not known: the title bar is allowed for.
  const QRect frame = window->frameGeometry();
  QSize size = frame.size().expandedTo(window->size());
  int titleBar = frame.top() < window->geometry().top() ? window->geometry().top() - frame.top() : 0;
  if (!window->isVisible() && titleBar == 0) {
    titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    size += QSize(0, titleBar);
  }
  const QPoint at = KeepOnScreen(pos, size);
  // move() places the frame's corner for top-level windows.
  window->move(at);
  if (recheckWhenShown && !window->isVisible())
    new TOnScreenKeeper(window, pos);
}

TMsgResult ShowMessage(TMsgKind kind, const QString &text, const TMsgOptions &options) {
  QString body = text, caption = options.Caption.isEmpty() ? Caption : options.Caption;
  if (options.CaptionInText)
    if (const qsizetype bar = text.indexOf(u'|'); bar >= 0) {
      caption = text.left(bar);
      body = text.mid(bar + 1);
    }
  LastText = body;
  if (Responder)
    return Responder(kind, body);
  // Texts are built with CR LF in places; the label wants plain line feeds.
  body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  body.replace(u'\r', u'\n');
  body = WithBreakChances(body);

  QMessageBox box(Owner);
  box.setWindowTitle(caption);
  // Plain text always: a message quoting a piece of HTML must show it, not render it.
  box.setTextFormat(Qt::PlainText);
  box.setText(body);
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  switch (kind) {
  case mkError:
    box.setIcon(QMessageBox::Critical);
    box.setStandardButtons(QMessageBox::Ok);
    break;
  case mkInformation:
    box.setIcon(QMessageBox::Information);
    box.setStandardButtons(QMessageBox::Ok);
    break;
  case mkConfirm:
  case mkConfirmCancel:
    box.setIcon(QMessageBox::Question);
    box.setStandardButtons(kind == mkConfirm ? QMessageBox::Yes | QMessageBox::No
                                             : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(options.Default == mrNo       ? QMessageBox::No
                         : options.Default == mrCancel ? QMessageBox::Cancel
                                                       : QMessageBox::Yes);
    break;
  }
  const std::pair<QMessageBox::StandardButton, const char *> labels[] = {
      {QMessageBox::Yes, "&Yes"}, {QMessageBox::No, "&No"}, {QMessageBox::Cancel, "Cancel"}};
  for (const auto &[button, label] : labels)
    if (QAbstractButton *b = box.button(button))
      b->setText(_(label));
  // The box fixes its own size when it is shown: wide enough for its caption plus 50 pixels and
  // for the text, whose lines it wraps only past half the screen's width. So it is placed once
  // its size is known.
  const auto place = [&box, &options] {
    QPoint pos;
    const QSize sz = box.isVisible() ? box.frameGeometry().size() : box.sizeHint();
    if (options.Place == mpPoint && options.At != QPoint(-1, -1))
      pos = options.At;
    else if (options.Place == mpMainWindow && Owner && Owner->isVisible())
      pos = Owner->frameGeometry().center() - QPoint(sz.width() / 2, sz.height() / 2);
    else if (QScreen *s = QGuiApplication::primaryScreen())
      pos = s->availableGeometry().center() - QPoint(sz.width() / 2, sz.height() / 2);
    box.move(KeepOnScreen(pos, sz));
  };
  place();
  QTimer::singleShot(0, &box, place);

  bool timedOut = false;
  if (options.TimeoutSeconds > 0)
    QTimer::singleShot(options.TimeoutSeconds * 1000, &box, [&] {
      timedOut = true;
      box.done(QMessageBox::Ok);
    });
  const int r = box.exec();
  if (timedOut)
    return mrOk;
  switch (r) {
  case QMessageBox::Yes:
    return mrYes;
  case QMessageBox::No:
    return mrNo;
  case QMessageBox::Cancel:
    return mrCancel;
  default:
    return kind == mkConfirm ? mrNo : kind == mkConfirmCancel ? mrCancel : mrOk;
  }
}
