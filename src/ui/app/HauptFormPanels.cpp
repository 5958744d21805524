// The main window's panels: the frame around the documents, text macros, search and replace in
// files, local anchors and the link check.
#include "ui/app/HauptFormPanels.h"
#include "core/app/FileSearchRunner.h"
#include "core/app/FileTypeFilter.h"
#include "core/app/MacroList.h"
#include "core/common/FileNames.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/AnchorPage.h"
#include "ui/app/FileReplaceDlg.h"
#include "ui/app/FileSearchPage.h"
#include "ui/app/HauptForm.h"
#include "ui/app/MacroPage.h"
#include "ui/app/SidePanels.h"
#include "ui/common/AfterShown.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/Icons.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/shell/ProjectPage.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TMainPanels::TMainPanels(THauptForm *form) : QObject(form), F(form) {
  setObjectName(QStringLiteral("MainPanels"));
  // The frame takes the document area's place in the central layout.
  auto *layout = qobject_cast<QBoxLayout *>(F->centralWidget()->layout());
  const int at = layout->indexOf(F->FMdi);
  layout->removeWidget(F->FMdi);
  FFrame = new TSidePanels(F->FMdi, F->centralWidget());
  layout->insertWidget(at, FFrame, 1);

  FMacros = new TMacroPage;
  FMacroTopIndex = FFrame->AddTopPage(FMacros, _("Macros"));
  tvSearchresults = new TSearchResultsTree;
  tvSearchresults->setObjectName(QStringLiteral("tvSearchresults"));
  FResultsTopIndex = FFrame->AddTopPage(tvSearchresults, _("Search results"));
  // The project page is the first of the side; the main window's shell fills it.
  FFrame->AddLeftPage(new TProjectPage, _("Project"));
  FSearch = new TFileSearchPage;
  FSearchPageIndex = FFrame->AddLeftPage(FSearch, _("Search in files"));
  FAnchors = new TAnchorPage;
  FFrame->AddLeftPage(FAnchors, _("Local anchors"));
  // The pages besides the project page are made when first shown or used (soon after the window
  // appears at the latest): the window does not wait for them.
  FSearch->OnBuilt = [this] {
    auto ini = TUnicodeIniFile::CreateForRead(F->Paths.IniName);
    FSearch->LoadSettings(*ini, F->Settings.FileReplace);
    if (!FRunner->IsRunning())
      UpdateSearchOptions();
  };
  FAnchors->OnBuilt = [this] {
    connect(FAnchors->tvAnchors, &TSearchResultsTree::OpenRequested, this,
            [this](const TSearchResultsTree::TTarget &t) { OpenTarget(t); });
  };
  RunAfterShown(
      F,
      [this] {
        for (TLazyPage *page : std::initializer_list<TLazyPage *>{FMacros, FSearch, FAnchors})
          page->EnsureBuilt();
      },
      this);
  // The first page is on view from the start without having been chosen: the results take the
  // panel above the documents only when the user turns to the search page.
  FLeftIndex = -1;

  FRunner = new TFileSearchRunner(this);
  FRunner->SetDecider([this](const TReplaceQuestion &q) {
    if (!FReplaceDialog)
      FReplaceDialog = new TFileReplaceDialog(F);
    return FReplaceDialog->Execute(FDialogPos, q);
  });
  connect(FRunner, &TFileSearchRunner::Progress, this, [this](int index, int total, const QString &) {
    // The link check runs from the anchors page; the search page may not have been made.
    QProgressBar *pb = FSearch->IsBuilt() && FSearch->btnCancelSearch->isEnabled() ? FSearch->pbSearch
                                                                                   : AnchorPage()->pbAnchor;
    pb->setRange(0, qMax(0, total - 1));
    pb->setValue(index);
  });
  connect(FRunner, &TFileSearchRunner::FileDone, this, [this](const TFileResult &r) {
    QTreeWidgetItem *node = tvSearchresults->AddFile(r.FileName, r.FileName, true);
    for (const TFileMatch &m : r.Matches)
      tvSearchresults->AddHit(node, ResultLineText(m), m.Pos);
    // The hits of the first files are shown at once; a run over thousands of files stays a list
    // of file names to open one by one.
    if (tvSearchresults->topLevelItemCount() <= 50)
      node->setExpanded(true);
  });
  connect(FRunner, &TFileSearchRunner::Finished, this, &TMainPanels::SearchFinished);
  connect(FRunner, &TFileSearchRunner::LinksChecked, this, &TMainPanels::LinksChecked);

  CreateActions();

  connect(FFrame->LeftPages(), &QTabWidget::currentChanged, this, &TMainPanels::LeftPageChanged);
  // The arrow tells whether the macros are on view, not the search results.
  connect(FFrame, &TSidePanels::TopShownChanged, this, [this](bool shown) {
    UpdateMacroArrow(shown && FFrame->TopPages()->currentIndex() == FMacroTopIndex);
  });
  connect(FMacros, &TMacroPage::InsertRequested, this, &TMainPanels::InsertMacro);
  connect(tvSearchresults, &TSearchResultsTree::OpenRequested, this,
          [this](const TSearchResultsTree::TTarget &t) { OpenTarget(t); });
  connect(FSearch, &TFileSearchPage::StartRequested, this, &TMainPanels::StartSearch);
  connect(FSearch, &TFileSearchPage::CancelRequested, this, &TMainPanels::CancelSearch);
  connect(FSearch, &TFileSearchPage::ScopeChosen, this, [this](TSearchScope s) {
    SearchPage()->hcSearchTypes->setEditText(SearchTypesFor(
        s, ActiveExtension(), F->ActProject ? F->ActProject->TextTypes : QString(), !F->Projects.empty()));
  });
  connect(FSearch, &TFileSearchPage::BrowseRequested, this, [this] {
    const QString start = SearchPage()->hcSearchDir->currentText();
    const QString dir = F->SelectDirectory(_("Directory for search and replace"),
                                           QFileInfo(start).isDir() ? start : F->HtmPath(), QString());
    if (dir.isEmpty())
      return;
    SearchPage()->hcSearchDir->setEditText(WithTrailingSlash(dir));
    SearchPage()->rbSearchFolder->setChecked(true);
    SearchPage()->cbSearchSubDir->setEnabled(true);
    SearchPage()->hcSearchTypes->setEditText(SearchTypesFor(ssFolder, {}, {}, false));
  });
  connect(FAnchors, &TAnchorPage::SearchRequested, this, &TMainPanels::SearchAnchors);
  connect(FAnchors, &TAnchorPage::ExportRequested, this, &TMainPanels::ExportAnchors);
  connect(FAnchors, &TAnchorPage::CheckLinksRequested, this, &TMainPanels::CheckLinks);
  // The scopes follow the documents (a page not made yet takes them when it is made).
  connect(F->FMdi, &QMdiArea::subWindowActivated, this, [this] {
    if (FSearch->IsBuilt() && !FRunner->IsRunning())
      UpdateSearchOptions();
  });

  FFrame->SetLeftWidth(F->Settings.Form.FormSplit);
  FFrame->SetTopHeight(F->Settings.Form.EditSplit);
  FMacros->SetListWidth(F->Settings.Form.MacroSplit);
  UpdateMacroArrow(false);
}

TMainPanels::~TMainPanels() = default;

TMacroPage *TMainPanels::Macros() const {
  FMacros->EnsureBuilt();
  return FMacros;
}

TFileSearchPage *TMainPanels::SearchPage() const {
  FSearch->EnsureBuilt();
  return FSearch;
}

TAnchorPage *TMainPanels::AnchorPage() const {
  FAnchors->EnsureBuilt();
  return FAnchors;
}

void TMainPanels::CreateActions() {
  struct TRow {
    const char *Name;
    const char *Caption;
    QKeySequence Key;
    std::function<void()> Handler;
    const char *Icon;
    QStyle::StandardPixmap Fallback = QStyle::SP_CustomBase; // when the theme has no such icon
  };
  const auto selection = [this] {
    TMDIForm *d = F->ActiveDocument();
    return d ? d->TextBuffer->SelText() : QString();
  };
  const std::vector<TRow> rows = {
      {"ActionShowMacros", "&Text macros", QKeySequence(Qt::CTRL | Qt::Key_F10), [this] { ToggleMacros(); },
       ""},
      {"ActionMacroNew", "&New text macro", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M),
       [this, selection] {
         Macros()->NewMacro(selection(), ButtonCorner(F->Action(QStringLiteral("ActionMacroNew"))));
       },
       "document-new", QStyle::SP_FileIcon},
      {"ActionMacroReplace",
       "&Replace text macro with selection",
       {},
       [this, selection] {
         Macros()->ReplaceMacro(selection(), ButtonCorner(F->Action(QStringLiteral("ActionMacroReplace"))));
       },
       "view-refresh",
       QStyle::SP_BrowserReload},
      {"ActionMacroInsert", "&Insert text macro", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M),
       [this] { InsertMacro(); }, "insert-text", QStyle::SP_DialogApplyButton},
      {"ActionMacroRename",
       "&Rename text macro",
       {},
       [this] { Macros()->RenameMacro(ButtonCorner(F->Action(QStringLiteral("ActionMacroRename")))); },
       "edit-rename",
       QStyle::SP_FileDialogDetailedView},
      {"ActionMacroDelete",
       "&Delete text macro",
       {},
       [this] { Macros()->DeleteMacro(ButtonCorner(F->Action(QStringLiteral("ActionMacroDelete")))); },
       "edit-delete",
       QStyle::SP_TrashIcon},
      {"ActionMacroEdit", "&Edit text macro", {}, {}, "document-edit", QStyle::SP_FileDialogContentsView},
      {"ActionMacroUp",
       "Move text macro &up",
       {},
       [this] { Macros()->MoveMacro(-1); },
       "go-up",
       QStyle::SP_ArrowUp},
      {"ActionMacroDown",
       "Move text macro &down",
       {},
       [this] { Macros()->MoveMacro(1); },
       "go-down",
       QStyle::SP_ArrowDown},
      {"ActionCheckLinks", "Check &links", {}, [this] { CheckLinks(); }, ""},
  };
  for (const TRow &r : rows) {
    auto *a = new QAction(_(r.Caption), F);
    a->setObjectName(QString::fromLatin1(r.Name));
    if (!r.Key.isEmpty())
      a->setShortcut(r.Key);
    if (*r.Icon)
      a->setIcon(r.Fallback == QStyle::SP_CustomBase ? ThemedIcon(r.Icon) : ThemedIcon(r.Icon, r.Fallback));
    if (r.Handler)
      connect(a, &QAction::triggered, this, r.Handler);
    F->addAction(a);
    F->FActions << a;
  }
  QAction *edit = F->Action(QStringLiteral("ActionMacroEdit"));
  edit->setCheckable(true);
  connect(edit, &QAction::toggled, this, [this](bool on) { Macros()->SetEditing(on); });
  QList<QAction *> bar;
  for (const char *n : {"ActionMacroNew", "ActionMacroReplace", "ActionMacroInsert", "ActionMacroRename",
                        "ActionMacroDelete", "ActionMacroEdit"})
    bar << F->Action(QString::fromLatin1(n));
  FMacros->SetActions(bar, edit, F->Action(QStringLiteral("ActionMacroUp")),
                      F->Action(QStringLiteral("ActionMacroDown")));

  // The "Text macros" button above the documents; its arrow tells whether the panel is open.
  auto *panelBar = F->addToolBar(_("Panels"));
  panelBar->setObjectName(QStringLiteral("tbPanels"));
  btnMacros = new QToolButton(panelBar);
  btnMacros->setObjectName(QStringLiteral("btnMacros"));
  btnMacros->setText(_("Text macros"));
  btnMacros->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  QAction *show = F->Action(QStringLiteral("ActionShowMacros"));
  connect(btnMacros, &QToolButton::clicked, show, &QAction::trigger);
  connect(show, &QAction::changed, btnMacros, [this, show] { btnMacros->setEnabled(show->isEnabled()); });
  panelBar->addWidget(btnMacros);

  FWindowMenu = new QMenu(_("&Window"), F);
  FWindowMenu->setObjectName(QStringLiteral("itmWindow"));
  FWindowMenu->addAction(show);
  FWindowMenu->addSeparator();
  for (int i = 0; i < FFrame->LeftPages()->count(); ++i)
    FWindowMenu->addAction(FFrame->LeftPages()->tabText(i), this, [this, i] {
      FFrame->LeftPages()->setCurrentIndex(i);
      FFrame->LeftPages()->currentWidget()->setFocus();
    });
  FWindowMenu->addAction(F->Action(QStringLiteral("ActionCheckLinks")));
  F->menuBar()->insertMenu(F->FHelpMenu->menuAction(), FWindowMenu);
}

QPoint TMainPanels::ButtonCorner(QAction *a) const {
  QWidget *w = a ? Macros()->ToolBar()->widgetForAction(a) : nullptr;
  return w && w->isVisible() ? w->mapToGlobal(w->rect().bottomRight()) : QCursor::pos();
}

void TMainPanels::UpdateMacroArrow(bool shown) {
  btnMacros->setArrowType(shown ? Qt::UpArrow : Qt::DownArrow);
  if (!shown)
    FMacros->SetEditing(false); // nothing to store on a page not made yet
}

QString TMainPanels::MacroFileName() const {
  return TMacroList::MacroFileName(F->Paths.IniName);
}

void TMainPanels::LoadSettings() {
  FMacros->Load(MacroFileName());
}

void TMainPanels::WriteSettings(TUnicodeIniFile &ini) {
  F->Settings.Form.FormSplit = FFrame->LeftWidth();
  F->Settings.Form.EditSplit = FFrame->TopHeight();
  if (FMacros->ListWidth() > 0)
    F->Settings.Form.MacroSplit = FMacros->ListWidth();
  // A search page never made holds what was read: the stored histories stay as they are.
  if (FSearch->IsBuilt()) {
    F->Settings.FileReplace = FSearch->cbReplace->isChecked();
    FSearch->SaveSettings(ini);
  }
  FMacros->Save(MacroFileName());
}

void TMainPanels::ToggleMacros() {
  QAction *show = F->Action(QStringLiteral("ActionShowMacros"));
  if (!show->isEnabled())
    return;
  QTabWidget *top = FFrame->TopPages();
  const bool macrosShown = FFrame->TopShown() && top->currentIndex() == FMacroTopIndex;
  top->setCurrentIndex(FMacroTopIndex);
  if (macrosShown) {
    Macros()->SetEditing(false);
    FFrame->ShowTop(false);
  } else {
    FFrame->ShowTop(true);
  }
  UpdateMacroArrow(FFrame->TopShown());
}

void TMainPanels::InsertMacro() {
  TMDIForm *d = F->ActiveDocument();
  const int i = Macros()->Current();
  if (!d || i < 0)
    return;
  Macros()->SetEditing(false);
  QString text = Macros()->List.At(i).Text;
  // Stored with CR LF; the document keeps its own line breaks.
  const QString br = d->TextBuffer->LineBreak();
  if (br != QLatin1String("\r\n"))
    text.replace(QStringLiteral("\r\n"), br);
  d->TextBuffer->BeginUndoAction();
  d->TextBuffer->SetSelText(text);
  d->TextBuffer->EndUndoAction();
  d->TextBuffer->setFocus();
}

void TMainPanels::LeftPageChanged(int index) {
  QAction *show = F->Action(QStringLiteral("ActionShowMacros"));
  if (index == FSearchPageIndex && FLeftIndex != FSearchPageIndex) {
    // The search page brings its results above the documents; the macros wait meanwhile.
    FMacroPanelWasOpen = FFrame->TopShown() && FFrame->TopPages()->currentIndex() == FMacroTopIndex;
    Macros()->SetEditing(false);
    ShowResultsPanel();
    show->setEnabled(false);
    SearchPage()->hcSearchDir->setEditText(F->HtmPath());
    UpdateSearchOptions();
    SearchPage()->hcSearch->setEditText(SearchPage()->hcSearch->HistoryList()->Strings().value(0));
    SearchPage()->hcReplace->setEditText(SearchPage()->hcReplace->HistoryList()->Strings().value(0));
  } else if (FLeftIndex == FSearchPageIndex && index != FSearchPageIndex) {
    show->setEnabled(true);
    FFrame->TopPages()->setCurrentIndex(FMacroTopIndex);
    FFrame->ShowTop(FMacroPanelWasOpen);
  }
  FLeftIndex = index;
  UpdateMacroArrow(FFrame->TopShown() && FFrame->TopPages()->currentIndex() == FMacroTopIndex);
}

void TMainPanels::ShowResultsPanel() {
  FFrame->TopPages()->setCurrentIndex(FResultsTopIndex);
  FFrame->ShowTop(true);
}

QString TMainPanels::ActiveExtension() const {
  TMDIForm *d = F->ActiveDocument();
  return d && d->Status != tsNew ? QFileInfo(d->TextName).suffix() : QString();
}

QString TMainPanels::ProjectRoot() const {
  return F->ActProject && !F->ActProject->ProjPath.isEmpty() ? F->ActProject->ProjPath : F->HtmPath();
}

void TMainPanels::UpdateSearchOptions() {
  bool named = false;
  for (TMDIForm *d : F->Documents())
    named = named || d->Status != tsNew;
  SearchPage()->ApplyScopeState(::UpdateSearchOptions(SearchPage()->Scope(), named, !F->Projects.empty(),
                                                      ActiveExtension(),
                                                      F->ActProject ? F->ActProject->TextTypes : QString()));
}

void TMainPanels::SaveModifiedDocuments() {
  // The runs read the files on disk: what the user sees must be there. Unnamed documents have no
  // file and are never read.
  for (TMDIForm *d : F->Documents())
    if (d->Status != tsNew && d->IsModified())
      F->SaveTextFromMDI(d, false);
}

void TMainPanels::StartSearch() {
  if (FRunner->IsRunning())
    return;
  const TFileSearchOptions options = SearchPage()->Options();
  if (options.Find.isEmpty())
    return;
  // Questions appear beside the mouse, clear of the page.
  FDialogPos = QCursor::pos() + QPoint(50, -(200 + 20));
  if (options.DoReplace) {
    TMsgOptions o;
    o.Caption = QStringLiteral("Quillmark");
    o.Place = mpPoint;
    o.At = FDialogPos;
    if (!ConfirmBox(_("Are you sure to change the selected files?"), o))
      return;
    SaveModifiedDocuments();
  }
  SearchPage()->lblSearchStatus->setText(_("Start searching"));
  TFileSearchPage::TakeText(SearchPage()->hcSearch);
  if (options.DoReplace)
    TFileSearchPage::TakeText(SearchPage()->hcReplace);
  TFileSearchJob job;
  job.Options = options;
  job.Types = TFileSearchPage::TakeText(SearchPage()->hcSearchTypes);
  switch (SearchPage()->Scope()) {
  case ssOpenFiles:
    for (TMDIForm *d : F->Documents())
      if (d->Status != tsNew)
        job.Files << d->TextName;
    break;
  case ssProjectFiles:
    job.Folder = F->HtmPath();
    job.SubFolders = true;
    break;
  case ssFolder: {
    const QString dir = SearchPage()->hcSearchDir->currentText();
    if (!dir.isEmpty() && QFileInfo(dir).isDir()) {
      TFileSearchPage::TakeText(SearchPage()->hcSearchDir);
      job.Folder = WithTrailingSlash(dir);
      job.SubFolders = SearchPage()->cbSearchSubDir->isChecked();
    } else {
      TMsgOptions o;
      o.Caption = QStringLiteral("Quillmark");
      ShowMessage(mkError, FormatS(_("Directory:\r\n%s\r\nnot found!"), {dir}), o);
    }
    break;
  }
  }
  tvSearchresults->clear();
  ShowResultsPanel();
  SearchPage()->pbSearch->setRange(0, 1);
  SearchPage()->pbSearch->setValue(0);
  SearchPage()->SetRunning(true);
  if (!FRunner->Start(job))
    SearchPage()->SetRunning(false);
}

void TMainPanels::CancelSearch() {
  FRunner->Cancel();
}

void TMainPanels::SearchFinished(const TFileSearchSummary &summary) {
  FSummary = summary;
  SearchPage()->SetRunning(false);
  SearchPage()->pbSearch->setValue(SearchPage()->pbSearch->maximum());
  QString status = SearchStatusText(summary);
  if (!summary.BinaryFiles.isEmpty())
    status += QStringLiteral("\r\n") +
              FormatS(_("%s file(s) with NUL bytes skipped"), {QString::number(summary.BinaryFiles.size())});
  SearchPage()->lblSearchStatus->setText(status);
  // Documents whose files were rewritten show the new text; one with edits made during the run
  // asks first.
  for (TMDIForm *d : F->Documents()) {
    if (d->Status == tsNew)
      continue;
    const bool rewritten = std::any_of(summary.Rewritten.begin(), summary.Rewritten.end(),
                                       [d](const QString &f) { return SameFileName(f, d->TextName); });
    if (!rewritten)
      continue;
    if (d->IsModified())
      d->ReloadIfChanged();
    else
      d->ReLoadText();
  }
  if (!summary.Problems.isEmpty()) {
    QStringList lines;
    for (const TFileProblem &p : summary.Problems.mid(0, 20))
      lines << p.FileName + QStringLiteral(": ") + p.Message;
    if (summary.Problems.size() > 20)
      lines << QStringLiteral("...");
    ErrorBox(lines.join(QStringLiteral("\r\n")));
  }
}

void TMainPanels::OpenTarget(const TSearchResultsTree::TTarget &t, const QString &root) {
  if (!t.Valid)
    return;
  QString file = t.FileName;
  if (QFileInfo(file).isRelative())
    file = QDir::cleanPath(QDir(root.isEmpty() ? ProjectRoot() : root).absoluteFilePath(file));
  if (!F->OpenTextFile(file))
    return;
  TMDIForm *d = F->ActiveDocument();
  if (!d)
    return;
  F->ActivateText(d);
  d->TextBuffer->SetSelection(t.Pos.BBegin, t.Pos.BEnd);
  d->TextBuffer->setFocus();
}

void TMainPanels::SearchAnchors() {
  SaveModifiedDocuments();
  const TFileTypeFilter htm(QStringLiteral("htm*"));
  QStringList files;
  switch (AnchorPage()->Scope()) {
  case asActiveFile:
    if (TMDIForm *d = F->ActiveDocument(); d && d->Status != tsNew && htm.Matches(d->TextName))
      files << d->TextName;
    break;
  case asOpenFiles:
    for (TMDIForm *d : F->Documents())
      if (d->Status != tsNew && htm.Matches(d->TextName))
        files << d->TextName;
    break;
  case asProject:
    files = ListFolderFiles(F->HtmPath(), true, htm);
    break;
  }
  const QString root = ProjectRoot();
  TSearchResultsTree *tree = AnchorPage()->tvAnchors;
  tree->clear();
  AnchorPage()->pbAnchor->setRange(0, qMax(0, int(files.size()) - 1));
  QStringList problems;
  FAnchorFiles = CollectAnchors(
      files, root, AnchorPage()->SortByName(),
      [this](int index, int) {
        AnchorPage()->pbAnchor->setValue(index);
        if (index % 64 == 0)
          QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
      },
      nullptr, &problems);
  for (const TAnchorFile &f : FAnchorFiles) {
    QTreeWidgetItem *node =
        tree->AddFile(QDir::cleanPath(QDir(root).absoluteFilePath(f.Name)), f.Name, false);
    for (const TAnchorEntry &e : f.Entries)
      tree->AddHit(node, e.Text(), e.Pos);
  }
  AnchorPage()->lblAnchorStatus->setText(AnchorStatusText(FAnchorFiles));
  if (AnchorPage()->Scope() == asActiveFile && tree->topLevelItemCount() > 0)
    tree->topLevelItem(0)->setExpanded(true);
  if (!problems.isEmpty())
    ErrorBox(problems.mid(0, 20).join(QStringLiteral("\r\n")));
}

void TMainPanels::ExportAnchors() {
  if (FAnchorFiles.isEmpty())
    SearchAnchors();
  if (FAnchorFiles.isEmpty()) {
    ErrorBox(_("Found no anchors"));
    return;
  }
  const QString root = ProjectRoot();
  const QString projectName = F->ActProject ? F->ActProject->ProjName : QString();
  QString proposed;
  TMDIForm *d = F->ActiveDocument();
  if (AnchorPage()->Scope() == asActiveFile && d && d->Status != tsNew)
    proposed = QFileInfo(d->TextName).completeBaseName() + QStringLiteral(".txt");
  else
    proposed = projectName.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)
                   ? projectName
                   : projectName + QStringLiteral(".txt");
  const QString name =
      F->AskSaveName(_("Save anchor list to"), root, proposed,
                     {_("Text document") + QStringLiteral(" (*.txt)"), _("all") + QStringLiteral(" (*)")},
                     QStringLiteral("txt"));
  if (name.isEmpty())
    return;
  if (QFileInfo::exists(name) && ShowMessage(mkConfirm, FormatS(_("File: \"%s\" already exists!"), {name}) +
                                                            u'\n' + _("Overwrite file?")) != mrYes)
    return;
  QString error;
  if (!WriteAnchorExport(name, projectName, root, FAnchorFiles, &error)) {
    ErrorBox(_("Error saving anchor list to file!") + QStringLiteral("\r\n") + error);
    return;
  }
  if (d && d->Status != tsNew && SameFileName(d->TextName, name))
    d->ReLoadText();
}

void TMainPanels::CheckLinks() {
  if (FRunner->IsRunning())
    return;
  SaveModifiedDocuments();
  TLinkCheckJob job;
  switch (AnchorPage()->Scope()) {
  case asActiveFile:
    if (TMDIForm *d = F->ActiveDocument(); d && d->Status != tsNew)
      job.Files << d->TextName;
    break;
  case asOpenFiles:
    for (TMDIForm *d : F->Documents())
      if (d->Status != tsNew)
        job.Files << d->TextName;
    break;
  case asProject:
    job.Folder = F->HtmPath();
    job.SubFolders = true;
    break;
  }
  job.Root = ProjectRoot();
  if (F->ActProject)
    job.CaseMode = F->ActProject->CaseMode;
  tvSearchresults->clear();
  ShowResultsPanel();
  AnchorPage()->lblAnchorStatus->setText(_("Checking links"));
  AnchorPage()->btnCheckLinks->setEnabled(false);
  if (!FRunner->StartLinkCheck(job))
    AnchorPage()->btnCheckLinks->setEnabled(true);
}

void TMainPanels::ShowBrokenLinks(const TLinkCheckSummary &summary) {
  tvSearchresults->clear();
  ShowResultsPanel();
  LinksChecked(summary);
}

void TMainPanels::LinksChecked(const TLinkCheckSummary &summary) {
  AnchorPage()->btnCheckLinks->setEnabled(true);
  QTreeWidgetItem *node = nullptr;
  QString current;
  QSet<QString> files;
  for (const TBrokenLink &b : summary.Broken) {
    if (!node || b.FileName != current) {
      current = b.FileName;
      node = tvSearchresults->AddFile(b.FileName, b.FileName, true);
      files.insert(b.FileName);
    }
    const QString why = b.Fault == lfMissingFile ? _("file not found") : _("anchor not found");
    tvSearchresults->AddHit(node, ResultLineText(b.Match) + QStringLiteral("  (") + why + u')', b.Match.Pos);
  }
  QString status = summary.Cancelled ? _("Searching was cancelled!")
                   : summary.Broken.isEmpty()
                       ? FormatS(_("No broken links in %s file(s)"), {QString::number(summary.FilesChecked)})
                       : FormatS(_("%s broken link(s) in %s file(s)"),
                                 {QString::number(summary.Broken.size()), QString::number(files.size())});
  AnchorPage()->lblAnchorStatus->setText(status);
  for (int i = 0; i < tvSearchresults->topLevelItemCount(); ++i)
    tvSearchresults->topLevelItem(i)->setExpanded(true);
}
