#include "ui/app/HauptForm.h"
#include "core/common/FileNames.h"
#include "core/common/IniFileUtils.h"
#include "core/common/LangIds.h"
#include "core/common/Translate.h"
#include "core/editor/Entities.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/FtpThread.h"
#include "ui/projects/SelectProjectDlg.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/InsertCommands.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QtEndian>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QToolBar>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QProcess>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>
#include <Qsci/qscilexer.h>

namespace {
QString FilterOfType(int t) {
  return _(FileTypeInfo[t].Desc) + QStringLiteral(" (") + QString::fromLatin1(FileTypeInfo[t].FileFilter).replace(u';', u' ') +
         u')';
}
QString AllFilesFilter() { return _("all") + QStringLiteral(" (*)"); }
} // namespace

THauptForm::THauptForm(const QStringList &args, QWidget *parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("HauptForm"));
  Paths = TAppPaths::FromEnvironment();
  ProgVersName = QStringLiteral("Quillmark");
  ProgVers = QStringLiteral(" (") + _("Version") + u' ' + QStringLiteral(QUILLMARK_VERSION) + u')';
  ProgVersDate = QLocale().toString(QFileInfo(QCoreApplication::applicationFilePath()).lastModified().date(),
                                    QLocale::ShortFormat);
  setWindowTitle(QStringLiteral("Velmo") + ProgVers);
  setWindowIcon(QIcon(QStringLiteral(":/icons/quillmark.svg")));
  SetMessageOwner(this, windowTitle());

  CommandLine = ParseCommandLine(args, Paths.AppPath);
  if (!CommandLine.IniName.isEmpty())
    Paths.IniName = CommandLine.IniName;

  {
    auto ini = TUnicodeIniFile::CreateForRead(Paths.IniName);
    if (!ini->LoadError().isEmpty())
      ErrorBox(FormatS(_("Error reading file \"%s\": %s"), {Paths.IniName, ini->LoadError()}));
    Settings.Read(*ini, true);
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
  FTabs = new QTabBar(central);
  FTabs->setObjectName(QStringLiteral("tcFiles"));
  FTabs->setExpanding(false);
  FTabs->setDocumentMode(true);
  layout->addWidget(FTabs);
  setCentralWidget(central);

  connect(FMdi, &QMdiArea::subWindowActivated, this, &THauptForm::SubWindowActivated);
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
  ReadProjects();
  InstallInsertDialogs();

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
  const auto newDoc = [this](TFileTypes ft) { return [this, ft] { CreateNewText(ft); }; };
  const std::vector<TActionRow> rows = {
      {"ActionNewHtml", "&Html document", 1001, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N)}, newDoc(ftHtml)},
      {"ActionNewCss", "&CSS document", 1002, {}, newDoc(ftCss)},
      {"ActionNewJs", "&Javascript", 1003, {}, newDoc(ftJs)},
      {"ActionNewText", "&Text document", 1004, {}, newDoc(ftText)},
      {"ActionOpen", "&Open ..", 1005, {QKeySequence(Qt::CTRL | Qt::Key_O)}, [this] { OpenExecute(); }},
      {"ActionClose", "&Close", 1006, {QKeySequence(Qt::CTRL | Qt::Key_F4)}, [this] { CloseExecute(); }},
      {"ActionSave", "&Save", 1008, {QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_S)},
       [this] { SaveExecute(); }},
      {"ActionSaveAs", "Save &as ..", 1009, {}, [this] { SaveAsExecute(); }},
      {"ActionSaveAll", "Save &all", 1010, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
       [this] { SaveAllExecute(); }},
      {"ActionExit", "&Quit", 1011, {QKeySequence(Qt::ALT | Qt::Key_X)}, [this] { close(); }},
      {"ActionNewPhp", "&PHP file", 1012, {}, newDoc(ftPhp)},
      {"ActionNewPerl", "P&erl script", 1013, {}, newDoc(ftPerl)},
      {"ActionNewVbs", "&Visual Basic script", 1014, {}, newDoc(ftVbs)},
      {"ActionCloseAll", "&Close all", 0, {}, [this] { CloseAllExecute(); }},
      {"ActionSelectDoc", "Select &Document", 0, {QKeySequence(Qt::CTRL | Qt::Key_D)},
       [this] { SelectDocumentExecute(); }},
      {"ActionAutoSave", "&Autosave ..", 0, {}, [this] { AutoSaveExecute(); }},
      {"ActionRootDir", "&Root directory ..", 0, {}, [this] {
         if (SelectRootDir())
           ProjFilePath = Settings.StdPath + QStringLiteral("Velmo-Projects");
         ShowStatus(ActiveDocument(), true);
       }},
      {"ActionAbout", "About &program", 0, {}, [this] { AboutExecute(); }},
      {"ActionProjectClose", "&Close project", 3001, {}, [this] { CloseProjectExecute(); }},
      {"ActionProjectEdit", "&Edit project ..", 3002, {}, [this] { EditProjectExecute(); }},
      {"ActionProjectNew", "&New project ..", 3003, {}, [this] { NewProject(QCursor::pos()); }},
      {"ActionProjectLoad", "&Load project ..", 3004, {}, [this] { OpenProjectFile(); }},
      {"ActionProjectSaveAs", "Save project &as ..", 3005, {}, [this] { SaveProjectAsExecute(); }},
      {"ActionProjectManager", "Project &order ..", 3007, {}, [this] { ProjectOrderExecute(); }},
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

  QMenu *projectMenu = menuBar()->addMenu(_("&Project"));
  for (const char *n : {"ActionProjectNew", "ActionProjectEdit", "ActionProjectLoad", "ActionProjectSaveAs",
                        "ActionProjectClose", "ActionProjectManager"})
    projectMenu->addAction(Action(QString::fromLatin1(n)));

  FHelpMenu = new QMenu(_("&Help"), this);
  FHelpMenu->addAction(Action(QStringLiteral("ActionAbout")));
  menuBar()->addMenu(FHelpMenu);
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
  LoadDictionaries();
  LoadDialogSettings();
  SelectPreviewEngine();
  LoadEntityList();
  LoadMacros();
  BuildKeyLayout();
  if (Settings.StdPath.isEmpty()) {
    Settings.StdPath = Paths.UserPath;
    if (!SelectRootDir())
      return false;
  }
  Settings.StdPath = WithTrailingSlash(Settings.StdPath);
  ProjFilePath = Settings.StdPath + QStringLiteral("Velmo-Projects");
  FHtmPath = Settings.StdPath;
  if (!OpenStartDocuments())
    return false;
  SetupPrinter();
  return true;
}

// Spell checking comes with its dictionaries later; until then no dictionary is loaded and the
// language list stays empty.
void THauptForm::LoadDictionaries() {}

// Dialogs read their histories and positions when they are first created (each one calls its
// own LoadFromIni before use), so nothing is read here yet.
void THauptForm::LoadDialogSettings() {}

void THauptForm::SelectPreviewEngine() {
  // The embedded modern engine is not part of this build: fall back to the classic one.
  if (Settings.UseEdgeBrowser) {
    ErrorBox(_("Edge browser not available"));
    Settings.UseEdgeBrowser = false;
  }
}

// The entity table of the interface language (English until interface languages come).
void THauptForm::LoadEntityList() {
  EntityFile = HtmlEntities().LoadCharList(Paths.ProgramDir, QStringLiteral("html-codes.txt"), QString());
}

// Text macros come later; their file is left untouched.
void THauptForm::LoadMacros() {}

void THauptForm::BuildKeyLayout() {
  // A stored layout is only used when its size fits its header; the layout editor comes later,
  // the editor's built-in keys stand for the default layout meanwhile.
  QFile kf(Paths.KeyName());
  if (!kf.open(QIODevice::ReadOnly))
    return;
  quint32 count = 0;
  if (kf.read(reinterpret_cast<char *>(&count), 4) != 4 || !KeyFileSizeFits(kf.size(), qFromLittleEndian(count)))
    qInfo("Key layout file %s does not fit its header; using the default layout", qPrintable(Paths.KeyName()));
}

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
  if (!firstFile.isEmpty()) {
    int index = ProjectOfFile(ProjectList(), firstFile);
    if (index < 0)
      index = CreateDefaultProject();
    // The named files are the documents to show: no empty page beside them.
    OpenProject(index, false);
    for (const QString &f : CommandLine.Files)
      if (QFileInfo(f).isFile())
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

TFindReplDialog *THauptForm::FindDialog() {
  if (!FFindDialog) {
    FFindDialog = new TFindReplDialog(this);
    FFindDialog->LoadFromIni(*TUnicodeIniFile::CreateForRead(Paths.IniName));
    FFindDialog->SetFindText(Settings.sFind);
    FFindDialog->SetReplaceText(Settings.sRepl);
  }
  return FFindDialog;
}

TMDIForm *THauptForm::NewWindow(TFileTypes ft) {
  auto *doc = new TMDIForm(this, FToolPanel, ft);
  doc->DocId = IdList.NewId();
  doc->Encoding = ActProject ? ActProject->ProjEncoding : seAnsi;
  doc->UseBom = ActProject ? ActProject->UseBom : false;
  doc->SetTextLangId(ActProject ? ActProject->LangId : quint32(Settings.DictLangId));
  doc->TextBuffer->KeepSelectionVisible();
  const int t = ft < FileTypeCount ? int(ft) : int(ftText);
  // Highlighters are made when the first document of their type opens.
  if (!FHighlighters[t])
    FHighlighters[t] = CreateHighlighter(TFileTypes(t), this);
  doc->SetProperties(FHighlighters[t], Settings.SynProps[t], Settings.SynGutter[t]);
  QMdiSubWindow *w = FMdi->addSubWindow(doc);
  w->setWindowIcon(windowIcon());
  IdList.Add(doc->DocId);
  return doc;
}

TMDIForm *THauptForm::CreateNewText(TFileTypes ft, bool askFolder) {
  ++NewNr;
  QString folder;
  if (askFolder)
    folder = ActiveDocument() ? ActiveDocument()->TextPath : FHtmPath;
  TMDIForm *doc = NewWindow(ft);
  doc->InitNewText(QStringLiteral("*New%1").arg(NewNr), folder, ActProject ? ActProject->ProjEncoding : seAnsi);
  const int at = FTabs->count() ? FTabs->currentIndex() + 1 : 0;
  {
    const QSignalBlocker block(FTabs);
    FTabs->insertTab(at, doc->windowTitle());
    FTabs->setTabData(at, doc->DocId);
  }
  RenumberTabs();
  ActivateText(doc);
  return doc;
}

bool THauptForm::OpenTextFile(const QString &fileName) {
  if (!QFileInfo(fileName).isFile()) {
    ErrorBox(FormatS(_("File: \"%s\"\r\nnot found"), {fileName}));
    HistList->RemString(fileName);
    return false;
  }
  for (TMDIForm *d : Documents())
    if (d->Status != tsNew && SameFileName(d->TextName, fileName)) {
      if (d->TimeStamp.IsValid() && !(FileStamp(fileName) == d->TimeStamp))
        d->ReLoadText();
      ActivateText(d);
      return true;
    }
  TMDIForm *doc = LoadTextFile(fileName);
  if (doc && ActProject)
    ActProject->Add(fileName, TTextProps{doc->CaretXY(), doc->TextLangId(), doc->TextDateFormat()});
  return doc != nullptr;
}

TMDIForm *THauptForm::LoadTextFile(const QString &fileName, TBufferCoord caret) {
  const TFileTypes ft = FileTypeOfExt(Settings.SynProps, QFileInfo(fileName).suffix().toLower(), ftText);
  TMDIForm *doc = NewWindow(ft);
  if (!doc->LoadText(fileName)) {
    doc->Status = tsClose;
    IdList.Remove(doc->DocId);
    if (auto *w = qobject_cast<QMdiSubWindow *>(doc->parentWidget())) {
      FMdi->removeSubWindow(w);
      w->deleteLater();
    }
    return nullptr;
  }
  doc->TextBuffer->SetCaretXY(caret);
  HistList->AddString(fileName);
  const int at = FTabs->count() ? FTabs->currentIndex() + 1 : 0;
  {
    const QSignalBlocker block(FTabs);
    FTabs->insertTab(at, QFileInfo(fileName).fileName());
    FTabs->setTabData(at, doc->DocId);
  }
  RenumberTabs();
  ActivateText(doc);
  return doc;
}

QList<TMDIForm *> THauptForm::Documents() const {
  QList<TMDIForm *> r;
  for (int i = 0; i < FTabs->count(); ++i)
    if (TMDIForm *d = DocById(FTabs->tabData(i).toInt()))
      r << d;
  return r;
}

TMDIForm *THauptForm::DocById(int id) const {
  for (QMdiSubWindow *w : FMdi->subWindowList())
    if (auto *d = qobject_cast<TMDIForm *>(w->widget()); d && d->DocId == id && d->Status != tsClose)
      return d;
  return nullptr;
}

TMDIForm *THauptForm::ActiveDocument() const { return FActive; }

void THauptForm::ActivateText(TMDIForm *doc) {
  if (!doc)
    return;
  if (auto *w = qobject_cast<QMdiSubWindow *>(doc->parentWidget())) {
    if (FMdi->activeSubWindow() != w)
      FMdi->setActiveSubWindow(w);
    w->showMaximized();
  }
  IdList.Add(doc->DocId);
  if (FActive != doc)
    SubWindowActivated(qobject_cast<QMdiSubWindow *>(doc->parentWidget()));
  ShowStatus(doc, true);
}

void THauptForm::PreviousMDI(TMDIForm *) {
  if (TMDIForm *d = DocById(IdList.Previous()))
    ActivateText(d);
}

void THauptForm::NextMDI(TMDIForm *) {
  if (TMDIForm *d = DocById(IdList.Next()))
    ActivateText(d);
}

void THauptForm::SubWindowActivated(QMdiSubWindow *w) {
  auto *doc = w ? qobject_cast<TMDIForm *>(w->widget()) : nullptr;
  if (!w || !doc || doc->Status == tsClose)
    return; // the application lost the focus: keep the active document's menus
  if (FActive == doc)
    return;
  if (FActive)
    FActive->ShowLokPanel(false);
  for (QAction *a : FMergedMenus)
    menuBar()->removeAction(a);
  FMergedMenus.clear();
  FActive = doc;
  IdList.Add(doc->DocId);
  FMergedMenus << menuBar()->insertMenu(FHelpMenu->menuAction(), doc->MenuEdit);
  FMergedMenus << menuBar()->insertMenu(FHelpMenu->menuAction(), doc->MenuInsert);
  doc->ShowLokPanel(true);
  if (FFindDialog && FFindDialog->isVisible())
    doc->ClaimFindDialog(true);
  if (doc->WinIndex >= 0 && FTabs->currentIndex() != doc->WinIndex) {
    const QSignalBlocker block(FTabs);
    FTabs->setCurrentIndex(doc->WinIndex);
  }
  w->showMaximized();
  doc->FormActivate();
  ShowStatus(doc, true);
}

void THauptForm::RenumberTabs() {
  for (int i = 0; i < FTabs->count(); ++i) {
    TMDIForm *d = DocById(FTabs->tabData(i).toInt());
    if (!d)
      continue;
    d->WinIndex = i;
    FTabs->setTabText(i, (d->IsModified() ? QStringLiteral("*") : QString()) +
                             (d->Status == tsNew ? d->windowTitle() : QFileInfo(d->TextName).fileName()));
    FTabs->setTabToolTip(i, d->TextName);
  }
}

void THauptForm::ShowStatus(TMDIForm *doc, bool full) {
  FPanels[0]->setText(FHtmPath);
  const QList<TMDIForm *> docs = Documents();
  const bool anyModified = std::any_of(docs.begin(), docs.end(), [](TMDIForm *d) { return d->IsModified(); });
  if (QAction *a = Action(QStringLiteral("ActionSaveAll")))
    a->setEnabled(anyModified);
  if (!doc || doc != FActive) {
    if (!FActive) {
      for (int i = 1; i < int(FPanels.size()); ++i)
        FPanels[i]->clear();
      FModifiedPanel->clear();
    }
    return;
  }
  Action(QStringLiteral("ActionSave"))->setEnabled(doc->IsModified());
  const TBufferCoord c = doc->CaretXY();
  FPanels[1]->setText(QString::asprintf("%6d:%3d", c.Line, c.Char));
  FModifiedPanel->setText(doc->IsModified() ? _("Modified") : QString());
  FPanels[2]->setText(doc->TextBuffer->overwriteMode() ? _("Overwrite") : _("Insert"));
  if (full) {
    const QString lang = LocaleNameOfLangId(doc->TextLangId());
    FPanels[3]->setText(lang.isEmpty() ? QString() : QLocale(lang).nativeLanguageName());
    FPanels[4]->setText(u'[' + QString::fromLatin1(EncodingNames[doc->Encoding]) + u']');
    const int t = doc->FileType < FileTypeCount ? int(doc->FileType) : int(ftText);
    FPanels[5]->setText(_(FileTypeInfo[t].Desc) + QStringLiteral(": ") + doc->GetTextName());
    RenumberTabs();
  }
}

bool THauptForm::SaveTextFromMDI(TMDIForm *doc, bool unchangedText) {
  if (!doc)
    return false;
  if (!unchangedText && !doc->IsModified())
    return true;
  if (doc->Status != tsOld) {
    const int t = doc->FileType < FileTypeCount ? int(doc->FileType) : int(ftText);
    QString name;
    while (true) {
      name = AskSaveName(doc->windowTitle() + _(" save as"), doc->TextPath,
                         doc->Status == tsNew ? QString() : QFileInfo(doc->TextName).fileName(),
                         {FilterOfType(t), AllFilesFilter()}, QString::fromLatin1(FileTypeInfo[t].DefExt));
      if (name.isEmpty()) {
        if (doc->Status == tsChange)
          doc->Status = tsOld;
        return false;
      }
      // Never two windows writing one file: the other window goes when the user agrees.
      TMDIForm *other = nullptr;
      for (TMDIForm *d : Documents())
        if (d != doc && d->Status != tsNew && SameFileName(d->TextName, name))
          other = d;
      if (other) {
        if (ShowMessage(mkConfirm, FormatS(_("The file \"%s\" is open in another window.\nReplace it and close "
                                             "that window?"),
                                           {name})) != mrYes)
          continue;
        CloseDocument(other, true);
        break;
      }
      if (!QFileInfo::exists(name))
        break;
      TMsgOptions at;
      at.Place = mpPoint;
      at.At = doc->TextBuffer->PointBelow(doc->CaretXY());
      if (ShowMessage(mkConfirm, FormatS(_("File: \"%s\" already exists!"), {name}) + u'\n' + _("Overwrite file?"),
                      at) == mrYes)
        break;
    }
    if (ActProject && doc->Status == tsChange)
      ActProject->Remove(doc->TextName);
    doc->setWindowTitle(name);
    doc->TextName = name;
    doc->TextPath = FolderOf(name);
    if (doc->Status == tsNew)
      doc->Status = tsChange;
    HistList->AddString(name);
    if (ActProject)
      ActProject->Add(name, TTextProps{doc->CaretXY(), doc->TextLangId(), doc->TextDateFormat()});
  }
  const TTextStatus before = doc->Status;
  const bool ok = doc->SaveText();
  if (!ok && before == tsChange)
    doc->Status = tsOld;
  RenumberTabs();
  ShowStatus(doc, true);
  return ok;
}

QString THauptForm::AskSaveName(const QString &title, const QString &folder, const QString &file,
                                const QStringList &filters, const QString &defExt) {
  if (SaveNameResponder)
    return SaveNameResponder(title, folder, file);
  QFileDialog dlg(this, title, folder);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setOption(QFileDialog::DontConfirmOverwrite);
  dlg.setNameFilters(filters);
  dlg.setDefaultSuffix(defExt);
  if (!file.isEmpty())
    dlg.selectFile(file);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
    return {};
  return dlg.selectedFiles().constFirst();
}

void THauptForm::CloseMDI(TMDIForm *doc) {
  const int index = doc->WinIndex;
  const bool withProject = doc->Status == tsClose;
  // A document the user closes leaves the project's list; one closed with the project stays.
  if (ActProject && doc->Status != tsNew && doc->Status != tsClose)
    ActProject->Remove(doc->TextName);
  doc->WinIndex = -1;
  doc->Status = tsClose;
  if (FActive == doc) {
    doc->ShowLokPanel(false);
    for (QAction *a : FMergedMenus)
      menuBar()->removeAction(a);
    FMergedMenus.clear();
    FActive = nullptr;
  }
  const int next = IdList.Remove(doc->DocId);
  if (index >= 0 && index < FTabs->count()) {
    const QSignalBlocker block(FTabs);
    FTabs->removeTab(index);
  }
  RenumberTabs();
  if (!withProject) {
    if (TMDIForm *d = DocById(next))
      ActivateText(d);
    else if (FTabs->count())
      ActivateText(DocById(FTabs->tabData(std::min(index, FTabs->count() - 1)).toInt()));
  }
  ShowStatus(ActiveDocument(), true);
}

bool THauptForm::CloseDocument(TMDIForm *doc, bool force) {
  auto *w = qobject_cast<QMdiSubWindow *>(doc->parentWidget());
  if (!w)
    return false;
  if (force) {
    doc->TextBuffer->SetModified(false);
  }
  const bool ok = w->close();
  if (ok) {
    FMdi->removeSubWindow(w);
    w->deleteLater();
  }
  return ok;
}

bool THauptForm::CloseProjectTexts(bool withCancel) {
  QList<TMDIForm *> docs = Documents();
  if (docs.isEmpty())
    return true;
  bool result = true;
  const bool anyModified = std::any_of(docs.begin(), docs.end(), [](TMDIForm *d) { return d->IsModified(); });
  if (anyModified) {
    TMsgOptions o;
    o.Caption = ProgramCaption();
    const TMsgResult r = ShowMessage(withCancel ? mkConfirmCancel : mkConfirm, _("Save changed files?"), o);
    if (r == mrCancel)
      return false;
    for (TMDIForm *d : docs) {
      if (!d->IsModified())
        continue;
      if (r == mrYes) {
        // A document that could not be saved stays open with its text.
        if (!SaveTextFromMDI(d, false)) {
          result = false;
          continue;
        }
      } else {
        d->TextBuffer->SetModified(false);
      }
    }
  }
  if (!result)
    return false; // a document that could not be saved keeps the project open as well
  if (ActProject) {
    QList<TOpenDocument> tabs;
    for (TMDIForm *d : docs)
      if (d->Status != tsNew)
        tabs << TOpenDocument{d->TextName, TTextProps{d->CaretXY(), d->TextLangId(), d->TextDateFormat()}};
    TMDIForm *active = ActiveDocument();
    RememberDocuments(*ActProject, tabs, active && active->Status != tsNew ? active->TextName : QString());
    ActProject->CaseMode = TTextChange(LinkCaseMode);
    ActProject = nullptr;
  }
  for (TMDIForm *d : docs) {
    d->Status = tsClose;
    CloseDocument(d, true);
  }
  QCoreApplication::processEvents();
  return true;
}

void THauptForm::OpenProject(int index, bool emptyPage) {
  NewNr = 0;
  IdList.Clear();
  if (index < 0 || index >= int(Projects.size())) {
    ActProject = nullptr;
    ProjectIndex = -1;
    FillProjectBox();
    if (emptyPage)
      CreateNewText(ftHtml);
    return;
  }
  ActProject = Projects[index].get();
  ProjectIndex = index;
  FHtmPath = WithTrailingSlash(ActProject->ProjPath);
  LinkCaseMode = ActProject->CaseMode;
  if (QFileInfo(FHtmPath).isDir())
    QDir::setCurrent(FHtmPath);
  FillProjectBox();
  QGuiApplication::setApplicationDisplayName(QStringLiteral("Quillmark - ") + ActProject->ProjName);
  if (ActProject->Reload && !ActProject->FileList.isEmpty()) {
    LoadingProj = true;
    RemoveMissingDocuments(*ActProject);
    for (qsizetype i = 0; i < ActProject->FileList.size();) {
      const TProjectFile &f = ActProject->FileList[i];
      const TTextProps props = f.Info.TextProps;
      TMDIForm *doc = LoadTextFile(ActProject->AbsoluteName(f.Name), props.CursorPos);
      if (!doc) {
        ActProject->FileList.removeAt(i);
        ActProject->Changed = true;
        continue;
      }
      doc->SetTextLangId(props.TxtLangId);
      doc->SetTextDateFormat(props.DateFormat);
      ++i;
    }
    LoadingProj = false;
  }
  if (Documents().isEmpty() && emptyPage)
    CreateNewText(ftHtml);
  if (!ActProject->ActiveFile.isEmpty())
    for (TMDIForm *d : Documents())
      if (SameFileName(d->TextName, ActProject->AbsoluteName(ActProject->ActiveFile)))
        ActivateText(d);
  if (TMDIForm *d = ActiveDocument()) {
    IdList.Add(d->DocId);
    d->TextBuffer->setFocus();
  }
  ShowStatus(ActiveDocument(), true);
}

void THauptForm::SaveExecute() {
  if (TMDIForm *doc = ActiveDocument())
    SaveTextFromMDI(doc, true);
}

void THauptForm::SaveAsExecute() {
  TMDIForm *doc = ActiveDocument();
  if (!doc)
    return;
  if (doc->Status == tsOld || doc->Status == tsReadOnly)
    doc->Status = tsChange;
  SaveTextFromMDI(doc, true);
}

void THauptForm::SaveAllExecute() {
  for (TMDIForm *d : Documents())
    SaveTextFromMDI(d, false);
}

void THauptForm::OpenExecute() {
  QStringList filters;
  for (int t = 0; t < FileTypeCount; ++t)
    filters << FilterOfType(t);
  filters << AllFilesFilter();
  const QStringList files =
      QFileDialog::getOpenFileNames(this, _("Open file"), FHtmPath, filters.join(QStringLiteral(";;")));
  for (const QString &f : files)
    OpenTextFile(f);
}

void THauptForm::CloseExecute() {
  TMDIForm *doc = ActiveDocument();
  if (!doc)
    return;
  const bool last = Documents().size() == 1;
  if (!CloseDocument(doc, false))
    return;
  // The empty document replaces the last one only after that one really closed.
  if (last)
    CreateNewText(ftHtml);
}

void THauptForm::CloseAllExecute() {
  for (TMDIForm *d : Documents())
    if (!CloseDocument(d, false))
      return;
  CreateNewText(ftHtml);
}

void THauptForm::SelectDocumentExecute() {
  QStringList names;
  const QList<TMDIForm *> docs = Documents();
  for (TMDIForm *d : docs)
    names << d->GetTextName();
  bool ok = false;
  const QString chosen = QInputDialog::getItem(this, _("Select document"), _("Documents:"), names,
                                               ActiveDocument() ? int(docs.indexOf(ActiveDocument())) : 0, false, &ok);
  if (ok && names.contains(chosen))
    ActivateText(docs[names.indexOf(chosen)]);
}

void THauptForm::SetAutoSave(int minutes) {
  Settings.AutoSaveTime = std::clamp(minutes, 0, 99);
  FAutoSaveAction->setChecked(Settings.AutoSaveTime > 0);
  if (Settings.AutoSaveTime > 0)
    FAutoSaveTimer->start(Settings.AutoSaveTime * 60000);
  else
    FAutoSaveTimer->stop();
}

void THauptForm::AutoSaveExecute() {
  QDialog dlg(this);
  dlg.setWindowTitle(_("Save text automatically"));
  auto *l = new QHBoxLayout(&dlg);
  l->addWidget(new QLabel(_("Interval (0 = off):"), &dlg));
  auto *spin = new QSpinBox(&dlg);
  spin->setRange(0, 99);
  spin->setValue(Settings.AutoSaveTime);
  spin->setSuffix(u' ' + _("min"));
  l->addWidget(spin);
  auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  connect(box, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  l->addWidget(box);
  if (dlg.exec() == QDialog::Accepted)
    SetAutoSave(spin->value());
  else
    FAutoSaveAction->setChecked(Settings.AutoSaveTime > 0);
}

void THauptForm::AutoSaveTick() {
  for (TMDIForm *d : Documents())
    d->SaveTextToTemp();
}

void THauptForm::ClearRecentExecute() {
  if (ConfirmBox(_("Delete all entries from file list?")))
    HistList->ClearAll();
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
  Settings.Write(*ini, normal);
  if (FFindDialog) {
    FFindDialog->SaveToIni(*ini);
    ini->WriteString(QStringLiteral("Config"), QStringLiteral("FindText"),
                     FFindDialog->FindText().section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0).trimmed());
    ini->WriteString(QStringLiteral("Config"), QStringLiteral("ReplaceText"),
                     FFindDialog->ReplaceText().section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0).trimmed());
  }
  HistList->SaveToIni(*ini, QStringLiteral("RecentFiles"), true);
  if (!ini->UpdateFile()) {
    ErrorBox(ini->LastError());
    return false;
  }
  return true;
}

void THauptForm::RestartProgram() {
  const QString helper = QCoreApplication::applicationDirPath() + QStringLiteral("/velmo-restart");
  QStringList args{QString::number(QCoreApplication::applicationPid()), QCoreApplication::applicationFilePath()};
  args << QCoreApplication::arguments().mid(1);
  QProcess p;
  p.setProgram(helper);
  p.setArguments(args);
  if (!p.startDetached()) {
    ErrorBox(_("Restart failed!") + u'\n' + p.errorString());
    return;
  }
  close();
}
