#include "ui/publish/StartScreen.h"

#include "core/common/Translate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace {
QPointer<TStartScreen> TheScreen;
// What the outermost scope would show: kept until the screen is due.
struct TPending {
  bool Active = false;
  QElapsedTimer Clock;
  QString Comment, Notice, Status, Project, File;
} Pending;

// Brings the screen up once the work has lasted long enough to be worth telling about.
void ShowWhenDue() {
  if (TheScreen || !Pending.Active || Pending.Clock.elapsed() < TStartScreenScope::DelayMs)
    return;
  TheScreen = new TStartScreen;
  TheScreen->ShowMsg(Pending.Comment, Pending.Notice);
  if (!Pending.Status.isEmpty())
    TheScreen->ShowStatus(Pending.Status);
  if (!Pending.Project.isEmpty())
    TheScreen->ShowProject(Pending.Project);
  if (!Pending.File.isEmpty())
    TheScreen->ShowFileName(Pending.File);
}
} // namespace

TStartScreen::TStartScreen(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("StartScreen"));
  setFixedSize(300, 225);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, QColor(0x70, 0x8f, 0xb5));
  setPalette(pal);
  auto *lay = new QVBoxLayout(this);
  auto *title = new QLabel(QStringLiteral("Quillmark"), this);
  QFont big = title->font();
  big.setPointSize(big.pointSize() * 2);
  big.setBold(true);
  title->setFont(big);
  title->setStyleSheet(QStringLiteral("color: white"));
  lay->addWidget(title);
  lay->addStretch();
  auto *panel = new QFrame(this);
  panel->setAutoFillBackground(true);
  QPalette pp = panel->palette();
  pp.setColor(QPalette::Window, QColor(0xfe, 0xfa, 0xf0)); // 15792894 as a platform colour
  panel->setPalette(pp);
  auto *pl = new QVBoxLayout(panel);
  pl->setContentsMargins(6, 4, 6, 4);
  pl->setSpacing(1);
  const auto line = [panel, pl](const char *name) {
    auto *l = new QLabel(panel);
    l->setObjectName(QString::fromLatin1(name));
    pl->addWidget(l);
    return l;
  };
  lblVers = line("lblVers");
  lblCop = line("lblCop");
  lblStat = line("lblStat");
  lblStat->setText(_("Loading project ..."));
  lblProject = line("lblProject");
  lblFiles = line("lblFiles");
  lay->addWidget(panel);
  // Start-up may ask questions (the root folder, a project); the screen must not hide them.
  qApp->installEventFilter(this);
}

bool TStartScreen::eventFilter(QObject *o, QEvent *e) {
  if (e->type() == QEvent::Show && o != this && o->isWidgetType()) {
    const auto *w = static_cast<QWidget *>(o);
    if (w->isWindow() && (w->isModal() || w->windowType() == Qt::Dialog))
      hide();
  }
  return QWidget::eventFilter(o, e);
}

TStartScreen *TStartScreen::Current() {
  return TheScreen;
}

void TStartScreen::ShowMsg(const QString &comment, const QString &notice) {
  lblVers->setText(comment);
  lblCop->setText(QString(notice).replace(QLatin1String(", "), QLatin1String("\n    ")));
  lblProject->clear();
  lblFiles->clear();
  if (const QScreen *s = QGuiApplication::primaryScreen())
    move(s->availableGeometry().center() - rect().center());
  show();
  raise();
  repaint();
}

void TStartScreen::ShowStatus(const QString &text) {
  lblStat->setText(text);
  // Painted at once: the work it tells about keeps the event loop busy, and handling events in
  // the middle of start-up could run queued work out of its order.
  lblStat->repaint();
}

void TStartScreen::ShowProject(const QString &name) {
  lblProject->setText(name);
  lblProject->repaint();
}

void TStartScreen::ShowFileName(const QString &path) {
  lblFiles->setText(lblFiles->fontMetrics().elidedText(path, Qt::ElideMiddle, width() - 20));
  lblFiles->setToolTip(path);
  lblFiles->repaint();
}

TStartScreenScope::TStartScreenScope(const QString &comment, const QString &notice) {
  if (Pending.Active)
    return;
  FOwner = true;
  Pending = TPending{true, {}, comment, notice, {}, {}, {}};
  Pending.Clock.start();
  ShowWhenDue();
}

TStartScreenScope::~TStartScreenScope() {
  if (!FOwner)
    return;
  Pending = TPending();
  if (TheScreen)
    delete TheScreen.data();
}

void TStartScreenScope::Status(const QString &text) {
  Pending.Status = text;
  if (TheScreen)
    TheScreen->ShowStatus(text);
  else
    ShowWhenDue();
}
void TStartScreenScope::Project(const QString &name) {
  Pending.Project = name;
  if (TheScreen)
    TheScreen->ShowProject(name);
  else
    ShowWhenDue();
}
void TStartScreenScope::FileName(const QString &path) {
  Pending.File = path;
  if (TheScreen)
    TheScreen->ShowFileName(path);
  else
    ShowWhenDue();
}
