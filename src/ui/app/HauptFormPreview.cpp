// The main window's preview and reference commands (see HauptFormPreview.h), and the choice of
// the preview engine at start-up.
#include "ui/app/HauptFormPreview.h"
#include "core/common/FileNames.h"
#include "core/common/Translate.h"
#include "core/preview/PageCheck.h"
#include "core/preview/PreviewFile.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPanels.h"
#include "ui/app/SidePanels.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/preview/PreviewEngine.h"
#include "ui/preview/WebBrowser.h"
#include "ui/preview/WebView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>

namespace {
QPointer<TMDIForm> CheckedDocument; // the document whose check fills the results tree
QString CheckedName;
} // namespace

void InstallPreview(THauptForm *main) { new TPreviewCommands(main); }

TPreviewCommands *TPreviewCommands::Of(const THauptForm *main) {
  return main->findChild<TPreviewCommands *>(QStringLiteral("PreviewCommands"), Qt::FindDirectChildrenOnly);
}

TPreviewCommands::TPreviewCommands(THauptForm *main) : QObject(main), F(main) {
  setObjectName(QStringLiteral("PreviewCommands"));
  FTypingTimer = new QTimer(this);
  FTypingTimer->setSingleShot(true);
  FTypingTimer->setInterval(500);
  connect(FTypingTimer, &QTimer::timeout, this, [this] {
    if (FWebView && FWebView->isVisible())
      FWebView->FollowDocument();
  });
  CreateActions();
  connect(F->FMdi, &QMdiArea::subWindowActivated, this, &TPreviewCommands::DocumentActivated);
}

TPreviewCommands::~TPreviewCommands() = default;

bool TPreviewCommands::HasWebView() const { return !FWebView.isNull(); }

void TPreviewCommands::CreateActions() {
  struct TRow {
    const char *Name, *Caption, *Hint;
    int Tag;
    QKeySequence Key;
    void (TPreviewCommands::*Handler)();
  };
  const TRow rows[] = {
      {"ActionShowHelp", "&Help", "", 2001, QKeySequence(Qt::Key_F1), &TPreviewCommands::ActionShowHelpExecute},
      {"ActionPreview", "Pre&view", "Internal preview", 2002, QKeySequence(Qt::Key_F12),
       &TPreviewCommands::ActionPreviewExecute},
      {"ActionShowRef", "Html &reference", "", 2004, QKeySequence(Qt::Key_F11),
       &TPreviewCommands::ActionShowRefExecute},
      {"ActionExtPreview", "&ext. preview", "Preview using external browser", 2005, QKeySequence(Qt::Key_F10),
       &TPreviewCommands::ActionExtPreviewExecute},
      {"ActionCheckPage", "Check page", "", 0, {}, &TPreviewCommands::CheckPageExecute},
  };
  for (const TRow &r : rows) {
    auto *a = new QAction(_(r.Caption), F);
    a->setObjectName(QString::fromLatin1(r.Name));
    a->setData(r.Tag);
    if (*r.Hint)
      a->setToolTip(_(r.Hint));
    a->setShortcut(r.Key);
    connect(a, &QAction::triggered, this, r.Handler);
    F->addAction(a);
    F->FActions << a;
  }

  PreviewMenu = new QMenu(_("Pre&view"), F);
  PreviewMenu->setObjectName(QStringLiteral("itmPreview"));
  PreviewMenu->addAction(F->Action(QStringLiteral("ActionPreview")));
  PreviewMenu->addAction(F->Action(QStringLiteral("ActionExtPreview")));
  QAction *browser = PreviewMenu->addAction(_("External &browser .."), this, &TPreviewCommands::itmBrowserClick);
  browser->setObjectName(QStringLiteral("itmBrowser"));
  PreviewMenu->addSeparator();
  auto *engines = new QActionGroup(this);
  ClassicAction = PreviewMenu->addAction(_("Classic browser"), this, [this] { SetPreviewBrowser(false); });
  ClassicAction->setObjectName(QStringLiteral("itmClassicBrowser"));
  EdgeAction = PreviewMenu->addAction(_("Edge browser"), this, [this] { SetPreviewBrowser(true); });
  EdgeAction->setObjectName(QStringLiteral("itmEdgeBrowser"));
  for (QAction *a : {ClassicAction, EdgeAction}) {
    a->setCheckable(true);
    engines->addAction(a);
  }
  ClassicAction->setChecked(true);
  RefreshTypingAction = PreviewMenu->addAction(_("Refresh while typing"));
  RefreshTypingAction->setObjectName(QStringLiteral("itmRefreshTyping"));
  RefreshTypingAction->setCheckable(true);
  connect(RefreshTypingAction, &QAction::toggled, this, [this](bool on) {
    if (FWebView || on)
      WebView()->RefreshWhileTyping = on;
  });
  PreviewMenu->addSeparator();
  PreviewMenu->addAction(F->Action(QStringLiteral("ActionCheckPage")));
  PreviewMenu->addSeparator();
  PreviewMenu->addAction(F->Action(QStringLiteral("ActionShowRef")));
  ReferenceMenu = PreviewMenu->addMenu(_("HTML &Reference"));
  ReferenceMenu->setObjectName(QStringLiteral("itmReference"));
  auto *kinds = new QActionGroup(this);
  ChmAction = ReferenceMenu->addAction(_("as &Windows help file .."), this, &TPreviewCommands::itmChmHelpClick);
  ChmAction->setObjectName(QStringLiteral("itmChmHelp"));
  HtmlAction = ReferenceMenu->addAction(_("as &HTML files .."), this, &TPreviewCommands::itmHtmlHelpClick);
  HtmlAction->setObjectName(QStringLiteral("itmHtmlHelp"));
  WikiAction = ReferenceMenu->addAction(_("from Wiki .."), this, &TPreviewCommands::itmWikiHelpClick);
  WikiAction->setObjectName(QStringLiteral("itmWikiHelp"));
  for (QAction *a : {ChmAction, HtmlAction, WikiAction}) {
    a->setCheckable(true);
    kinds->addAction(a);
  }
  UpdateReferenceChecks();

  F->menuBar()->insertMenu(F->FHelpMenu->menuAction(), PreviewMenu);
  const QList<QAction *> help = F->FHelpMenu->actions();
  F->FHelpMenu->insertAction(help.isEmpty() ? nullptr : help.first(), F->Action(QStringLiteral("ActionShowHelp")));
}

void TPreviewCommands::UpdateReferenceChecks() {
  const int mode = F->Settings.HtmlHelpMode;
  ChmAction->setChecked(mode == hhChm);
  HtmlAction->setChecked(mode == hhHtml);
  WikiAction->setChecked(mode == hhWiki);
  F->Action(QStringLiteral("ActionShowRef"))->setEnabled(mode != hhOff);
}

void TPreviewCommands::SelectEngine() {
  // Only what is installed is looked at here: the engine itself starts with the first preview.
  if (F->Settings.UseEdgeBrowser && !ModernEngineAvailable()) {
    ErrorBox(_("Edge browser not available"));
    F->Settings.UseEdgeBrowser = false;
  }
  (F->Settings.UseEdgeBrowser ? EdgeAction : ClassicAction)->setChecked(true);
  UpdateReferenceChecks();
}

TfrmWebView *TPreviewCommands::WebView() {
  if (FWebView)
    return FWebView;
  FWebView = new TfrmWebView(F);
  FWebView->LoadFromIni(F->Paths.IniName, QStringLiteral("Preview"));
  if (!FWebView->SetBrowserMode(F->Settings.UseEdgeBrowser)) {
    F->Settings.UseEdgeBrowser = false;
    ClassicAction->setChecked(true);
  }
  {
    const QSignalBlocker block(RefreshTypingAction);
    RefreshTypingAction->setChecked(FWebView->RefreshWhileTyping);
  }
  FWebView->FOnRefresh = [this](QString &caption, QString &org, QString &page) { GetPreviewPage(caption, org, page); };
  connect(FWebView, &TfrmWebView::EngineFailed, this, [this](const QString &message) {
    F->Settings.UseEdgeBrowser = false;
    ClassicAction->setChecked(true);
    ErrorBox(message);
  });
  return FWebView;
}

TWebBrowserWin *TPreviewCommands::RefWindow() {
  if (!FRefWin) {
    FRefWin = new TWebBrowserWin(F);
    FRefWin->setObjectName(QStringLiteral("RefWindow"));
    FRefWin->LoadFromIni(F->Paths.IniName, QStringLiteral("Reference"));
  }
  // A web reference needs the modern engine; local pages use the chosen one.
  FRefWin->SetModernEngine(ModernEngineAvailable() &&
                           (F->Settings.UseEdgeBrowser || F->Settings.HtmlHelpMode == hhWiki));
  return FRefWin;
}

TWebBrowserWin *TPreviewCommands::HelpWindow() {
  if (!FHelpWin) {
    FHelpWin = new TWebBrowserWin(F);
    FHelpWin->setObjectName(QStringLiteral("HelpWindow"));
    FHelpWin->resize(760, 600);
  }
  return FHelpWin;
}

QString TPreviewCommands::WritePreview(TMDIForm *doc, bool expandTemplates, QString *error, bool *templateFailed) {
  const QString folder = doc->Status == tsNew ? doc->TextPath : FolderOf(doc->TextName);
  const bool isTemplate =
      expandTemplates && QFileInfo(doc->TextName).suffix().compare(QLatin1String("htt"), Qt::CaseInsensitive) == 0;
  const TPreviewWrite w = WritePreviewFile(folder, F->Paths.BaseName, doc->TextBuffer->Utf8View(), doc->Encoding,
                                           doc->UseBom, isTemplate);
  if (error)
    *error = w.Error;
  if (templateFailed)
    *templateFailed = w.TemplateFailed;
  return w.FileName;
}

void TPreviewCommands::GetPreviewPage(QString &caption, QString &org, QString &page) {
  TMDIForm *doc = F->ActiveDocument();
  page.clear();
  if (!doc || doc->FileType != ftHtml)
    return;
  caption = doc->Caption();
  org = doc->TextName;
  // A page that cannot be written now leaves the one shown before.
  page = WritePreview(doc, true, nullptr);
}

void TPreviewCommands::ActionPreviewExecute() {
  TMDIForm *doc = F->ActiveDocument();
  if (!doc)
    return;
  if (FWebView && FWebView->isActiveWindow()) {
    F->raise();
    F->activateWindow();
    return;
  }
  QString error;
  bool templateFailed = false;
  const QString page = WritePreview(doc, true, &error, &templateFailed);
  if (page.isEmpty()) {
    if (templateFailed)
      ErrorBox(_("Error in HTT template") + (error.isEmpty() ? QString() : QStringLiteral("\n") + error));
    else
      ErrorBox(FormatS(_("Error saving file \"%s\":\n%s"),
                       {PreviewFileName(doc->Status == tsNew ? doc->TextPath : FolderOf(doc->TextName),
                                        F->Paths.BaseName),
                        error}));
    return;
  }
  WebView()->ShowWebPage(F, doc->Caption(), doc->TextName, page);
}

void TPreviewCommands::ActionExtPreviewExecute() {
  TMDIForm *doc = F->ActiveDocument();
  if (!doc)
    return;
  QString error;
  const QString page = WritePreview(doc, false, &error);
  if (page.isEmpty()) {
    ErrorBox(FormatS(_("Error saving file \"%s\":\n%s"), {doc->TextName, error}));
    return;
  }
  // The name goes as one argument: blanks in it need no quoting. A browser that cannot be
  // started gives no message; bringing it to the front is left to the desktop.
  if (!F->Settings.ExtBrowser.isEmpty())
    QProcess::startDetached(F->Settings.ExtBrowser, {page});
  else
    QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

QString TPreviewCommands::AskFile(const QString &title, const QString &folder, const QString &filter,
                                  const QString &proposed) {
  if (F->OpenNameResponder)
    return F->OpenNameResponder(title, folder);
  return QFileDialog::getOpenFileName(F, title, proposed.isEmpty() ? folder : folder + u'/' + proposed, filter);
}

void TPreviewCommands::itmBrowserClick() {
  const QString current = F->Settings.ExtBrowser;
  const QString name = AskFile(_("Search for external browser"),
                               current.isEmpty() ? QStringLiteral("/usr/bin") : QFileInfo(current).path(),
                               _("Programs") + QStringLiteral(" (*)"), QFileInfo(current).fileName());
  if (!name.isEmpty())
    F->Settings.ExtBrowser = name;
}

bool TPreviewCommands::SetPreviewBrowser(bool edge) {
  const bool ok = edge ? (FWebView ? FWebView->SetBrowserMode(true) : ModernEngineAvailable())
                       : (!FWebView || FWebView->SetBrowserMode(false));
  if (!ok) {
    ErrorBox(_("Edge browser not available"));
    ClassicAction->setChecked(true);
    return false;
  }
  F->Settings.UseEdgeBrowser = edge;
  (edge ? EdgeAction : ClassicAction)->setChecked(true);
  if (FWebView)
    FWebView->SetBrowserMode(edge);
  return true;
}

void TPreviewCommands::ActionShowRefExecute() {
  const int mode = F->Settings.HtmlHelpMode;
  if (mode == hhOff)
    return;
  if (mode == hhChm) {
    // Opened with the desktop's viewer for such files; a missing one shows its own message.
    QDesktopServices::openUrl(QUrl::fromLocalFile(F->Settings.HtmlRefPath));
    return;
  }
  TWebBrowserWin *w = RefWindow();
  if (w->isVisible() && !w->isActiveWindow() && w->HomePage() == ReferenceAddress(F->Settings.HtmlRefPath)) {
    w->raise();
    w->activateWindow();
    return;
  }
  w->Execute(F, _("Html reference"), F->Action(QStringLiteral("ActionShowRef"))->shortcut(), false, QString(),
             F->Settings.HtmlRefPath);
}

QString TPreviewCommands::HelpFile() const {
  return F->Paths.ProgramDir + QStringLiteral("help/") + _("index.html");
}

void TPreviewCommands::ActionShowHelpExecute() {
  const QString file = HelpFile();
  if (!QFileInfo::exists(file)) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(file)); // the desktop tells that it is missing
    return;
  }
  HelpWindow()->Execute(F, _("Help"), F->Action(QStringLiteral("ActionShowHelp"))->shortcut(), false, QString(),
                        file);
}

void TPreviewCommands::itmChmHelpClick() {
  const QString path = F->Settings.HtmlRefPath;
  const QString folder = path.contains(QLatin1String("://")) || path.isEmpty() ? F->Paths.ProgramDir
                                                                                : QFileInfo(path).path();
  const QString name = AskFile(_("Search for HTML reference"), folder,
                               _("Windows help file") + QStringLiteral(" (*.chm)"), QString());
  if (name.isEmpty())
    return UpdateReferenceChecks();
  F->Settings.HtmlRefPath = name;
  F->Settings.HtmlHelpMode = QFileInfo::exists(name) ? hhChm : hhOff;
  UpdateReferenceChecks();
}

void TPreviewCommands::itmHtmlHelpClick() {
  const QString path = F->Settings.HtmlRefPath;
  const QString folder = path.contains(QLatin1String("://")) || path.isEmpty() ? F->Paths.ProgramDir
                                                                                : QFileInfo(path).path();
  const QString name = AskFile(_("Search for HTML reference"), folder,
                               _("HTML document") + QStringLiteral(" (*.htm *.html)"), QStringLiteral("index.htm"));
  if (name.isEmpty())
    return UpdateReferenceChecks();
  F->Settings.HtmlRefPath = name;
  F->Settings.HtmlHelpMode = QFileInfo::exists(name) ? hhHtml : hhOff;
  UpdateReferenceChecks();
}

void TPreviewCommands::itmWikiHelpClick() {
  const QString proposal =
      F->Settings.HtmlHelpMode == hhWiki ? F->Settings.HtmlRefPath : DefaultWikiAddress();
  QString url;
  if (WikiResponder) {
    url = WikiResponder(proposal);
  } else {
    QInputDialog dialog(F);
    dialog.setWindowTitle(_("Insert URL of HTML reference"));
    dialog.setLabelText(_("URL:"));
    dialog.setTextValue(proposal);
    KeepWindowOnScreen(&dialog, QCursor::pos() + QPoint(0, 16));
    if (dialog.exec() == QDialog::Accepted)
      url = dialog.textValue();
  }
  url = url.trimmed();
  if (url.isEmpty())
    return UpdateReferenceChecks();
  F->Settings.HtmlRefPath = url;
  F->Settings.HtmlHelpMode = hhWiki;
  UpdateReferenceChecks();
}

void TPreviewCommands::DocumentActivated() {
  disconnect(FTextLink);
  TMDIForm *doc = F->ActiveDocument();
  if (doc)
    FTextLink = connect(doc->TextBuffer, &QsciScintilla::textChanged, this, &TPreviewCommands::TextEdited);
  // The open preview follows the active document (other file types leave the page as it is).
  if (FWebView && FWebView->isVisible())
    FWebView->FollowDocument();
}

void TPreviewCommands::TextEdited() {
  if (FWebView && FWebView->isVisible() && FWebView->RefreshWhileTyping)
    FTypingTimer->start();
}

void TPreviewCommands::CheckPageExecute() {
  TMDIForm *doc = F->ActiveDocument();
  if (!doc)
    return;
  const TPageCheck check = CheckPage(doc->TextBuffer->Utf8View());
  if (!check.Available) {
    ErrorBox(_("Checking pages is not available in this build"));
    return;
  }
  TSearchResultsTree *tree = F->Panels()->Results();
  // The tree's hits open files by name; an unsaved document has none, so this command opens its
  // own hits and hands every other one on.
  if (!tree->property("checkRouted").toBool()) {
    tree->setProperty("checkRouted", true);
    disconnect(tree, &TSearchResultsTree::OpenRequested, F->Panels(), nullptr);
    TMainPanels *panels = F->Panels();
    THauptForm *main = F;
    connect(tree, &TSearchResultsTree::OpenRequested, panels, [panels, main](const TSearchResultsTree::TTarget &t) {
      if (CheckedDocument && t.Valid && t.FileName == CheckedName) {
        main->ActivateText(CheckedDocument);
        CheckedDocument->TextBuffer->SetSelection(t.Pos.BBegin, t.Pos.BBegin);
        CheckedDocument->TextBuffer->setFocus();
        return;
      }
      panels->OpenTarget(t);
    });
  }
  tree->clear();
  CheckedDocument = doc;
  CheckedName = doc->TextName;
  const QString shown = doc->Status == tsNew ? doc->Caption() : doc->TextName;
  QTreeWidgetItem *node = tree->AddFile(CheckedName, shown, false);
  int errors = 0;
  for (const TPageMessage &m : check.Messages) {
    errors += m.Error;
    const TBufferCoord at{qMax(1, m.Column), qMax(1, m.Line)};
    const QString kind = m.Error ? _("Error") : _("Warning");
    tree->AddHit(node,
                 QString::number(at.Line) + u':' + QString::number(at.Char) + QStringLiteral(" |") + kind +
                     QStringLiteral("| ") + m.Text,
                 TTextBlockPos{at, at, 0});
  }
  if (check.Messages.isEmpty())
    node->setText(0, shown + QStringLiteral("  (") + _("no errors or warnings") + u')');
  else
    node->setText(0, shown + QStringLiteral("  (") +
                         FormatS(_("%s error(s), %s warning(s)"),
                                 {QString::number(errors), QString::number(check.Messages.size() - errors)}) +
                         (check.Truncated ? QStringLiteral(" ...") : QString()) + u')');
  node->setExpanded(true);
  F->Panels()->Frame()->TopPages()->setCurrentWidget(tree);
  F->Panels()->Frame()->ShowTop(true);
}

// Start-up: the stored engine choice, falling back to the classic engine (Init's step for it).
void THauptForm::SelectPreviewEngine() {
  if (TPreviewCommands *p = TPreviewCommands::Of(this))
    p->SelectEngine();
}
