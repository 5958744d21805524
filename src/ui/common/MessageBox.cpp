#include "ui/common/MessageBox.h"
#include "core/common/Translate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QTimer>

namespace {
QPointer<QWidget> Owner;
QString Caption = QStringLiteral("Velmo");
TMsgResponder Responder;
QString LastText;
} // namespace

void SetMessageOwner(QWidget *mainWindow, const QString &caption) {
  Owner = mainWindow;
  Caption = caption;
}
QString ProgramCaption() { return Caption; }
void SetMessageResponder(TMsgResponder responder) { Responder = std::move(responder); }
QString LastMessageText() { return LastText; }

QPoint KeepOnScreen(QPoint pos, QSize size) {
  QScreen *screen = QGuiApplication::screenAt(pos);
  if (!screen)
    screen = QGuiApplication::primaryScreen();
  if (!screen)
    return pos;
  const QRect r = screen->availableGeometry();
  const int x = std::clamp(pos.x(), r.left(), std::max(r.left(), r.right() - size.width()));
  const int y = std::clamp(pos.y(), r.top(), std::max(r.top(), r.bottom() - size.height()));
  return {x, y};
}

TMsgResult ShowMessage(TMsgKind kind, const QString &text, const TMsgOptions &options) {
  QString body = text, caption = options.Caption.isEmpty() ? Caption : options.Caption;
  if (const qsizetype bar = text.indexOf(u'|'); bar >= 0) {
    caption = text.left(bar);
    body = text.mid(bar + 1);
  }
  LastText = body;
  if (Responder)
    return Responder(kind, body);

  QMessageBox box(Owner);
  box.setWindowTitle(caption);
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
  // Wide enough for the whole caption.
  box.setStyleSheet(QStringLiteral("QLabel{min-width:%1px;}")
                        .arg(std::max(0, QFontMetrics(box.font()).horizontalAdvance(caption) + 50 - 60)));
  box.adjustSize();
  QPoint pos;
  const QSize sz = box.sizeHint();
  if (options.Place == mpPoint && options.At != QPoint(-1, -1))
    pos = options.At;
  else if (options.Place == mpMainWindow && Owner && Owner->isVisible())
    pos = Owner->frameGeometry().center() - QPoint(sz.width() / 2, sz.height() / 2);
  else if (QScreen *s = QGuiApplication::primaryScreen())
    pos = s->availableGeometry().center() - QPoint(sz.width() / 2, sz.height() / 2);
  box.move(KeepOnScreen(pos, sz));

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
