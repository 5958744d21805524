#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPanels.h"
#include "ui/shell/FilesTabBar.h"
#include "ui/shell/MainShell.h"
#include "ui/app/HauptFormPreview.h"
#include "core/app/LanguageList.h"
#include "core/editor/SpellCheck.h"
#include "core/common/FileNames.h"
#include "core/common/IniFileUtils.h"
#include "core/common/LangIds.h"
#include "core/common/Translate.h"
#include "core/editor/Entities.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/FtpThread.h"
#include "ui/projects/SelectProjectDlg.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/Icons.h"
#include "ui/common/AfterShown.h"
#include "ui/common/ClipboardState.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/InsertCommands.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/publish/Publishing.h"
#include "ui/publish/StartScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDateTime>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <Qsci/qscilexer.h>
#include <QtEndian>
#include <tuple>

THauptForm::THauptForm(const QStringList &args, QWidget *parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("HauptForm"));
  Paths = TAppPaths::FromEnvironment();
  ProgVersName = QStringLiteral("Quillmark");
  ProgVers = QStringLiteral(" (") + _("Version") + u' ' + QStringLiteral(QUILLMARK_VERSION) + u')';
  ProgVersDate = QLocale().toString(QFileInfo(QCoreApplication::applicationFilePath()).lastModified().date(),
                                    QLocale::ShortFormat);
  setWindowTitle(QStringLiteral("Velmo") + ProgVers);
  // The resources live in a static library: without this their registration is not linked in.
  Q_INIT_RESOURCE(resources);
  // Every window's icon (documents and dialogs take it from the program).
  QApplication::setWindowIcon(BundledIcon("quillmark"));
  SetMessageOwner(this, windowTitle());

  CommandLine = ParseCommandLine(args, Paths.AppPath);
  if (!CommandLine.IniName.isEmpty())
    Paths.IniName = CommandLine.IniName;

  {
    auto ini = TUnicodeIniFile::CreateForRead(Paths.IniName);
    if (!ini->LoadError().isEmpty())
      ErrorBox(FormatS(_("Error reading file \"%s\": %s"), {Paths.IniName, ini->LoadError()}));
    Settings.Read(*ini, IsEnglishInterface());
    // Not offered in the interface: lets a test (or an impatient user) tick in seconds.
    FAutoSaveSeconds = ini->ReadInteger(QStringLiteral("Config"), QStringLiteral("AutoSaveSeconds"), 0);
    HistList = new THistoryList(this, 15);
    HistList->LoadFromIni(*ini, QStringLiteral("RecentFiles"));
  }
  if ((Settings.HtmlHelpMode == hhChm || Settings.HtmlHelpMode == hhHtml) &&
      !QFileInfo::exists(Settings.HtmlRefPath))
    Settings.HtmlHelpMode = hhOff;


  auto *central = new QWidget(this);
  auto *layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  FToolPanel = new QWidget(central);
  FToolPanel->setObjectName(QStringLiteral("ToolPanel"));
  layout->addWidget(FToolPanel);
  FMdi = new QMdiArea(central);
  FMdi->setObjectName(QStringLiteral("MdiArea"));
  FMdi->setViewMode(QMdiArea::SubWindowView);
  layout->addWidget(FMdi, 1);
  FTabs = new TFilesTabBar(central);
  FTabs->setObjectName(QStringLiteral("tcFiles"));
  FTabs->setExpanding(false);
  FTabs->setDocumentMode(true);
  layout->addWidget(FTabs);
  setCentralWidget(central);

  connect(FMdi, &QMdiArea::subWindowActivated, this, &THauptForm::SubWindowActivated);
  FTabs->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FTabs, &QTabBar::customContextMenuRequested, this, &THauptForm::TabContextMenu);
  connect(FTabs, &QTabBar::currentChanged, this, [this](int i) {
    if (i < 0 || i >= FMdi->subWindowList().size())
      return;
    for (QMdiSubWindow *w : FMdi->subWindowList())
      if (auto *d = qobject_cast<TMDIForm *>(w->widget()); d && d->WinIndex == i && FMdi->activeSubWindow() != w)
        FMdi->setActiveSubWindow(w);
  });
  connect(qApp, &QApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
    if (s == Qt::ApplicationActive && ActiveDocument())
      ActiveDocument()->UpdateText();
  });

  FAutoSaveTimer = new QTimer(this);
  connect(FAutoSaveTimer, &QTimer::timeout, this, &THauptForm::AutoSaveTick);
  CreateMenus();
  CreateStatusBar();
  auto *projectBar = addToolBar(_("Project"));
  projectBar->setObjectName(QStringLiteral("tbProject"));
  projectBar->addWidget(new QLabel(_("Project:") + u' ', projectBar));
  FProjectBox = new QComboBox(projectBar);
  FProjectBox->setObjectName(QStringLiteral("cbProject"));
  FProjectBox->setMinimumWidth(200);
  projectBar->addWidget(FProjectBox);
  connect(FProjectBox, &QComboBox::activated, this, [this](int i) { SwitchProject(i); });
  // The project button: its drop-down holds the project commands, a click edits the project.
  auto *projectButton = new QToolButton(projectBar);
  projectButton->setObjectName(QStringLiteral("tbtnProject"));
  projectButton->setMenu(FProjectMenu);
  projectButton->setPopupMode(QToolButton::MenuButtonPopup);
  projectButton->setDefaultAction(Action(QStringLiteral("ActionProjectEdit")));
  projectBar->addWidget(projectButton);
  ReadProjects();
  InstallInsertDialogs();
  FMainPanels = new TMainPanels(this);
  FShell = new TMainShell(this);
  ApplyActionIcons(this);

  SetAutoSave(Settings.AutoSaveTime);
  qApp->installEventFilter(this);
  resize(Settings.Form.Width, Settings.Form.Height);
  move(Settings.Form.Left, Settings.Form.Top);
}

THauptForm::~THauptForm() {
  // The insert commands' dialog hooks point at this window's dialogs.
  ResetInsertDialogs();
}

TFtpThread *THauptForm::FtpSession() {
  // Made on first use and kept for the program's life; the client certificate files are looked up
  // in the program folder (they are optional).
  if (!FFtpSession)
    FFtpSession = std::make_unique<TFtpThread>(std::make_unique<TExtFtp>(
        QByteArrayLiteral("pqmwzvkb"), QStringLiteral("corvel.key"), QStringLiteral("corvel.crt"),
        QStringLiteral("corvelroot.pem"), Paths.ProgramDir));
  return FFtpSession.get();
}

void THauptForm::CreateMenus() {
  struct TActionRow {
    const char *Name;
    const char *Caption;
    int Tag;
    QList<QKeySequence> Keys;
    std::function<void()> Handler;
  };
  // The New commands start in the active document's folder (HTML pages choose their template there).
  const auto newDoc = [this](TFileTypes ft) { return [this, ft] { CreateNewText(ft, true); }; };
  const std::vector<TActionRow> rows = {
      {"ActionNewHtml",
       "&Html document",
       1001,
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)},
       newDoc(ftHtml)},
      {"ActionNewCss", "&CSS document", 1002, {}, newDoc(ftCss)},
      {"ActionNewJs", "&Javascript", 1003, {}, newDoc(ftJs)},
      {"ActionNewText", "&Text document", 1004, {}, newDoc(ftText)},
      {"ActionOpen", "&Open ..", 1005, {QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { OpenExecute(); }},
      {"ActionClose", "&Close", 1006, {QKeySequence(Qt::CTRL | Qt::Key_F4)}, [this] { CloseExecute(); }},
      {"ActionSave",
       "&Save",
       1008,
       {QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_S)},
       [this] { SaveExecute(); }},
      {"ActionSaveAs", "Save &as ..", 1009, {}, [this] { SaveAsExecute(); }},
      {"ActionSaveAll",
       "Save &all",
       1010,
       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
       [this] { SaveAllExecute(); }},
      {"ActionExit", "&Quit", 1011, {QKeySequence(Qt::ALT | Qt::Key_X)}, [this] { close(); }},
      {"ActionNewPhp", "&PHP file", 1012, {}, newDoc(ftPhp)},
      {"ActionNewPerl", "P&erl script", 1013, {}, newDoc(ftPerl)},
      {"ActionNewVbs", "&Visual Basic script", 1014, {}, newDoc(ftVbs)},
      {"ActionCloseAll", "&Close all", 0, {}, [this] { CloseAllExecute(); }},
      {"ActionSelectDoc",
       "Select &Document",
       0,
       {QKeySequence(Qt::CTRL | Qt::Key_D)},
       [this] { SelectDocumentExecute(); }},
      {"ActionAutoSave", "&Autosave ..", 0, {}, [this] { AutoSaveExecute(); }},
      {"ActionRootDir",
       "&Root directory ..",
       0,
       {},
       [this] {
         if (SelectRootDir())
           ProjFilePath = Settings.StdPath + QStringLiteral("Velmo-Projects");
         ShowStatus(ActiveDocument(), true);
       }},
      {"ActionAbout", "About &program", 0, {}, [this] { AboutExecute(); }},
      {"ActionProjectClose", "&Close project", 3001, {}, [this] { CloseProjectExecute(); }},
      {"ActionProjectEdit", "&Edit project", 3002, {}, [this] { EditProjectExecute(); }},
      {"ActionProjectNew", "&New project", 3003, {}, [this] { NewProject(QCursor::pos()); }},
      {"ActionProjectLoad", "&Load project ..", 3004, {}, [this] { OpenProjectFile(); }},
      {"ActionProjectSaveAs", "Save project &as ..", 3005, {}, [this] { SaveProjectAsExecute(); }},
      {"ActionProjectManager", "&Project order ..", 3007, {}, [this] { ProjectOrderExecute(); }},
  };
  for (const TActionRow &r : rows) {
    auto *a = new QAction(_(r.Caption), this);
    a->setObjectName(QString::fromLatin1(r.Name));
    a->setData(r.Tag);
    a->setShortcuts(r.Keys);
    connect(a, &QAction::triggered, this, r.Handler);
    addAction(a);
    FActions << a;
  }

  FFileMenu = menuBar()->addMenu(_("&File"));
  QMenu *newMenu = FFileMenu->addMenu(_("&New"));
  for (const char *n : {"ActionNewHtml", "ActionNewCss", "ActionNewJs", "ActionNewPhp", "ActionNewVbs",
                        "ActionNewPerl", "ActionNewText"})
    newMenu->addAction(Action(QString::fromLatin1(n)));
  FFileMenu->addAction(Action(QStringLiteral("ActionOpen")));
  FRecentMenu = FFileMenu->addMenu(_("Recent files"));
  FRecentMenu->addAction(_("Clear list"), this, &THauptForm::ClearRecentExecute);
  FRecentMirror = new THistoryMenu(HistList, this);
  FRecentMirror->SetMenu(FRecentMenu);
  connect(FRecentMirror, &THistoryMenu::AutoItemClick, this,
          [this](QMenu *, const QString &name) { OpenTextFile(name); });
  const char *const fileItems[] = {"ActionSave",      "ActionSaveAs",   "ActionSaveAll", nullptr,
                                   "ActionClose",     "ActionCloseAll", "ActionSelectDoc", nullptr,
                                   "ActionAutoSave",  "ActionRootDir",  nullptr,          "ActionExit"};
  for (const char *n : fileItems) {
    if (n)
      FFileMenu->addAction(Action(QString::fromLatin1(n)));
    else
      FFileMenu->addSeparator();
  }
  FAutoSaveAction = Action(QStringLiteral("ActionAutoSave"));
  FAutoSaveAction->setCheckable(true);

  FProjectMenu = menuBar()->addMenu(_("&Project"));
  FProjectMenu->setObjectName(QStringLiteral("itmProject"));
  for (const char *n : {"ActionProjectNew", "ActionProjectEdit", "ActionProjectLoad", "ActionProjectSaveAs",
                        "ActionProjectClose", "ActionProjectManager"})
    FProjectMenu->addAction(Action(QString::fromLatin1(n)));
  FProjectMenu->addSeparator();
  for (const auto &[name, caption, delta] :
       {std::tuple{"itmProjUp", "Move project &up", -1}, std::tuple{"itmProjDn", "Move project &down", 1}}) {
    QAction *a = FProjectMenu->addAction(_(caption));
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, d = delta] { MoveProject(d); });
  }

  InstallPublishing(this, FProjectMenu);

  FHelpMenu = new QMenu(_("&Help"), this);
  FHelpMenu->addAction(Action(QStringLiteral("ActionAbout")));
  menuBar()->addMenu(FHelpMenu);
  InstallPreview(this);
  CreateLanguageMenu();
  InstallViewSettings();
}

QAction *THauptForm::Action(const QString &name) const {
  for (QAction *a : FActions)
    if (a->objectName() == name)
      return a;
  return nullptr;
}

void THauptForm::CreateStatusBar() {
  auto *sb = statusBar();
  sb->setObjectName(QStringLiteral("StatusBar"));
  for (int i = 0; i < int(FPanels.size()); ++i) {
    FPanels[i] = new QLabel(sb);
    FPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    FPanels[i]->setContentsMargins(4, 0, 4, 0);
  }
  FModifiedPanel = new QLabel(sb);
  FModifiedPanel->setObjectName(QStringLiteral("StatusModified"));
  sb->addWidget(FPanels[0]);
  sb->addWidget(FPanels[1]);
  sb->addWidget(FModifiedPanel);
  sb->addWidget(FPanels[2]);
  sb->addWidget(FPanels[3]);
  sb->addWidget(FPanels[4]);
  sb->addWidget(FPanels[5], 1);
}

bool THauptForm::Init() {
  TStartScreenScope splash(ProgVersName + ProgVers, ProgVersDate);
  splash.Status(_("Loading dictionaries ..."));
  LoadDictionaries();
  LoadDialogSettings();
  SelectPreviewEngine();
  LoadEntityList();
  LoadMacros();
  if (Settings.StdPath.isEmpty()) {
    Settings.StdPath = Paths.UserPath;
    if (!SelectRootDir())
      return false;
  }
  Settings.StdPath = WithTrailingSlash(Settings.StdPath);
  ProjFilePath = Settings.StdPath + QStringLiteral("Velmo-Projects");
  FHtmPath = Settings.StdPath;
  splash.Status(_("Loading project ..."));
  FStarting = true;
  const bool opened = OpenStartDocuments();
  FStarting = false;
  if (!opened)
    return false;
  // After the documents: the first one tells which commands a document has.
  BuildKeyLayout();
  OfferAutosaveCopies();
  // Only whether a printer exists and which one is the default: asking the print system takes a
  // while, so it is asked once the window is on the screen.
  RunAfterShown(this, [this] {
    SetupPrinter();
    StartAskingClipboard();
    for (TMDIForm *doc : Documents())
      doc->UpdateControls();
    if (!FStartFile.isEmpty())
      SyncFileView(QString(FStartFile));
  });
  return true;
}

// Dialogs read their histories and positions when they are first created (each one calls its
// own LoadFromIni before use), so nothing is read here yet.
void THauptForm::LoadDialogSettings() {}

// The entity table of the interface language (html-codes-de.txt), else the default one; read
// when a command first needs it.
void THauptForm::LoadEntityList() {
  const QString code = CurrentLanguageCode();
  const QString langName = IsEnglishInterface() ? QStringLiteral("html-codes.txt")
                                                : QStringLiteral("html-codes-") + code + QStringLiteral(".txt");
  SetHtmlEntitySource(Paths.ProgramDir, QStringLiteral("html-codes.txt"), langName);
}

// The macros, the search page's histories and the sizes of the panels.
void THauptForm::LoadMacros() { FMainPanels->LoadSettings(); }

bool THauptForm::OpenStartDocuments() {
  if (Projects.empty()) {
    ProjectIndex = CreateDefaultProject();
    if (ProjectIndex < 0)
      return false;
  } else if (ProjectIndex < 0 || ProjectIndex >= int(Projects.size())) {
    ProjectIndex = 0;
  }
  QString firstFile;
  for (const QString &f : CommandLine.Files)
    if (QFileInfo(f).isFile()) {
      firstFile = f;
      break;
    }
  if (!CommandLine.Files.isEmpty()) {
    // The project holding the first named file (the current one when none of them exists).
    int index = firstFile.isEmpty() ? ProjectIndex : ProjectOfFile(ProjectList(), firstFile);
    if (index < 0)
      index = CreateDefaultProject();
    // The named files are the documents to show: no empty page beside them.
    OpenProject(index, false);
    for (const QString &f : CommandLine.Files)
      OpenTextFile(f);
    if (Documents().isEmpty())
      CreateNewText(ftHtml);
    return true;
  }
  // Without files: choose a project until one is open or the user gives up.
  while (true) {
    if (Projects.size() < 2) {
      // With one project or none, the choice is to make a new one; giving that up ends start-up.
      return NewProject(QCursor::pos());
    }
    QStringList names;
    for (const auto &p : Projects)
      names << p->ProjName;
    int index = ProjectIndex;
    int r;
    if (SelectProjectResponder) {
      r = SelectProjectResponder(names, index);
    } else {
      if (!FSelectDialog)
        FSelectDialog = new TSelectProjectDialog(this);
      r = FSelectDialog->Execute(windowTitle(), names, index);
    }
    switch (r) {
    case TSelectProjectDialog::mrOpen:
      if (index >= 0 && index < int(Projects.size())) {
        OpenProject(index);
        return true;
      }
      break;
    case TSelectProjectDialog::mrOther:
      if (OpenProjectFile())
        return true;
      break;
    case TSelectProjectDialog::mrNew:
      if (NewProject(QCursor::pos()))
        return true;
      break;
    default:
      return false;
    }
  }
}

void THauptForm::SetupPrinter() {
  FShell->SetupPrinter();
  const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
  if (printers.isEmpty()) {
    Settings.PrtName.clear();
    return;
  }
  for (const QPrinterInfo &p : printers)
    if (p.printerName() == Settings.PrtName)
      return;
  Settings.PrtName = QPrinterInfo::defaultPrinter().isNull() ? printers.first().printerName()
                                                             : QPrinterInfo::defaultPrinter().printerName();
}

QString THauptForm::SelectDirectory(const QString &title, const QString &start, const QString &) {
  if (DirectoryResponder)
    return DirectoryResponder(title, start);
  return QFileDialog::getExistingDirectory(this, title, start);
}

bool THauptForm::SelectRootDir() {
  const QString dir = SelectDirectory(_("Root directory for projects"), Settings.StdPath, QString());
  if (dir.isEmpty())
    return false;
  Settings.StdPath = WithTrailingSlash(dir);
  return true;
}

// The tab's menu: its caption, then close, show its folder, save.
void THauptForm::TabContextMenu(QPoint pos) {
  const int index = FTabs->tabAt(pos);
  TMDIForm *doc = index >= 0 ? DocById(FTabs->tabData(index).toInt()) : nullptr;
  if (!doc)
    return;
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("pmTabs"));
  menu.addAction(FTabs->tabText(index))->setEnabled(false);
  menu.addSeparator();
  QPointer<TMDIForm> target(doc);
  menu.addAction(_("&Close page"), this, [this, target] {
    if (!target)
      return;
    // The last page is replaced by an empty HTML page, made first so the window is never empty.
    if (Documents().size() == 1)
      CreateNewText(ftHtml);
    CloseDocument(target, false);
  });
  menu.addAction(_("Select file &path"), this, [this, target] {
    if (target)
      SelectFilePath(target->TextPath);
  });
  QAction *save = menu.addAction(_("&Save file"), this, [this, target] {
    if (target)
      SaveTextFromMDI(target, false);
  });
  save->setEnabled(doc->IsModified());
  if (TabMenuResponder) {
    TabMenuResponder(&menu);
    return;
  }
  menu.exec(FTabs->mapToGlobal(pos) + QPoint(15, 0));
}

void THauptForm::SelectFilePath(const QString &folder) {
  if (folder.isEmpty())
    return;
  if (FolderViewResponder) {
    FolderViewResponder(folder);
    return;
  }
  FShell->ShowFolder(folder);
}

void THauptForm::AboutExecute() {
  TMsgOptions o;
  o.Caption = QStringLiteral("Velmo");
  ShowMessage(mkInformation,
              ProgVersName + ProgVers + QStringLiteral(" - ") + ProgVersDate + u'\n' +
                  _("Quillmark, an editor for hand-written web pages. Free to use and share.") + u'\n' +
                  QStringLiteral("E-Mail: quillmark@example.org"),
              o);
}

void THauptForm::RememberNormalGeometry() {
  if (!isVisible() || windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
    return;
  Settings.Form.Left = pos().x();
  Settings.Form.Top = pos().y();
  Settings.Form.Width = width();
  Settings.Form.Height = height();
}

void THauptForm::resizeEvent(QResizeEvent *e) {
  QMainWindow::resizeEvent(e);
  RememberNormalGeometry();
}

void THauptForm::moveEvent(QMoveEvent *e) {
  QMainWindow::moveEvent(e);
  RememberNormalGeometry();
}

void THauptForm::showEvent(QShowEvent *e) {
  QMainWindow::showEvent(e);
  if (FShown)
    return;
  FShown = true;
  if (Settings.Form.State == 2)
    setWindowState(windowState() | Qt::WindowMaximized);
  else if (Settings.Form.State == 1)
    setWindowState(windowState() | Qt::WindowMinimized);
}

bool THauptForm::eventFilter(QObject *o, QEvent *e) {
  // The extra mouse buttons walk the documents like a browser's back and forward.
  if (e->type() == QEvent::MouseButtonPress && isActiveWindow()) {
    const auto b = static_cast<QMouseEvent *>(e)->button();
    if (b == Qt::BackButton || b == Qt::ForwardButton) {
      b == Qt::BackButton ? PreviousMDI(nullptr) : NextMDI(nullptr);
      return true;
    }
  }
  return QMainWindow::eventFilter(o, e);
}

void THauptForm::closeEvent(QCloseEvent *e) {
  if (FClosing) {
    e->accept();
    return;
  }
  if (FFindDialog)
    FFindDialog->close();
  const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
  if (normal)
    RememberNormalGeometry();
  Settings.Form.State = windowState() & Qt::WindowMaximized ? 2 : windowState() & Qt::WindowMinimized ? 1 : 0;
  // Every document that could not be saved after "Yes" stays open, and so does the program.
  if (!CloseProjectTexts(false)) {
    e->ignore();
    return;
  }
  FClosing = true;
  WriteSettings();
  e->accept();
}

bool THauptForm::WriteSettings() {
  StoreDialogLists();
  Settings.ProjectFiles.clear();
  for (const auto &p : Projects)
    Settings.ProjectFiles << p->ProjFileName;
  Settings.ProjectIndex = ProjectIndex;
  for (const auto &p : Projects) {
    QString err;
    if (!WriteProjectFile(*p, &err))
      ErrorBox(err);
  }
  auto ini = TUnicodeIniFile::CreateForWrite(Paths.IniName);
  const bool normal = Settings.Form.State == 0;
  FMainPanels->WriteSettings(*ini);
  Settings.Write(*ini, normal);
  if (FFindDialog) {
    FFindDialog->SaveToIni(*ini);
    ini->WriteString(QStringLiteral("Config"), QStringLiteral("FindText"),
                     FFindDialog->FindText().section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0).trimmed());
    ini->WriteString(QStringLiteral("Config"), QStringLiteral("ReplaceText"),
                     FFindDialog->ReplaceText().section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0).trimmed());
  }
  HistList->SaveToIni(*ini, QStringLiteral("RecentFiles"), true);
  WriteKeyLayout();
  if (!ini->UpdateFile()) {
    ErrorBox(ini->LastError());
    return false;
  }
  return true;
}

void THauptForm::RestartProgram() { RestartProgram(QCoreApplication::arguments().mid(1)); }

void THauptForm::RestartProgram(const QStringList &programArgs) {
  if (RestartResponder) {
    if (RestartResponder(programArgs))
      close();
    return;
  }
  const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/velmo-restart");
  QStringList args{QString::number(QCoreApplication::applicationPid()), QCoreApplication::applicationFilePath()};
  args << programArgs;
  QProcess p;
  p.setProgram(helper);
  p.setArguments(args);
  if (!p.startDetached()) {
    ErrorBox(_("Restart failed!") + u'\n' + p.errorString());
    return;
  }
  close();
}
