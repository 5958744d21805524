// The main window's projects: the project box, start-up choice, new, edit, load, save as, close
// and order, and leaving and entering a project with its documents.
#include "core/common/FileNames.h"
#include "core/editor/SpellCheck.h"
#include "core/common/LangIds.h"
#include "core/common/Translate.h"
#include "core/projects/ProjectInfo.h"
#include "ui/app/HauptForm.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/projects/FtpProxyDlg.h"
#include "ui/projects/ProjectDlg.h"
#include "ui/projects/SelectProjectDlg.h"

#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSslSocket>
#include <QVBoxLayout>

QList<TProjectInfo *> THauptForm::ProjectList() const {
  QList<TProjectInfo *> r;
  for (const auto &p : Projects)
    r << p.get();
  return r;
}

void THauptForm::ReadProjects() {
  // Listed projects whose file cannot be read are left out (and so not written over at exit).
  int active = -1;
  for (int i = 0; i < Settings.ProjectFiles.size(); ++i) {
    auto p = std::make_unique<TProjectInfo>(Settings.ProjectFiles[i]);
    QString damaged;
    const bool read = ReadProjectFile(i, *p, quint16(Settings.DictLangId), &damaged);
    if (!damaged.isEmpty()) // the reader kept the file aside; the user must hear where
      ErrorBox(FormatS(_("Error reading file \"%s\": %s"), {Settings.ProjectFiles[i], damaged}));
    if (!read)
      continue;
    if (i == Settings.ProjectIndex)
      active = int(Projects.size());
    Projects.push_back(std::move(p));
  }
  ProjectIndex = active;
  FillProjectBox();
}

void THauptForm::FillProjectBox() {
  if (!FProjectBox)
    return;
  const QSignalBlocker block(FProjectBox);
  FProjectBox->clear();
  for (const auto &p : Projects)
    FProjectBox->addItem(p->ProjName);
  FProjectBox->setCurrentIndex(ProjectIndex);
  FProjectBox->setToolTip(ActProject ? ActProject->ProjFileName : QString());
  if (FProjectMenu)
    for (QAction *a : FProjectMenu->actions()) {
      if (a->objectName() == QLatin1String("itmProjUp"))
        a->setEnabled(ProjectIndex > 0);
      else if (a->objectName() == QLatin1String("itmProjDn"))
        a->setEnabled(ProjectIndex >= 0 && ProjectIndex < int(Projects.size()) - 1);
    }
}

int THauptForm::CreateDefaultProject() {
  QString err;
  auto p = ::CreateDefaultProject(ProjFilePath, Settings.StdPath, quint16(Settings.DictLangId), &err);
  if (!p) {
    ErrorBox(err);
    return -1;
  }
  FHtmPath = p->ProjPath;
  LinkCaseMode = p->CaseMode;
  Projects.push_back(std::move(p));
  FillProjectBox();
  return int(Projects.size()) - 1;
}

QString THauptForm::AskOpenName(const QString &title, const QString &folder, const QString &filter) {
  if (OpenNameResponder)
    return OpenNameResponder(title, folder);
  return QFileDialog::getOpenFileName(this, title, folder, filter);
}

bool THauptForm::EditProjectDialog(TProjectInfo &project, const QString &title) {
  if (ProjectDialogResponder)
    return ProjectDialogResponder(project, title);
  if (!FProjectDialog) {
    FProxyDialog = new TFtpProxyDialog(this);
    FProjectDialog = new TProjectDialog(this, Paths.IniName, FProxyDialog);
  }
  // The languages of the loaded dictionaries.
  TDictLanguageList languages;
  if (FSpellCheck)
    for (const auto &[name, id] : FSpellCheck->GetDictLanguages())
      languages.append({name, quint16(id)});
  return FProjectDialog->Execute(QCursor::pos(), title, project, QSslSocket::supportsSsl(), languages,
                                 Settings.StdPath);
}

// The save dialog for a project file. A file that exists holds another project's settings and
// stored passwords: it is replaced only when the user agrees (No returns to the dialog), and never
// while another listed project uses it, since both would then write the same file at exit.
QString THauptForm::AskProjectFileName(const QString &proposed, const TProjectInfo *project) {
  QString file = proposed;
  while (true) {
    const QString name = AskSaveName(_("Save project to file"), ProjFilePath, file,
                                     {_("Projects") + QStringLiteral(" (*.prj)")}, QStringLiteral("prj"));
    if (name.isEmpty())
      return {};
    file = QFileInfo(name).fileName();
    if (project && SameFileName(name, project->ProjFileName))
      return name;
    const int listed = FindProjectFile(ProjectList(), name);
    if (listed >= 0 && Projects[listed].get() != project) {
      ErrorBox(
          FormatS(_("The file \"%s\" belongs to the project \"%s\"."), {name, Projects[listed]->ProjName}));
      continue;
    }
    if (!QFileInfo::exists(name))
      return name;
    TMsgOptions at;
    at.Place = mpPoint;
    at.At = QCursor::pos();
    if (ShowMessage(mkConfirm,
                    FormatS(_("File: \"%s\" already exists!"), {name}) + u'\n' + _("Overwrite file?"),
                    at) == mrYes)
      return name;
  }
}

bool THauptForm::NewProject(QPoint) {
  auto p = std::make_unique<TProjectInfo>();
  if (!EditProjectDialog(*p, _("New project")))
    return false;
  if (!QDir().mkpath(p->ProjPath)) {
    ErrorBox(FormatS(_("Cannot create the folder \"%s\"."), {p->ProjPath}));
    return false;
  }
  QDir().mkpath(ProjFilePath);
  const QString name = AskProjectFileName(
      QFileInfo(ProposedProjectFileName(ProjFilePath, int(Projects.size()))).fileName(), nullptr);
  if (name.isEmpty())
    return false;
  p->ProjFileName = name;
  p->Changed = true;
  if (!CloseProjectTexts(false))
    return false;
  Projects.push_back(std::move(p));
  const int index = int(Projects.size()) - 1;
  QString err;
  if (!WriteProjectFile(*Projects.back(), &err))
    ErrorBox(err);
  OpenProject(index);
  return true;
}

bool THauptForm::OpenProjectFile() {
  QDir().mkpath(ProjFilePath);
  const QString name = AskOpenName(_("Open project file"), ProjFilePath, _("Projects") + QStringLiteral(" (*.prj)"));
  if (name.isEmpty())
    return false;
  if (!CloseProjectTexts(true))
    return false;
  // A file that is listed already is selected, never listed twice.
  int index = FindProjectFile(ProjectList(), name);
  if (index < 0) {
    auto p = std::make_unique<TProjectInfo>(name);
    QString damaged;
    const bool read = ReadProjectFile(int(Projects.size()), *p, quint16(Settings.DictLangId), &damaged);
    if (!damaged.isEmpty() || !read)
      ErrorBox(FormatS(_("Error reading file \"%s\": %s"),
                       {name, damaged.isEmpty() ? _("not a readable project file") : damaged}));
    if (!read) {
      OpenProject(ProjectIndex);
      return false;
    }
    Projects.push_back(std::move(p));
    index = int(Projects.size()) - 1;
  }
  OpenProject(index);
  return true;
}

void THauptForm::EditProjectExecute() {
  if (!ActProject) {
    NewProject(QCursor::pos());
    return;
  }
  const quint16 lang = ActProject->LangId;
  const TSynEncoding enc = ActProject->ProjEncoding;
  if (!EditProjectDialog(*ActProject, _("Edit project settings")))
    return;
  ActProject->Changed = true;
  LinkCaseMode = ActProject->CaseMode;
  if (FProjectBox)
    FProjectBox->setItemText(ProjectIndex, ActProject->ProjName);
  if (lang != ActProject->LangId && ConfirmBox(_("Change language for all opened documents?")))
    for (TMDIForm *d : Documents())
      d->SetTextLangId(ActProject->LangId);
  if (enc != ActProject->ProjEncoding && ConfirmBox(_("Change encoding for all opened documents?")))
    for (TMDIForm *d : Documents())
      d->ChangeEncoding(ActProject->ProjEncoding);
  if (!SameFileName(ActProject->ProjPath, FHtmPath)) {
    FHtmPath = ActProject->ProjPath;
    if (QFileInfo(FHtmPath).isDir())
      QDir::setCurrent(FHtmPath);
  }
  ShowStatus(ActiveDocument(), true);
  QString err;
  if (!WriteProjectFile(*ActProject, &err))
    ErrorBox(err);
}

void THauptForm::SaveProjectAsExecute() {
  if (!ActProject)
    return;
  QDir().mkpath(ProjFilePath);
  const QString name = AskProjectFileName(QFileInfo(ActProject->ProjFileName).fileName(), ActProject);
  if (name.isEmpty())
    return;
  // The project moves to the new file only when its settings are confirmed.
  if (!EditProjectDialog(*ActProject, _("Edit project settings")))
    return;
  ActProject->ProjFileName = name;
  ActProject->Changed = true;
  if (FProjectBox)
    FProjectBox->setItemText(ProjectIndex, ActProject->ProjName);
  QString err;
  if (!WriteProjectFile(*ActProject, &err))
    ErrorBox(err);
}

void THauptForm::CloseProjectExecute() {
  if (Projects.empty() || ProjectIndex < 0)
    return;
  TMsgOptions o;
  o.Place = mpPoint;
  o.At = QCursor::pos();
  o.Caption = ProgramCaption();
  if (ShowMessage(mkConfirm, _("Close current project?"), o) != mrYes)
    return;
  // Documents first: when that is cancelled the project stays as it was.
  TProjectInfo *closing = ActProject;
  const int closedIndex = ProjectIndex;
  if (!CloseProjectTexts(true))
    return;
  QString err;
  if (closing && !WriteProjectFile(*closing, &err))
    ErrorBox(err);
  Projects.erase(Projects.begin() + closedIndex);
  ProjectIndex = -1;
  int next = std::min<int>(closedIndex, int(Projects.size()) - 1);
  if (Projects.empty())
    next = CreateDefaultProject();
  OpenProject(next);
}

void THauptForm::ProjectOrderExecute() {
  QDialog dlg(this);
  dlg.setWindowTitle(_("Order of Projects"));
  auto *l = new QVBoxLayout(&dlg);
  l->addWidget(new QLabel(_("Projects"), &dlg));
  auto *row = new QHBoxLayout;
  auto *list = new QListWidget(&dlg);
  for (int i = 0; i < int(Projects.size()); ++i) {
    auto *item = new QListWidgetItem(Projects[i]->ProjName, list);
    item->setData(Qt::UserRole, i);
  }
  list->setCurrentRow(ProjectIndex);
  row->addWidget(list, 1);
  auto *buttons = new QVBoxLayout;
  auto *up = new QPushButton(_("&Up"), &dlg), *down = new QPushButton(_("&Down"), &dlg),
       *remove = new QPushButton(_("&Remove"), &dlg);
  for (QPushButton *b : {up, down, remove})
    buttons->addWidget(b);
  buttons->addStretch();
  row->addLayout(buttons);
  l->addLayout(row);
  auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  l->addWidget(box);
  connect(box, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  const auto move = [list](int delta) {
    const int r = list->currentRow();
    if (r < 0 || r + delta < 0 || r + delta >= list->count())
      return;
    list->insertItem(r + delta, list->takeItem(r));
    list->setCurrentRow(r + delta);
  };
  connect(up, &QPushButton::clicked, &dlg, [=] { move(-1); });
  connect(down, &QPushButton::clicked, &dlg, [=] { move(1); });
  connect(remove, &QPushButton::clicked, &dlg, [this, list] {
    QListWidgetItem *item = list->currentItem();
    if (!item)
      return;
    if (item->data(Qt::UserRole).toInt() == ProjectIndex) {
      ErrorBox(_("The active project cannot be removed."));
      return;
    }
    delete item;
  });
  if (dlg.exec() != QDialog::Accepted)
    return;
  std::vector<std::unique_ptr<TProjectInfo>> reordered;
  int active = -1;
  for (int i = 0; i < list->count(); ++i) {
    const int from = list->item(i)->data(Qt::UserRole).toInt();
    if (from == ProjectIndex)
      active = i;
    reordered.push_back(std::move(Projects[from]));
  }
  Projects = std::move(reordered); // records of removed entries go without writing their files
  ProjectIndex = active;
  FillProjectBox();
}

void THauptForm::MoveProject(int delta) {
  const int to = ProjectIndex + delta;
  if (ProjectIndex < 0 || to < 0 || to >= int(Projects.size()))
    return;
  std::swap(Projects[ProjectIndex], Projects[to]);
  ProjectIndex = to;
  FillProjectBox();
}

bool THauptForm::SwitchProject(int index) {
  if (index == ProjectIndex || index < 0 || index >= int(Projects.size()))
    return true;
  if (!CloseProjectTexts(true)) {
    FillProjectBox();
    return false;
  }
  OpenProject(index);
  return true;
}
