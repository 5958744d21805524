#include "ui/preview/WebBrowser.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "core/preview/PreviewFile.h"
#include "ui/preview/PreviewEngine.h"

#include <QAction>
#include <QDesktopServices>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TWebBrowserWin::TWebBrowserWin(QWidget *parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("WebBrowserWin"));
  resize(600, 450);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto *top = new QWidget(this);
  auto *row = new QHBoxLayout(top);
  row->setContentsMargins(4, 2, 4, 2);
  for (const char *size : {"640x480", "800x600", "1024x768"}) {
    auto *b = new QToolButton(top);
    b->setText(QString::fromLatin1(size));
    b->setObjectName(QStringLiteral("btn") + QString::fromLatin1(size));
    b->setToolTip(_("Window size"));
    connect(b, &QToolButton::clicked, this, [this, b] { SetBrowserSize(ParseSizeEntry(b->text())); });
    row->addWidget(b);
  }
  edURL = new QLineEdit(top);
  edURL->setObjectName(QStringLiteral("edURL"));
  row->addWidget(edURL, 1);
  tbTools = new QToolBar(top);
  row->addWidget(tbTools);
  layout->addWidget(top);
  FHost = new QWidget(this);
  FHostLayout = new QVBoxLayout(FHost);
  FHostLayout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FHost, 1);

  struct TRow {
    QAction **Action;
    const char *Name, *Caption, *Hint, *Icon;
    QStyle::StandardPixmap Fallback;
    QKeySequence Key;
    std::function<void()> Handler;
  };
  const auto engine = [this](auto f) {
    return [this, f] {
      if (FEngine)
        f(FEngine);
    };
  };
  const TRow rows[] = {
      {&ActionEdit, "ActionEdit", "Edit", "Edit source text", "document-edit", QStyle::SP_FileDialogContentsView, {},
       [this] {
         if (FCaller) {
           FCaller->raise();
           FCaller->activateWindow();
         }
       }},
      {&ActionRefresh, "ActionRefresh", "Reload", "Reload", "view-refresh", QStyle::SP_BrowserReload, {},
       engine([](TPreviewEngine *e) { e->Reload(); })},
      {&ActionHome, "ActionHome", "Home", "Home", "go-home", QStyle::SP_DirHomeIcon, {},
       engine([this](TPreviewEngine *e) { e->Navigate(QUrl(Home)); })},
      {&ActionBack, "ActionBack", "Previous page", "Previous page", "go-previous", QStyle::SP_ArrowBack,
       QKeySequence(Qt::ALT | Qt::Key_Left), engine([](TPreviewEngine *e) { e->Back(); })},
      {&ActionFwd, "ActionFwd", "Next page", "Next page", "go-next", QStyle::SP_ArrowForward,
       QKeySequence(Qt::ALT | Qt::Key_Right), engine([](TPreviewEngine *e) { e->Forward(); })},
      {&ActionCancel, "ActionCancel", "Cancel", "Close", "window-close", QStyle::SP_DialogCloseButton,
       QKeySequence(Qt::Key_Escape), [this] { close(); }},
      {&ActionExit, "ActionExit", "Exit", "Exit", "dialog-ok", QStyle::SP_DialogOkButton, {},
       [this] {
         FExitChosen = true;
         close();
       }},
  };
  for (const TRow &r : rows) {
    auto *a = new QAction(QIcon::fromTheme(QString::fromLatin1(r.Icon), style()->standardIcon(r.Fallback)),
                          _(r.Caption), this);
    a->setObjectName(QString::fromLatin1(r.Name));
    a->setToolTip(_(r.Hint));
    a->setShortcut(r.Key);
    connect(a, &QAction::triggered, this, r.Handler);
    tbTools->addAction(a);
    addAction(a);
    *r.Action = a;
  }
  // The application's back and forward commands (extra mouse buttons, browser keys).
  ActionBack->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Left), QKeySequence(Qt::Key_Back)});
  ActionFwd->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Right), QKeySequence(Qt::Key_Forward)});
  connect(edURL, &QLineEdit::returnPressed, this, [this] {
    if (TPreviewEngine *e = EnsureEngine())
      e->Navigate(QUrl(ReferenceAddress(edURL->text().trimmed())));
  });
}

TWebBrowserWin::~TWebBrowserWin() { SaveToIni(); }

void TWebBrowserWin::SetModernEngine(bool on) {
  if (on == FModern)
    return;
  FModern = on;
  if (FEngine) {
    FEngine->Widget()->hide();
    FEngine->deleteLater();
    FEngine = nullptr;
  }
}

TPreviewEngine *TWebBrowserWin::EnsureEngine() {
  if (FEngine)
    return FEngine;
  if (FModern)
    FEngine = CreateModernEngine(FHost);
  if (!FEngine)
    FEngine = CreateClassicEngine(FHost);
  FHostLayout->addWidget(FEngine->Widget());
  connect(FEngine, &TPreviewEngine::UrlChanged, this, [this](const QUrl &u) { edURL->setText(u.toString()); });
  connect(FEngine, &TPreviewEngine::EngineFailed, this, [this] {
    SetModernEngine(false);
    if (!Home.isEmpty())
      EnsureEngine()->Navigate(QUrl(Home));
  }, Qt::QueuedConnection);
  return FEngine;
}

bool TWebBrowserWin::Execute(QWidget *caller, const QString &title, const QKeySequence &shortcut, bool showOk,
                             const QString &org, const QString &url) {
  const QString address = ReferenceAddress(url);
  FCaller = caller;
  ActionEdit->setShortcut(shortcut);
  ActionEdit->setVisible(!shortcut.isEmpty());
  ActionExit->setVisible(shortcut.isEmpty() && showOk);
  if (isVisible() && (FEngine ? FEngine->Url().toString().compare(address, Qt::CaseInsensitive) == 0 ||
                                    Home.compare(address, Qt::CaseInsensitive) == 0
                              : org == FOrg)) {
    raise();
    activateWindow();
    return false;
  }
  const QUrl target(address);
  if (!target.isLocalFile() && target.scheme() != QLatin1String("qrc") && !FModern) {
    // The classic engine shows local pages only.
    QDesktopServices::openUrl(target);
    return false;
  }
  TPreviewEngine *e = EnsureEngine();
  setWindowTitle(title);
  Home = address;
  FOrg = org;
  edURL->setText(address);
  e->Navigate(target);
  FExitChosen = false;
  if (!shortcut.isEmpty()) {
    show();
    raise();
    activateWindow();
    return false;
  }
  setWindowModality(Qt::ApplicationModal);
  show();
  QEventLoop loop;
  connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
  while (isVisible())
    loop.processEvents(QEventLoop::WaitForMoreEvents);
  setWindowModality(Qt::NonModal);
  FOrg.clear();
  return FExitChosen;
}

void TWebBrowserWin::SetBrowserSize(QSize s) {
  if (!s.isValid())
    return;
  setWindowState(Qt::WindowNoState);
  layout()->activate();
  resize(s + (size() - FHost->size()));
}

void TWebBrowserWin::LoadFromIni(const QString &iniName, const QString &section) {
  FIniName = iniName;
  FSection = section;
  auto ini = TUnicodeIniFile::CreateForRead(iniName);
  const auto value = [&](const char *key, int def, int lo, int hi) {
    return qBound(lo, ini->ReadInteger(section, QString::fromLatin1(key), def), hi);
  };
  move(value("Left", 10, -10000, 30000), value("Top", 10, -10000, 30000));
  resize(value("Width", 600, 100, 16384), value("Height", 450, 100, 16384));
  const int state = value("State", 0, 0, 2);
  if (state == 2)
    setWindowState(Qt::WindowMaximized);
}

void TWebBrowserWin::SaveToIni() const {
  if (FIniName.isEmpty())
    return;
  auto ini = TUnicodeIniFile::CreateForWrite(FIniName);
  if (!ini)
    return;
  const Qt::WindowStates st = windowState();
  if (!(st & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
    ini->WriteInteger(FSection, QStringLiteral("Left"), x());
    ini->WriteInteger(FSection, QStringLiteral("Top"), y());
    ini->WriteInteger(FSection, QStringLiteral("Width"), width());
    ini->WriteInteger(FSection, QStringLiteral("Height"), height());
  }
  ini->WriteInteger(FSection, QStringLiteral("State"), st & Qt::WindowMaximized ? 2 : st & Qt::WindowMinimized ? 1 : 0);
  ini->UpdateFile();
}
