// The main window's documents: creating, opening, saving and closing them, their tabs and order of
// use, autosave and the find dialog.
#include "ui/app/HauptForm.h"
#include "core/common/FileNames.h"
#include "core/common/IniFileUtils.h"
#include "core/common/LangIds.h"
#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/Highlighters.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/publish/StartScreen.h"
#include "ui/shell/MainShell.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QCursor>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QSpinBox>
#include <QTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QTabBar>

namespace {
QString FilterOfType(int t) {
  return _(FileTypeInfo[t].Desc) + QStringLiteral(" (") + QString::fromLatin1(FileTypeInfo[t].FileFilter).replace(u';', u' ') +
         u')';
}
QString AllFilesFilter() { return _("all") + QStringLiteral(" (*)"); }

// A small red triangle, the tab bar's mark of a modified document.
QIcon ModifiedMark() {
  static const QIcon icon = [] {
    QPixmap pm(8, 8);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 0, 0));
    p.drawPolygon(QPolygon({QPoint(0, 0), QPoint(7, 0), QPoint(0, 7)}));
    return QIcon(pm);
  }();
  return icon;
}
} // namespace

TFindReplDialog *THauptForm::FindDialog() {
  if (!FFindDialog) {
    FFindDialog = new TFindReplDialog(this);
    FFindDialog->LoadFromIni(*TUnicodeIniFile::CreateForRead(Paths.IniName));
    FFindDialog->SetFindText(Settings.sFind);
    FFindDialog->SetReplaceText(Settings.sRepl);
    for (auto &[receiver, f] : std::exchange(FFindTextFollowers, {}))
      if (receiver)
        TDocumentHost::FollowFindText(receiver, std::move(f));
  }
  return FFindDialog;
}

void THauptForm::FollowFindText(QObject *receiver, std::function<void(const QString &)> f) {
  if (FFindDialog) {
    TDocumentHost::FollowFindText(receiver, std::move(f));
    return;
  }
  f(Settings.sFind);
  FFindTextFollowers.append({receiver, std::move(f)});
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
  TypeHighlighter(TFileTypes(t));
  doc->SetProperties(FHighlighters[t], Settings.SynProps[t], Settings.SynGutter[t]);
  FMdi->addSubWindow(doc);
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
      d->ReloadIfChanged();
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
  OfferRecovery(doc);
  return doc;
}

QList<TMDIForm *> THauptForm::Documents() const {
  QList<TMDIForm *> r;
  for (int i = 0; i < FTabs->count(); ++i)
    if (TMDIForm *d = DocById(FTabs->tabData(i).toInt()))
      r << d;
  return r;
}

bool THauptForm::IsOpenDocument(const QString &fileName) const {
  for (TMDIForm *d : Documents())
    if (d->Status != tsNew && SameFileName(d->TextName, fileName))
      return true;
  return false;
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
  // A document that is being loaded takes the focus (and so becomes the active window) before its
  // tab exists: select the tab here, where it surely does.
  if (doc->WinIndex >= 0 && FTabs->currentIndex() != doc->WinIndex) {
    const QSignalBlocker block(FTabs);
    FTabs->setCurrentIndex(doc->WinIndex);
  }
  ShowStatus(doc, true);
  if (doc->Status != tsNew)
    SyncFileView(doc->TextName);
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
    // Unnamed documents are called "*New<n>" already, so a modified document is marked by an icon
    // rather than by another "*".
    FTabs->setTabText(i, d->Status == tsNew ? d->windowTitle() : QFileInfo(d->TextName).fileName());
    FTabs->setTabIcon(i, d->IsModified() ? ModifiedMark() : QIcon());
    FTabs->setTabToolTip(i, d->TextName);
  }
}

void THauptForm::ShowStatus(TMDIForm *doc, bool full) {
  if (FShell)
    FShell->ShowStatus(doc, full);
}

bool THauptForm::SaveTextFromMDI(TMDIForm *doc, bool unchangedText) {
  if (!doc)
    return false;
  if (!unchangedText && !doc->IsModified())
    return true;
  // A document named by the program (the result of removing tags) never replaces a file that
  // exists by the time of its first save, nor one open in another window: it asks for a name.
  if (doc->Status == tsOld && doc->property("NameNotWritten").toBool()) {
    bool taken = QFileInfo::exists(doc->TextName);
    for (TMDIForm *d : Documents())
      taken = taken || (d != doc && d->Status != tsNew && SameFileName(d->TextName, doc->TextName));
    if (taken)
      doc->Status = tsChange;
  }
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
    // The new name is the document's only once the file is written: a failed write leaves name,
    // status, project and recent files as they were.
    const QString oldName = doc->TextName, oldPath = doc->TextPath, oldCaption = doc->windowTitle();
    const TTextStatus oldStatus = doc->Status;
    doc->setWindowTitle(name);
    doc->TextName = name;
    doc->TextPath = FolderOf(name);
    if (!doc->SaveText()) {
      doc->TextName = oldName;
      doc->TextPath = oldPath;
      doc->setWindowTitle(oldCaption);
      doc->Status = oldStatus == tsChange ? tsOld : oldStatus;
      RenumberTabs();
      ShowStatus(doc, true);
      return false;
    }
    if (ActProject && oldStatus == tsChange)
      ActProject->Remove(oldName);
    doc->setProperty("NameNotWritten", QVariant());
    HistList->AddString(name);
    SyncFileView(name);
    if (ActProject)
      ActProject->Add(name, TTextProps{doc->CaretXY(), doc->TextLangId(), doc->TextDateFormat()});
    RenumberTabs();
    ShowStatus(doc, true);
    return true;
  }
  const bool ok = doc->SaveText();
  if (ok)
    doc->setProperty("NameNotWritten", QVariant());
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
    // A closed sub-window usually has left the area by itself already (it deletes itself on
    // close); removing it again only draws a warning.
    if (FMdi->subWindowList().contains(w))
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
    TStartScreenScope splash(ProgVersName + ProgVers, ProgVersDate);
    splash.Status(_("Loading project ..."));
    splash.Project(ActProject->ProjName);
    RemoveMissingDocuments(*ActProject);
    // The list holds the last tab first and each document opens right of the one before: reading
    // it from its end gives the tabs the order they had.
    for (qsizetype i = ActProject->FileList.size() - 1; i >= 0; --i) {
      const TProjectFile f = ActProject->FileList[i];
      const TTextProps props = f.Info.TextProps;
      splash.FileName(ActProject->AbsoluteName(f.Name));
      TMDIForm *doc = LoadTextFile(ActProject->AbsoluteName(f.Name), props.CursorPos);
      if (!doc) {
        ActProject->FileList.removeAt(i);
        ActProject->Changed = true;
        continue;
      }
      doc->SetTextLangId(props.TxtLangId);
      doc->SetTextDateFormat(props.DateFormat);
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

void THauptForm::SelectDocumentExecute() { FShell->SelectDocument(); }

void THauptForm::SetAutoSave(int minutes) {
  Settings.AutoSaveTime = std::clamp(minutes, 0, 99);
  FAutoSaveAction->setChecked(Settings.AutoSaveTime > 0);
  if (Settings.AutoSaveTime > 0)
    FAutoSaveTimer->start(FAutoSaveSeconds > 0 ? FAutoSaveSeconds * 1000 : Settings.AutoSaveTime * 60000);
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

