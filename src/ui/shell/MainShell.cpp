#include "ui/shell/MainShell.h"
#include "core/common/FileNames.h"
#include "core/common/LangIds.h"
#include "core/common/Translate.h"
#include "core/editor/Entities.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormPanels.h"
#include "ui/app/SidePanels.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/dialogs/SelectFromListDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/print/PageFormatDlg.h"
#include "ui/print/TextPrinter.h"
#include "ui/shell/FilesTabBar.h"
#include "ui/shell/ProjectPage.h"
#include "ui/shell/RemoveTagsDlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTabWidget>

namespace {
// The commands that need a document, and those that need a modified one.
const char *const DocumentCommands[] = {"ActionSaveAs", "ActionClose", "ActionTemplate", "ActionViewSettings",
                                        "ActionPrint"};

QString TypeDescription(TFileTypes ft) {
  const int t = ft < FileTypeCount ? int(ft) : int(ftText);
  return _(FileTypeInfo[t].Desc);
}
} // namespace

TMainShell::TMainShell(THauptForm *form) : QObject(form), F(form) {
  setObjectName(QStringLiteral("MainShell"));

  // Tabs: what each one shows comes from its document.
  TFilesTabBar *bar = TabBar();
  bar->Look = [this](int i) {
    TFilesTabBar::TTabLook l;
    TMDIForm *d = F->DocById(F->FTabs->tabData(i).toInt());
    if (!d)
      return l;
    l.Known = true;
    l.Caption = d->Status == tsNew ? d->windowTitle() : QFileInfo(d->TextName).fileName();
    l.FileType = d->FileType;
    l.Modified = d->IsModified();
    return l;
  };
  connect(bar, &TFilesTabBar::CloseRequested, this, &TMainShell::CloseTab);
  connect(bar, &TFilesTabBar::HintChanged, this, &TMainShell::ShowTabHint);
  connect(bar, &TFilesTabBar::TabDropped, this, [this](int, int to) {
    F->RenumberTabs();
    if (TMDIForm *d = F->DocById(F->FTabs->tabData(to).toInt()))
      F->ActivateText(d);
  });

  // Status bar: six panels; the last one also shows the hints of the tabs.
  F->statusBar()->removeWidget(F->FModifiedPanel);
  F->FModifiedPanel->hide();
  QLabel *last = F->FPanels[5];
  last->setAutoFillBackground(true);
  last->setMinimumWidth(50);
  for (QLabel *p : F->FPanels)
    p->setFrameShape(QFrame::StyledPanel);
  // Caret and mode keep their width whatever they show, so that the other panels stay put.
  const QFontMetrics fm(F->FPanels[1]->font());
  F->FPanels[1]->setMinimumWidth(fm.horizontalAdvance(QStringLiteral("000000:000")) + 16);
  F->FPanels[2]->setMinimumWidth(std::max(fm.horizontalAdvance(_("Insert")), fm.horizontalAdvance(_("Overwrite"))) + 16);

  // The project page, first of the left side.
  FProjectPage = F->FMainPanels->Frame()->LeftPages()->findChild<TProjectPage *>();
  if (FProjectPage) {
    QStringList extensions;
    for (const TSynEditProperties &p : F->Settings.SynProps)
      for (const QString &e : p.Types.split(u',', Qt::SkipEmptyParts))
        extensions << e.trimmed().toLower();
    FProjectPage->SetExtensions(extensions);
    FProjectPage->ProjectRoot = [this] { return F->HtmPath(); };
    FProjectPage->ProjectName = [this] { return F->ActProject ? F->ActProject->ProjName : QString(); };
    FProjectPage->IsOpen = [this](const QString &name) { return F->IsOpenDocument(name); };
    FProjectPage->SetTreeHeight(F->Settings.Form.NavSplit);
    connect(FProjectPage, &TProjectPage::OpenFileRequested, this, [this](const QString &f) { F->OpenTextFile(f); });
    connect(FProjectPage, &TProjectPage::OpenRequested, this, [this] {
      if (QAction *open = F->Action(QStringLiteral("ActionOpen")))
        open->trigger();
    });
    connect(FProjectPage, &TProjectPage::FolderChanged, this, [this] { LayoutRootPanel(); });
    connect(FProjectPage, &TProjectPage::TreeHeightChanged, this,
            [this](int h) { F->Settings.Form.NavSplit = h; });
  }
  // Panel 0 is as wide as the left side, whichever way that changes.
  F->FMainPanels->Frame()->LeftPages()->installEventFilter(this);
  CreateActions();
}

bool TMainShell::eventFilter(QObject *o, QEvent *e) {
  if (e->type() == QEvent::Resize && o == F->FMainPanels->Frame()->LeftPages())
    LayoutRootPanel();
  return QObject::eventFilter(o, e);
}

TFilesTabBar *TMainShell::TabBar() const { return static_cast<TFilesTabBar *>(F->FTabs); }

QLabel *TMainShell::Panel(int i) const { return F->FPanels[i]; }

void TMainShell::CreateActions() {
  struct TRow {
    const char *Name;
    const char *Caption;
    const char *Hint;
    int Tag;
    QKeySequence Key;
    void (TMainShell::*Handler)();
  };
  static const TRow rows[] = {
      {"ActionPrint", "&Print ..", "Print", 2501, QKeySequence(Qt::CTRL | Qt::Key_P), &TMainShell::PrintExecute},
      {"ActionPrintSetup", "&Selection ..", "Printer selection", 2502, {}, &TMainShell::PrintSetupExecute},
      {"ActionPrintLayout", "&Page settings ..", "Page settings", 2503, {}, &TMainShell::PrintLayoutExecute},
  };
  QList<QAction *> made;
  for (const TRow &r : rows) {
    auto *a = new QAction(_(r.Caption), F);
    a->setObjectName(QString::fromLatin1(r.Name));
    a->setData(r.Tag);
    a->setStatusTip(_(r.Hint));
    a->setProperty("Category", QStringLiteral("Printer"));
    if (!r.Key.isEmpty())
      a->setShortcut(r.Key);
    connect(a, &QAction::triggered, this, r.Handler);
    F->addAction(a);
    F->FActions << a;
    made << a;
  }
  // Into the file menu before "&Quit", as a group of their own.
  if (QAction *quit = F->Action(QStringLiteral("ActionExit"))) {
    F->FFileMenu->insertActions(quit, made);
    F->FFileMenu->insertSeparator(quit);
  } else {
    F->FFileMenu->addSeparator();
    F->FFileMenu->addActions(made);
  }
}

void TMainShell::LayoutRootPanel() {
  QLabel *p0 = F->FPanels[0];
  // As wide as the left side; the root path is shortened to fit.
  // The other panels keep their room in a narrow window.
  const int w = std::min(std::max(210, F->FMainPanels->Frame()->LeftPages()->width()),
                         std::max(120, F->statusBar()->width() - 420));
  p0->setFixedWidth(w);
  const QString text = _("Root-Path") + QStringLiteral(": ") + F->HtmPath();
  p0->setToolTip(text);
  p0->setText(p0->fontMetrics().elidedText(text, Qt::ElideMiddle, w - 12));
}

QString TMainShell::DocumentHint(TMDIForm *doc) const {
  return TypeDescription(doc->FileType) + QStringLiteral(": ") + doc->GetTextName();
}

void TMainShell::SetHintLook(bool hint) {
  QLabel *p = F->FPanels[5];
  QPalette pal = F->statusBar()->palette();
  if (hint) {
    pal.setColor(QPalette::Window, pal.color(QPalette::ToolTipBase));
    pal.setColor(QPalette::WindowText, Qt::blue);
  }
  p->setPalette(pal);
  FHintShown = hint;
}

void TMainShell::ShowTabHint(int index) {
  TMDIForm *d = index >= 0 ? F->DocById(F->FTabs->tabData(index).toInt()) : nullptr;
  if (d) {
    F->FPanels[5]->setText(DocumentHint(d));
    SetHintLook(true);
    return;
  }
  F->FPanels[5]->setText(FActHint);
  SetHintLook(false);
}

void TMainShell::EnableFileCommands(TMDIForm *doc) {
  const QList<TMDIForm *> docs = F->Documents();
  const bool anyModified = std::any_of(docs.begin(), docs.end(), [](TMDIForm *d) { return d->IsModified(); });
  const auto enable = [this](const char *name, bool on) {
    if (QAction *a = F->findChild<QAction *>(QString::fromLatin1(name)))
      a->setEnabled(on);
  };
  enable("ActionSaveAll", anyModified);
  enable("ActionSave", doc && doc->IsModified());
  for (const char *name : DocumentCommands)
    enable(name, doc != nullptr);
  enable("ActionSaveHtml",
         doc && QFileInfo(doc->TextName).suffix().compare(QLatin1String("htt"), Qt::CaseInsensitive) == 0);
  // "Transfer &files" is the publishing's: it refuses a project without a transfer mode itself, so
  // a mode chosen in the project dialog needs no refresh here.
}

void TMainShell::ShowStatus(TMDIForm *doc, bool full) {
  LayoutRootPanel();
  TMDIForm *active = F->FActive;
  if (!doc || doc != active) {
    if (!active) {
      for (int i : {1, 3, 4, 5})
        F->FPanels[i]->clear();
      FActHint.clear();
      EnableFileCommands(nullptr);
    } else {
      EnableFileCommands(active);
    }
    return;
  }
  EnableFileCommands(doc);
  const TBufferCoord c = doc->CaretXY();
  F->FPanels[1]->setText(QString::asprintf("%6d:%3d", c.Line, c.Char));
  F->FPanels[2]->setText(doc->TextBuffer->overwriteMode() ? _("Overwrite") : _("Insert"));
  if (full) {
    const QString lang = LocaleNameOfLangId(doc->TextLangId());
    const QString langName = lang.isEmpty() ? QString() : QLocale(lang).nativeLanguageName();
    F->FPanels[3]->setText(langName);
    F->FPanels[3]->setFixedWidth(F->FPanels[3]->fontMetrics().horizontalAdvance(langName) + 10 + 8);
    const QString enc = u'[' + QString::fromLatin1(EncodingNames[doc->Encoding]) + u']';
    F->FPanels[4]->setText(enc);
    F->FPanels[4]->setFixedWidth(F->FPanels[4]->fontMetrics().horizontalAdvance(enc) + 10 + 8);
    FActHint = DocumentHint(doc);
    if (!FHintShown)
      F->FPanels[5]->setText(FActHint);
    F->RenumberTabs();
    if (doc->WinIndex >= 0 && F->FTabs->currentIndex() != doc->WinIndex) {
      const QSignalBlocker block(F->FTabs);
      F->FTabs->setCurrentIndex(doc->WinIndex);
    }
    F->FTabs->update();
  }
}

void TMainShell::SyncFileView(const QString &fileName) {
  if (FProjectPage)
    FProjectPage->SyncFileView(fileName);
}

void TMainShell::ShowFolder(const QString &folder) {
  if (!FProjectPage)
    return;
  QTabWidget *pages = F->FMainPanels->Frame()->LeftPages();
  pages->setCurrentWidget(FProjectPage);
  FProjectPage->ShowFolder(folder);
}

void TMainShell::CloseTab(int index) {
  TMDIForm *doc = F->DocById(F->FTabs->tabData(index).toInt());
  if (!doc)
    return;
  const bool last = F->Documents().size() == 1;
  // The document asks about its changes; a refusal keeps it (and no empty page is made).
  if (F->CloseDocument(doc, false) && last)
    F->CreateNewText(ftHtml);
}

void TMainShell::SelectDocument() {
  const QList<TMDIForm *> docs = F->Documents();
  if (docs.isEmpty())
    return;
  QStringList names;
  for (TMDIForm *d : docs)
    names << d->GetTextName();
  const int current = std::max(0, int(docs.indexOf(F->ActiveDocument())));
  int chosen;
  if (SelectDocumentResponder) {
    chosen = SelectDocumentResponder(names, current);
  } else {
    if (!FSelectDialog)
      FSelectDialog = new TSelectFromListDialog(F);
    FSelectDialog->Setup(_("Select document"), names.value(current), names, soNoConfirm, QString(),
                         _("Open documents:"));
    FSelectDialog->lbxStringList->setCurrentRow(current);
    // Below the tool panel's lower left corner.
    PlaceDialog(FSelectDialog, F->FToolPanel->mapToGlobal(QPoint(0, F->FToolPanel->height() + 2)));
    const int r = FSelectDialog->exec();
    chosen = r == QDialog::Accepted || r == TSelectFromListDialog::srOk ? FSelectDialog->lbxStringList->currentRow()
                                                                        : -1;
  }
  if (chosen >= 0 && chosen < docs.size())
    F->ActivateText(docs[chosen]);
}

TMDIForm *TMainShell::RemoveTags(TMDIForm *doc) {
  if (!doc)
    return nullptr;
  TRemoveTagsOptions o = RtOptions;
  bool ok;
  if (RemoveTagsResponder) {
    ok = RemoveTagsResponder(o);
  } else {
    if (!FRtDialog)
      FRtDialog = new TRemoveTagsDialog(F);
    ok = FRtDialog->Execute(o);
  }
  if (!ok)
    return nullptr;
  RtOptions = o;
  const QString text = doc->TextBuffer->Text();
  if (text.isEmpty())
    return nullptr;
  // A text document is plain text already: its line breaks end paragraphs and its "<" and "&"
  // are characters, so the command only tidies and wraps it.
  const QStringList lines = ::RemoveTags(
      text, o, [](const QString &name) { return HtmlEntities().GetUnicodeChar(name); }, doc->FileType != ftText);
  if (lines.isEmpty()) {
    ErrorBox(_("No untagged text found!"));
    return nullptr;
  }

  F->FMdi->setUpdatesEnabled(false);
  TMDIForm *res = F->NewWindow(ftText);
  const TSynEncoding enc = F->ActProject ? F->ActProject->ProjEncoding : seAnsi;
  const bool named = doc->Status != tsNew;
  QString target;
  if (named) {
    const QFileInfo src(doc->TextName);
    target = src.absolutePath() + u'/' + src.completeBaseName() + QStringLiteral(".txt");
  }
  res->InitNewText(named ? target : QStringLiteral("*New") + QString::number(++F->NewNr),
                   named ? FolderOf(target) : doc->TextPath, enc);
  res->TextBuffer->LoadContent(lines.join(u'\n') + u'\n', QStringLiteral("\n"));
  if (named) {
    // Save writes the named file directly, unless by then a file of that name exists (or it is
    // the source itself): that one is never replaced without asking.
    res->Status = tsOld;
    res->setProperty("NameNotWritten", true);
  }
  res->TextBuffer->SetModified(true);
  const int at = F->FTabs->count() ? F->FTabs->currentIndex() + 1 : 0;
  {
    const QSignalBlocker block(F->FTabs);
    F->FTabs->insertTab(at, res->windowTitle());
    F->FTabs->setTabData(at, res->DocId);
  }
  F->RenumberTabs();
  F->FMdi->setUpdatesEnabled(true);
  F->ActivateText(res);
  return res;
}

void TMainShell::PrintExecute() {
  TMDIForm *doc = F->ActiveDocument();
  if (!doc)
    return;
  TPrintSource src;
  src.Text = doc->TextBuffer->Text();
  src.Title = doc->TextName;
  src.FileType = doc->FileType;
  src.Lexer = doc->HlEnabled ? doc->TextBuffer->lexer() : nullptr;
  src.Font = doc->TextBuffer->font();
  src.TabWidth = doc->TextBuffer->tabWidth();
  if (src.Text.isEmpty())
    return;
  PrintWithDialog(F, src, F->Settings.PrText, F->Settings.PrtName);
}

void TMainShell::PrintSetupExecute() {
  QPrinter printer;
  if (!F->Settings.PrtName.isEmpty())
    printer.setPrinterName(F->Settings.PrtName);
  printer.setPageOrientation(F->Settings.PrText.Ori == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
  QPrintDialog dlg(&printer, F);
  dlg.setWindowTitle(_("Printer selection"));
  dlg.setOptions(QAbstractPrintDialog::PrintShowPageSize);
  if (dlg.exec() != QDialog::Accepted)
    return;
  F->Settings.PrText.Ori = printer.pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
  if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
    F->Settings.PrtName = printer.printerName();
}

void TMainShell::PrintLayoutExecute() {
  TPrintSettings s = F->Settings.PrText;
  bool ok;
  if (PageFormatResponder) {
    ok = PageFormatResponder(s);
  } else {
    if (!FPageDialog)
      FPageDialog = new TPageFormatDialog(F);
    ok = FPageDialog->Execute(_("Page settings for print out"), false, s);
  }
  if (ok)
    F->Settings.PrText = s;
}

void TMainShell::SetupPrinter() {
  // Printing always has a destination, a PDF file; only choosing a printer needs one installed.
  if (QAction *a = F->Action(QStringLiteral("ActionPrintSetup")))
    a->setEnabled(PrinterInstalled());
}
