#include "ui/app/HauptForm.h"
#include "core/common/FileNames.h"
#include "core/common/IniFileUtils.h"
#include "core/common/LangIds.h"
#include "core/common/Translate.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include <QApplication>
#include <QtEndian>
#include <QCloseEvent>
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

  for (int t = 0; t < FileTypeCount; ++t)
    FHighlighters[t] = CreateHighlighter(TFileTypes(t), this);

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

  CreateMenus();
  CreateStatusBar();
  resize(Settings.Form.Width, Settings.Form.Height);
  move(Settings.Form.Left, Settings.Form.Top);
}

THauptForm::~THauptForm() = default;

void THauptForm::CreateMenus() {
  FFileMenu = menuBar()->addMenu(_("&File"));
  QAction *newHtml = FFileMenu->addAction(_("&Html document"), this, [this] { CreateNewText(ftHtml); });
  newHtml->setObjectName(QStringLiteral("ActionNewHtml"));
  newHtml->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  QAction *open = FFileMenu->addAction(_("&Open .."), this, &THauptForm::OpenExecute);
  open->setObjectName(QStringLiteral("ActionOpen"));
  open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  FRecentMenu = FFileMenu->addMenu(_("Recent files"));
  FRecentMirror = new THistoryMenu(HistList, this);
  FRecentMirror->SetMenu(FRecentMenu);
  connect(FRecentMirror, &THistoryMenu::AutoItemClick, this,
          [this](QMenu *, const QString &name) { OpenTextFile(name); });
  QAction *save = FFileMenu->addAction(_("&Save"), this, &THauptForm::SaveExecute);
  save->setObjectName(QStringLiteral("ActionSave"));
  save->setShortcuts({QKeySequence(Qt::Key_F2), QKeySequence(Qt::CTRL | Qt::Key_S)});
  QAction *close = FFileMenu->addAction(_("&Close"), this, &THauptForm::CloseExecute);
  close->setObjectName(QStringLiteral("ActionClose"));
  close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
  FFileMenu->addSeparator();
  QAction *root = FFileMenu->addAction(_("&Root directory .."), this, [this] {
    if (SelectRootDir())
      ProjFilePath = Settings.StdPath + QStringLiteral("Velmo-Projects");
    ShowStatus(ActiveDocument(), true);
  });
  root->setObjectName(QStringLiteral("ActionRootDir"));
  FFileMenu->addSeparator();
  QAction *quit = FFileMenu->addAction(_("&Quit"), this, &QWidget::close);
  quit->setObjectName(QStringLiteral("ActionQuit"));
  quit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));

  FHelpMenu = new QMenu(_("&Help"), this);
  QAction *about = FHelpMenu->addAction(_("About &program"), this, &THauptForm::AboutExecute);
  about->setObjectName(QStringLiteral("ActionAbout"));
  menuBar()->addMenu(FHelpMenu);
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

// The entity table is read by the character dialog when it opens; the file is looked up here so
// that a missing one is noticed at start.
void THauptForm::LoadEntityList() { EntityFile = Paths.EntityFile(QString()); }

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
  // Projects come later: the files named on the command line are opened, else one new page.
  bool opened = false;
  for (const QString &f : CommandLine.Files)
    if (QFileInfo(f).isFile() && OpenTextFile(f))
      opened = true;
  if (!opened)
    CreateNewText(ftHtml);
  return true;
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
  return QFileDialog::getExistingDirectory(this, title, start);
}

bool THauptForm::SelectRootDir() {
  const QString dir = SelectDirectory(_("Root directory for projects"), Settings.StdPath, QString());
  if (dir.isEmpty())
    return false;
  Settings.StdPath = WithTrailingSlash(dir);
  return true;
}

TMDIForm *THauptForm::NewWindow(TFileTypes ft) {
  auto *doc = new TMDIForm(this, FToolPanel, ft);
  doc->DocId = ++FNextId;
  doc->Encoding = seAnsi;
  doc->UseBom = false;
  doc->SetTextLangId(quint32(Settings.DictLangId));
  doc->TextBuffer->SendScintilla(QsciScintillaBase::SCI_HIDESELECTION, 0L);
  const int t = ft < FileTypeCount ? int(ft) : int(ftText);
  doc->SetProperties(FHighlighters[t], Settings.SynProps[t], Settings.SynGutter[t]);
  QMdiSubWindow *w = FMdi->addSubWindow(doc);
  w->setWindowIcon(windowIcon());
  return doc;
}

TMDIForm *THauptForm::CreateNewText(TFileTypes ft) {
  ++NewNr;
  TMDIForm *doc = NewWindow(ft);
  doc->InitNewText(QStringLiteral("*New%1").arg(NewNr), QString(), seAnsi);
  const int at = FTabs->currentIndex() + 1;
  FTabs->insertTab(at, doc->windowTitle());
  doc->WinIndex = at;
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
      if (!(FileStamp(fileName) == d->TimeStamp))
        d->ReLoadText();
      ActivateText(d);
      return true;
    }
  return LoadTextFile(fileName) != nullptr;
}

TMDIForm *THauptForm::LoadTextFile(const QString &fileName) {
  const TFileTypes ft = FileTypeOfExt(Settings.SynProps, QFileInfo(fileName).suffix().toLower(), ftText);
  TMDIForm *doc = NewWindow(ft);
  doc->WinIndex = -1;
  if (!doc->LoadText(fileName)) {
    doc->Status = tsClose;
    if (auto *w = qobject_cast<QMdiSubWindow *>(doc->parentWidget())) {
      FMdi->removeSubWindow(w);
      w->deleteLater();
    }
    return nullptr;
  }
  HistList->AddString(fileName);
  const int at = FTabs->currentIndex() + 1;
  FTabs->insertTab(at, QFileInfo(fileName).fileName());
  FTabs->setTabToolTip(at, fileName);
  doc->WinIndex = at;
  RenumberTabs();
  ActivateText(doc);
  return doc;
}

QList<TMDIForm *> THauptForm::Documents() const {
  QList<TMDIForm *> r;
  for (QMdiSubWindow *w : FMdi->subWindowList())
    if (auto *d = qobject_cast<TMDIForm *>(w->widget()); d && d->Status != tsClose)
      r << d;
  return r;
}

TMDIForm *THauptForm::ActiveDocument() const { return FActive; }

void THauptForm::ActivateText(TMDIForm *doc) {
  if (!doc)
    return;
  if (auto *w = qobject_cast<QMdiSubWindow *>(doc->parentWidget())) {
    FMdi->setActiveSubWindow(w);
    w->showMaximized();
  }
  ShowStatus(doc, true);
}

void THauptForm::SubWindowActivated(QMdiSubWindow *w) {
  auto *doc = w ? qobject_cast<TMDIForm *>(w->widget()) : nullptr;
  if (!w)
    return; // the application lost the focus: keep the active document's menus
  if (FActive && FActive != doc)
    FActive->ShowLokPanel(false);
  for (QAction *a : FMergedMenus)
    menuBar()->removeAction(a);
  FMergedMenus.clear();
  FActive = doc;
  if (doc) {
    FMergedMenus << menuBar()->insertMenu(FHelpMenu->menuAction(), doc->MenuEdit);
    FMergedMenus << menuBar()->insertMenu(FHelpMenu->menuAction(), doc->MenuInsert);
    doc->ShowLokPanel(true);
    if (doc->WinIndex >= 0 && FTabs->currentIndex() != doc->WinIndex) {
      const QSignalBlocker block(FTabs);
      FTabs->setCurrentIndex(doc->WinIndex);
    }
    w->showMaximized();
    doc->FormActivate();
  }
  ShowStatus(doc, true);
}

int THauptForm::TabIndexOf(TMDIForm *doc) const { return doc ? doc->WinIndex : -1; }

void THauptForm::RenumberTabs() {
  // Tab order follows insertion: walk the documents and give each its tab by caption order.
  QList<TMDIForm *> docs = Documents();
  std::sort(docs.begin(), docs.end(), [](TMDIForm *a, TMDIForm *b) { return a->WinIndex < b->WinIndex; });
  // Documents inserted at an index push later ones one place on.
  QList<TMDIForm *> ordered;
  for (TMDIForm *d : docs)
    ordered.insert(std::clamp<qsizetype>(d->WinIndex, 0, ordered.size()), d);
  for (int i = 0; i < ordered.size(); ++i) {
    ordered[i]->WinIndex = i;
    if (i < FTabs->count()) {
      FTabs->setTabText(i, ordered[i]->Status == tsNew ? ordered[i]->windowTitle()
                                                        : QFileInfo(ordered[i]->TextName).fileName());
      FTabs->setTabToolTip(i, ordered[i]->TextName);
    }
  }
}

void THauptForm::ShowStatus(TMDIForm *doc, bool full) {
  FPanels[0]->setText(FHtmPath);
  if (!doc || doc != FActive) {
    if (!doc) {
      for (int i = 1; i < int(FPanels.size()); ++i)
        FPanels[i]->clear();
      FModifiedPanel->clear();
    }
    return;
  }
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
    if (doc->WinIndex >= 0 && doc->WinIndex < FTabs->count())
      FTabs->setTabText(doc->WinIndex, (doc->IsModified() ? QStringLiteral("*") : QString()) +
                                           (doc->Status == tsNew ? doc->windowTitle()
                                                                 : QFileInfo(doc->TextName).fileName()));
  }
}

bool THauptForm::SaveTextFromMDI(TMDIForm *doc) {
  if (!doc)
    return false;
  if (doc->Status != tsOld) {
    const int t = doc->FileType < FileTypeCount ? int(doc->FileType) : int(ftText);
    QString name;
    while (true) {
      QFileDialog dlg(this, doc->windowTitle() + _(" save as"), doc->TextPath);
      dlg.setAcceptMode(QFileDialog::AcceptSave);
      dlg.setOption(QFileDialog::DontConfirmOverwrite);
      dlg.setNameFilters({FilterOfType(t), AllFilesFilter()});
      dlg.setDefaultSuffix(QString::fromLatin1(FileTypeInfo[t].DefExt));
      if (doc->Status != tsNew)
        dlg.selectFile(QFileInfo(doc->TextName).fileName());
      if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) {
        if (doc->Status == tsChange)
          doc->Status = tsOld;
        return false;
      }
      name = dlg.selectedFiles().constFirst();
      if (!QFileInfo::exists(name))
        break;
      if (ShowMessage(mkConfirm, FormatS(_("File: \"%s\" already exists!"), {name}) + u'\n' +
                                     _("Overwrite file?")) == mrYes)
        break;
    }
    doc->setWindowTitle(name);
    doc->TextName = name;
    doc->TextPath = FolderOf(name);
    doc->Status = tsChange;
    HistList->AddString(name);
  }
  const bool ok = doc->SaveText();
  if (!ok && doc->Status == tsChange)
    doc->Status = tsOld;
  RenumberTabs();
  ShowStatus(doc, true);
  return ok;
}

void THauptForm::CloseMDI(TMDIForm *doc) {
  const int index = doc->WinIndex;
  doc->WinIndex = -1;
  doc->Status = tsClose;
  if (FActive == doc) {
    doc->ShowLokPanel(false);
    for (QAction *a : FMergedMenus)
      menuBar()->removeAction(a);
    FMergedMenus.clear();
    FActive = nullptr;
  }
  if (index >= 0 && index < FTabs->count()) {
    const QSignalBlocker block(FTabs);
    FTabs->removeTab(index);
    for (TMDIForm *d : Documents())
      if (d->WinIndex > index)
        --d->WinIndex;
  }
  RenumberTabs();
  ShowStatus(nullptr, true);
}

void THauptForm::SaveExecute() {
  if (TMDIForm *doc = ActiveDocument())
    SaveTextFromMDI(doc);
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
  auto *w = qobject_cast<QMdiSubWindow *>(doc->parentWidget());
  const bool last = Documents().size() == 1;
  if (!w || !w->close())
    return;
  // The empty document replaces the last one only after that one really closed.
  if (last)
    CreateNewText(ftHtml);
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

bool THauptForm::eventFilter(QObject *o, QEvent *e) { return QMainWindow::eventFilter(o, e); }

void THauptForm::closeEvent(QCloseEvent *e) {
  if (FClosing) {
    e->accept();
    return;
  }
  // Every document asks about its unsaved changes; one that is kept open stops the close.
  for (TMDIForm *d : Documents()) {
    ActivateText(d);
    if (!d->AskForSave()) {
      e->ignore();
      return;
    }
  }
  const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
  if (normal)
    RememberNormalGeometry();
  Settings.Form.State = windowState() & Qt::WindowMaximized ? 2 : windowState() & Qt::WindowMinimized ? 1 : 0;
  for (TMDIForm *d : Documents()) {
    d->Status = tsClose;
    d->TextBuffer->SetModified(false);
  }
  FClosing = true;
  WriteSettings();
  e->accept();
}

bool THauptForm::WriteSettings() {
  auto ini = TUnicodeIniFile::CreateForWrite(Paths.IniName);
  const bool normal = Settings.Form.State == 0;
  Settings.Write(*ini, normal);
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
