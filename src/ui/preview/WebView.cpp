#include "ui/preview/WebView.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "core/preview/PreviewFile.h"
#include "ui/preview/PreviewEngine.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TfrmWebView::TfrmWebView(QWidget *parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("frmWebView"));
  setWindowTitle(QStringLiteral("WebView"));
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  paTop = new QWidget(this);
  paTop->setObjectName(QStringLiteral("paTop"));
  auto *top = new QHBoxLayout(paTop);
  top->setContentsMargins(4, 2, 4, 2);
  imgIcon = new QLabel(paTop);
  imgIcon->setObjectName(QStringLiteral("imgIcon"));
  top->addWidget(imgIcon);
  edURL = new QLineEdit(paTop);
  edURL->setObjectName(QStringLiteral("edURL"));
  top->addWidget(edURL, 1);
  cbSize = new QComboBox(paTop);
  cbSize->setObjectName(QStringLiteral("cbSize"));
  cbSize->addItem(QString());
  cbSize->addItems(PreviewSizeEntries());
  top->addWidget(cbSize);
  struct TButton {
    QToolButton **Button;
    const char *Name, *Hint, *Icon;
    QStyle::StandardPixmap Fallback;
  };
  const TButton buttons[] = {
      {&bbBack, "bbBack", "Previous page", "go-previous", QStyle::SP_ArrowBack},
      {&bbFwd, "bbFwd", "Next page", "go-next", QStyle::SP_ArrowForward},
      {&bbRefresh, "bbRefresh", "Reload", "view-refresh", QStyle::SP_BrowserReload},
      {&bbHome, "bbHome", "Home", "go-home", QStyle::SP_DirHomeIcon},
      {&bbGo, "bbGo", "Open site", "go-jump", QStyle::SP_CommandLink},
      {&bbExit, "bbExit", "Exit", "window-close", QStyle::SP_DialogCloseButton},
  };
  for (const TButton &b : buttons) {
    auto *tb = new QToolButton(paTop);
    tb->setObjectName(QString::fromLatin1(b.Name));
    tb->setToolTip(_(b.Hint));
    tb->setIcon(QIcon::fromTheme(QString::fromLatin1(b.Icon), style()->standardIcon(b.Fallback)));
    tb->setAutoRaise(true);
    top->addWidget(tb);
    *b.Button = tb;
  }
  layout->addWidget(paTop);
  WVWindowParent = new QWidget(this);
  WVWindowParent->setObjectName(QStringLiteral("WVWindowParent"));
  FHostLayout = new QVBoxLayout(WVWindowParent);
  FHostLayout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(WVWindowParent, 1);

  connect(bbBack, &QToolButton::clicked, this, [this] {
    if (FEngine)
      FEngine->Back();
  });
  connect(bbFwd, &QToolButton::clicked, this, [this] {
    if (FEngine)
      FEngine->Forward();
  });
  connect(bbRefresh, &QToolButton::clicked, this, [this] {
    if (FEngine)
      FEngine->Reload();
  });
  connect(bbHome, &QToolButton::clicked, this, [this] { Navigate(Home); });
  connect(bbGo, &QToolButton::clicked, this, [this] { Navigate(edURL->text().trimmed()); });
  connect(edURL, &QLineEdit::returnPressed, this, [this] { Navigate(edURL->text().trimmed()); });
  connect(bbExit, &QToolButton::clicked, this, &TfrmWebView::HideWebPage);
  connect(cbSize, &QComboBox::activated, this, &TfrmWebView::SizeChosen);
  auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &TfrmWebView::HideWebPage);
  CanUseWebView = ModernEngineAvailable(&EngineVersion);
  FWantedSize = {1024, 768};
  UpdateIcon();
  UpdateSizeEntry();
}

TfrmWebView::~TfrmWebView() { SaveToIni(); }

void TfrmWebView::Navigate(const QString &address) {
  if (address.isEmpty())
    return;
  if (TPreviewEngine *e = EnsureEngine())
    e->Navigate(QUrl::fromUserInput(address, QString(), QUrl::AssumeLocalFile));
}

TPreviewEngine *TfrmWebView::EnsureEngine() {
  if (FEngine)
    return FEngine;
  if (FEdgeMode) {
    FEngine = CreateModernEngine(WVWindowParent);
    if (!FEngine) {
      FEdgeMode = false;
      UpdateIcon();
      emit EngineFailed(_("Edge browser not available"));
    }
  }
  if (!FEngine)
    FEngine = CreateClassicEngine(WVWindowParent);
  FHostLayout->addWidget(FEngine->Widget());
  FEngine->Widget()->installEventFilter(this);
  connect(FEngine, &TPreviewEngine::UrlChanged, this, [this](const QUrl &u) {
    edURL->setText(u.isLocalFile() ? u.toLocalFile() : u.toString());
  });
  connect(FEngine, &TPreviewEngine::EngineFailed, this, [this](const QString &why) {
    // A modern engine that fails is not tried again in this run; the page shows in the classic one.
    CanUseWebView = false;
    DropEngine();
    FEdgeMode = false;
    UpdateIcon();
    if (!Home.isEmpty())
      Navigate(Home);
    emit EngineFailed(_("Edge browser not available") + QStringLiteral("\n") + why);
  }, Qt::QueuedConnection);
  return FEngine;
}

void TfrmWebView::DropEngine() {
  if (!FEngine)
    return;
  FEngine->deleteLater();
  FEngine->Widget()->hide();
  FEngine = nullptr;
}

void TfrmWebView::ShowWebPage(QWidget *caller, const QString &title, const QString &org, const QString &url) {
  setWindowTitle(title);
  FCaller = caller;
  Home = url;
  ChangePage = false;
  FOrg = org;
  FShownAt.start();
  Navigate(Home);
  if (isVisible()) {
    if (isMinimized())
      setWindowState(windowState() & ~Qt::WindowMinimized);
  } else {
    show();
  }
  raise();
  activateWindow();
}

void TfrmWebView::FollowDocument() {
  if (!FOnRefresh || !isVisible())
    return;
  QString caption, org, page;
  FOnRefresh(caption, org, page);
  if (page.isEmpty())
    return;
  if (org == FOrg && FEngine && FEngine->Url() == QUrl::fromLocalFile(page))
    FEngine->Reload();
  else
    Navigate(page);
  Home = page;
  setWindowTitle(caption);
  FOrg = org;
}

bool TfrmWebView::event(QEvent *e) {
  if (e->type() == QEvent::WindowActivate && FShownAt.isValid() && FShownAt.elapsed() > 500)
    FollowDocument();
  return QWidget::event(e);
}

bool TfrmWebView::eventFilter(QObject *o, QEvent *e) {
  // F12 in the page returns to the editor, as the main window's preview key does there.
  if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent *>(e)->key() == Qt::Key_F12) {
    HideWebPage();
    return true;
  }
  return QWidget::eventFilter(o, e);
}

void TfrmWebView::HideWebPage() {
  QWidget *target = FCaller ? FCaller.data() : parentWidget();
  if (!target)
    target = QApplication::activeWindow();
  if (target && target != this) {
    target->raise();
    target->activateWindow();
  }
}

bool TfrmWebView::SetBrowserMode(bool edgeMode) {
  if (edgeMode && !CanUseWebView)
    return false;
  if (edgeMode == FEdgeMode)
    return true;
  if (isVisible())
    close();
  DropEngine();
  FEdgeMode = edgeMode;
  UpdateIcon();
  return true;
}

void TfrmWebView::UpdateIcon() {
  const QIcon icon = FEdgeMode ? QIcon::fromTheme(QStringLiteral("internet-web-browser"),
                                                   style()->standardIcon(QStyle::SP_DriveNetIcon))
                               : QIcon::fromTheme(QStringLiteral("text-html"), style()->standardIcon(QStyle::SP_FileIcon));
  imgIcon->setPixmap(icon.pixmap(16, 16));
  imgIcon->setToolTip(FEdgeMode ? _("Edge Browser") + QStringLiteral(" (") + EngineVersion + u')'
                                : _("Classic Browser"));
}

QSize TfrmWebView::BrowserSize() const { return WVWindowParent->size(); }

void TfrmWebView::SetBrowserSize(QSize size) {
  if (!size.isValid())
    return;
  if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
    setWindowState(Qt::WindowNoState);
  if (!isVisible()) {
    FWantedSize = size;
    return;
  }
  layout()->activate();
  const QSize chrome = this->size() - WVWindowParent->size();
  resize(size + chrome);
  layout()->activate();
}

void TfrmWebView::SizeChosen(int index) {
  const QSize s = ParseSizeEntry(cbSize->itemText(index));
  if (!s.isValid())
    return;
  SaveResize = false;
  SetBrowserSize(s);
  SaveResize = true;
  cbSize->setItemText(0, SizeEntryText(s));
  cbSize->setCurrentIndex(0);
}

void TfrmWebView::UpdateSizeEntry() {
  cbSize->setItemText(0, SizeEntryText(isVisible() ? BrowserSize() : FWantedSize));
}

void TfrmWebView::resizeEvent(QResizeEvent *e) {
  QWidget::resizeEvent(e);
  if (SaveResize && isVisible())
    UpdateSizeEntry();
}

void TfrmWebView::showEvent(QShowEvent *e) {
  QWidget::showEvent(e);
  if (FWantedSize.isValid()) {
    const QSize wanted = FWantedSize;
    FWantedSize = {};
    SetBrowserSize(wanted);
    UpdateSizeEntry();
  }
}

void TfrmWebView::LoadFromIni(const QString &iniName, const QString &section) {
  FIniName = iniName;
  FSection = section;
  auto ini = TUnicodeIniFile::CreateForRead(iniName);
  const auto value = [&](const char *key, int def, int lo, int hi) {
    return qBound(lo, ini->ReadInteger(section, QString::fromLatin1(key), def), hi);
  };
  move(value("Left", 10, -10000, 30000), value("Top", 10, -10000, 30000));
  const QSize s(value("Width", 1024, 100, 16384), value("Height", 768, 100, 16384));
  RefreshWhileTyping = ini->ReadBool(section, QStringLiteral("RefreshWhileTyping"), false);
  if (isVisible())
    SetBrowserSize(s);
  else
    FWantedSize = s;
  cbSize->setItemText(0, SizeEntryText(s));
  cbSize->setCurrentIndex(0);
}

void TfrmWebView::SaveToIni() const {
  if (FIniName.isEmpty())
    return;
  auto ini = TUnicodeIniFile::CreateForWrite(FIniName);
  if (!ini)
    return;
  // The place only when it is the normal one (and known: a window never shown has none of its own).
  if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
    const QSize s = FWantedSize.isValid() ? FWantedSize : BrowserSize();
    ini->WriteInteger(FSection, QStringLiteral("Left"), x());
    ini->WriteInteger(FSection, QStringLiteral("Top"), y());
    ini->WriteInteger(FSection, QStringLiteral("Width"), s.width());
    ini->WriteInteger(FSection, QStringLiteral("Height"), s.height());
  }
  ini->WriteBool(FSection, QStringLiteral("RefreshWhileTyping"), RefreshWhileTyping);
  ini->UpdateFile();
}
