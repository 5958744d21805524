#include "ui/shell/ProjectPage.h"
#include "core/common/Translate.h"
#include "ui/common/AfterShown.h"
#include "ui/common/Icons.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/InpText.h"

#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {
// Folders, and the files of the web file types; never the program's own "~" files.
class TWebFileFilter : public QSortFilterProxyModel {
public:
  using QSortFilterProxyModel::QSortFilterProxyModel;
  QStringList Extensions;

protected:
  bool filterAcceptsRow(int row, const QModelIndex &parent) const override {
    auto *fs = static_cast<QFileSystemModel *>(sourceModel());
    const QModelIndex i = fs->index(row, 0, parent);
    // Only the listed folder's entries are filtered; the path down to it stays.
    if (fs->filePath(parent) != fs->rootPath())
      return true;
    if (fs->isDir(i))
      return true;
    const QString name = fs->fileName(i);
    return !name.startsWith(u'~') && Extensions.contains(QFileInfo(name).suffix().toLower());
  }
};

QString NoTrailingSlash(QString p) {
  while (p.size() > 1 && p.endsWith(u'/'))
    p.chop(1);
  return p;
}
} // namespace

TProjectPage::TProjectPage(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("tsProject"));
  auto *lay = new QVBoxLayout(this);
  lay->setContentsMargins(2, 2, 2, 2);
  lay->setSpacing(2);
  auto *bar = new QHBoxLayout;
  bar->setSpacing(1);
  lay->addLayout(bar);
  AddButton("btnFolderUp", _("Go one folder up"), "go-up", QStyle::SP_FileDialogToParent, &TProjectPage::GoUp);
  AddButton("btnProjectFolder", _("Goto project folder"), "go-home", QStyle::SP_DirHomeIcon,
            &TProjectPage::GotoProjectFolder);
  connect(AddButton("btnNewFolder", _("New subdirectory"), "folder-new", QStyle::SP_FileDialogNewFolder, nullptr),
          &QToolButton::clicked, this, [this] { NewSubdirectory(); });
  connect(AddButton("btnDeleteFile", _("Delete file"), "edit-delete", QStyle::SP_TrashIcon, nullptr),
          &QToolButton::clicked, this, [this] { DeleteSelectedFile(); });
  AddButton("btnOpenFile", _("Open file"), "document-open", QStyle::SP_DialogOpenButton, &TProjectPage::OpenSelected);
  bar->addStretch(1);

  FSplit = new QSplitter(Qt::Vertical, this);
  FSplit->setObjectName(QStringLiteral("NavSplit"));
  FSplit->setChildrenCollapsible(false);
  lay->addWidget(FSplit, 1);

  FTreeModel = new QFileSystemModel(this);
  FTreeModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  // The root is watched from when the page is first used (see EnsureTreeRoot).
  tvFolders = new QTreeView(FSplit);
  tvFolders->setObjectName(QStringLiteral("tvFolders"));
  tvFolders->setModel(FTreeModel);
  tvFolders->setHeaderHidden(true);
  for (int c = 1; c < FTreeModel->columnCount(); ++c)
    tvFolders->hideColumn(c);
  tvFolders->setContextMenuPolicy(Qt::CustomContextMenu);

  auto *lower = new QWidget(FSplit);
  auto *ll = new QVBoxLayout(lower);
  ll->setContentsMargins(0, 0, 0, 0);
  ll->setSpacing(1);
  lblPath = new QLabel(lower);
  lblPath->setObjectName(QStringLiteral("lblPath"));
  lblPath->setMinimumWidth(20);
  ll->addWidget(lblPath);
  FListModel = new QFileSystemModel(this);
  FListModel->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
  auto *filter = new TWebFileFilter(this);
  filter->setSourceModel(FListModel);
  FFilter = filter;
  lvFiles = new QTreeView(lower);
  lvFiles->setObjectName(QStringLiteral("lvFiles"));
  lvFiles->setModel(FFilter);
  lvFiles->setRootIsDecorated(false);
  lvFiles->setItemsExpandable(false);
  lvFiles->setSortingEnabled(true);
  lvFiles->sortByColumn(0, Qt::AscendingOrder);
  lvFiles->setSelectionMode(QAbstractItemView::SingleSelection);
  lvFiles->setContextMenuPolicy(Qt::CustomContextMenu);
  ll->addWidget(lvFiles, 1);
  FSplit->setStretchFactor(1, 1);

  FTreeMenu = new QMenu(this);
  FTreeMenu->setObjectName(QStringLiteral("pmFolders"));
  FTreeMenu->addAction(_("New subdirectory"), this, [this] { NewSubdirectory(); });
  FTreeMenu->addAction(_("Go one folder up"), this, &TProjectPage::GoUp);
  FTreeMenu->addAction(_("Goto project folder"), this, &TProjectPage::GotoProjectFolder);
  FTreeMenu->addSeparator();
  FTreeMenu->addAction(_("&Update view"), this, &TProjectPage::UpdateTree);
  FListMenu = new QMenu(this);
  FListMenu->setObjectName(QStringLiteral("pmFiles"));
  FListMenu->addAction(_("&Edit"), this, &TProjectPage::OpenSelected);
  FListMenu->addAction(_("&Delete"), this, [this] { DeleteSelectedFile(); });
  FListMenu->addSeparator();
  FListMenu->addAction(_("&Update view"), this, &TProjectPage::UpdateList);

  connect(tvFolders, &QTreeView::customContextMenuRequested, this,
          [this](QPoint p) { FTreeMenu->popup(tvFolders->viewport()->mapToGlobal(p)); });
  connect(lvFiles, &QTreeView::customContextMenuRequested, this,
          [this](QPoint p) { FListMenu->popup(lvFiles->viewport()->mapToGlobal(p)); });
  connect(tvFolders->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex &i) {
    if (i.isValid() && !FRevealing)
      ShowFolder(FTreeModel->filePath(i));
  });
  // The tree reads its folders in the background: the shown folder is revealed once its
  // ancestors are read.
  connect(FTreeModel, &QFileSystemModel::directoryLoaded, this, [this](const QString &path) {
    if (!FFolder.isEmpty() && (FFolder + u'/').startsWith(NoTrailingSlash(path)))
      RevealInTree();
  });
  // A double click (or Return) on an entry.
  connect(lvFiles, &QTreeView::activated, this, &TProjectPage::ListActivated);
  connect(FListModel, &QFileSystemModel::directoryLoaded, this, [this](const QString &path) {
    if (!FPendingSelect.isEmpty() && QFileInfo(FPendingSelect).absolutePath() == NoTrailingSlash(path))
      SelectPath(FPendingSelect);
  });
  connect(FSplit, &QSplitter::splitterMoved, this, [this] { emit TreeHeightChanged(TreeHeight()); });
}

QToolButton *TProjectPage::AddButton(const char *name, const QString &hint, const char *icon,
                                     QStyle::StandardPixmap fallback, void (TProjectPage::*slot)()) {
  auto *b = new QToolButton(this);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolTip(hint);
  b->setAutoRaise(true);
  // The desktop's icon, else our drawing or the style's; looked up when first painted.
  b->setIcon(ThemedIcon(icon, fallback));
  if (slot)
    connect(b, &QToolButton::clicked, this, slot);
  static_cast<QHBoxLayout *>(layout()->itemAt(0)->layout())->addWidget(b);
  return b;
}

void TProjectPage::SetExtensions(const QStringList &extensions) {
  auto *f = static_cast<TWebFileFilter *>(FFilter);
  f->Extensions = extensions;
  f->invalidate();
}

QString TProjectPage::Caption() const {
  return _("Project: ") + (ProjectName ? ProjectName() : QString());
}

bool TProjectPage::ShowFolder(const QString &folder) {
  const QFileInfo fi(folder);
  if (folder.isEmpty() || !fi.isDir())
    return false;
  const QString path = NoTrailingSlash(QDir::cleanPath(fi.absoluteFilePath()));
  if (path != FFolder) {
    FFolder = path;
    EnsureTreeRoot();
    RevealInTree();
    FListModel->setRootPath(path);
    lvFiles->setRootIndex(FFilter->mapFromSource(FListModel->index(path)));
    UpdatePathLabel();
    emit FolderChanged(path);
  }
  return true;
}

void TProjectPage::RevealInTree() {
  const QModelIndex ti = FTreeModel->index(FFolder);
  if (!ti.isValid())
    return;
  FRevealing = true;
  for (QModelIndex p = ti.parent(); p.isValid(); p = p.parent())
    tvFolders->expand(p);
  tvFolders->setCurrentIndex(ti);
  tvFolders->scrollTo(ti, QAbstractItemView::PositionAtCenter);
  FRevealing = false;
}

void TProjectPage::showEvent(QShowEvent *e) {
  QWidget::showEvent(e);
  // Reading the folders waits until the window is on the screen.
  RunAfterShown(
      window(),
      [this] {
        EnsureTreeRoot();
        RevealInTree();
      },
      this);
}

void TProjectPage::EnsureTreeRoot() {
  if (FTreeRooted)
    return;
  FTreeRooted = true;
  FTreeModel->setRootPath(QDir::rootPath());
}

void TProjectPage::SyncFileView(const QString &fileName) {
  const QFileInfo fi(fileName);
  if (fileName.isEmpty() || !fi.isFile())
    return;
  ShowFolder(fi.absolutePath());
  if (!SelectPath(fi.absoluteFilePath()))
    FPendingSelect = fi.absoluteFilePath(); // selected once the folder is read
}

bool TProjectPage::SelectPath(const QString &path) {
  const QModelIndex si = FListModel->index(path);
  const QModelIndex pi = si.isValid() ? FFilter->mapFromSource(si) : QModelIndex();
  if (!pi.isValid())
    return false;
  FPendingSelect.clear();
  lvFiles->setCurrentIndex(pi);
  lvFiles->scrollTo(pi);
  return true;
}

QString TProjectPage::SelectedPath() const {
  const QModelIndex i = lvFiles->currentIndex();
  if (!i.isValid() || !lvFiles->selectionModel()->isSelected(i))
    return {};
  return FListModel->filePath(FFilter->mapToSource(i.siblingAtColumn(0)));
}

void TProjectPage::GoUp() {
  if (FFolder.isEmpty() || FFolder == QDir::rootPath())
    return;
  ShowFolder(QFileInfo(FFolder).absolutePath());
}

void TProjectPage::GotoProjectFolder() {
  if (ProjectRoot)
    ShowFolder(ProjectRoot());
}

bool TProjectPage::NewSubdirectory() {
  if (FFolder.isEmpty())
    return false;
  QString name;
  if (NameResponder) {
    name = NameResponder(_("New subdirectory"));
  } else if (!TTextEingabe::Execute(QCursor::pos(), _("New subdirectory"), QString(), name, this)) {
    return false;
  }
  name = name.trimmed();
  if (name.isEmpty())
    return false;
  TMsgOptions o;
  o.Caption = Caption();
  // One folder below the current one: no way up or across with "..", "/" or an absolute name.
  const QString target = FFolder + u'/' + name;
  if (name.contains(u'/') || name == QLatin1String(".") || name == QLatin1String("..") ||
      !QDir(FFolder).mkdir(name)) {
    ShowMessage(mkError, FormatS(_("Cannot create directory: %s!"), {target}), o);
    return false;
  }
  UpdateTree();
  return true;
}

bool TProjectPage::DeleteSelectedFile() {
  const QString path = SelectedPath();
  if (path.isEmpty() || !QFileInfo(path).isFile())
    return false;
  TMsgOptions o;
  o.Caption = Caption();
  QString question = FormatS(_("Delete file: %s?"), {path});
  if (IsOpen && IsOpen(path)) {
    // The document keeps its text; deleting the file under it is rarely meant.
    question = _("The file is open in a document!") + u'\n' + question;
    o.Default = mrNo;
  }
  if (ShowMessage(mkConfirm, question, o) != mrYes)
    return false;
  if (!QFile::remove(path)) {
    ShowMessage(mkError, FormatS(_("Cannot delete file: %s!"), {path}), o);
    return false;
  }
  UpdateList();
  return true;
}

void TProjectPage::ListActivated(const QModelIndex &index) {
  if (!index.isValid())
    return;
  const QString path = FListModel->filePath(FFilter->mapToSource(index.siblingAtColumn(0)));
  if (QFileInfo(path).isDir())
    ShowFolder(path);
  else
    emit OpenFileRequested(path);
}

void TProjectPage::OpenSelected() {
  const QString path = SelectedPath();
  if (path.isEmpty()) {
    emit OpenRequested();
    return;
  }
  if (QFileInfo(path).isDir())
    ShowFolder(path);
  else
    emit OpenFileRequested(path);
}

void TProjectPage::UpdateTree() {
  // The model watches the folders it has read; reading the shown one again catches the rest.
  const QString folder = FFolder;
  FTreeModel->setRootPath(QString());
  // The root is watched from when the page is first used (see EnsureTreeRoot).
  FFolder.clear();
  ShowFolder(folder);
}

void TProjectPage::UpdateList() {
  const QString folder = FFolder;
  FListModel->setRootPath(QString());
  FFolder.clear();
  ShowFolder(folder);
}

int TProjectPage::TreeHeight() const { return FSplit->sizes().value(0); }

void TProjectPage::SetTreeHeight(int h) {
  const int total = std::max(FSplit->height(), h + 100);
  FSplit->setSizes({h, std::max(50, total - h)});
}

void TProjectPage::LayoutColumns() {
  const int ch = std::max(1, lvFiles->fontMetrics().averageCharWidth());
  const int chars = lvFiles->viewport()->width() / ch;
  const int widths[] = {std::max(10, chars - 38), 12, 10, 12};
  for (int c = 0; c < 4 && c < FFilter->columnCount(); ++c)
    lvFiles->setColumnWidth(c, widths[c] * ch);
}

void TProjectPage::UpdatePathLabel() {
  lblPath->setToolTip(FFolder);
  lblPath->setText(lblPath->fontMetrics().elidedText(FFolder, Qt::ElideMiddle, std::max(20, lblPath->width())));
}

void TProjectPage::resizeEvent(QResizeEvent *e) {
  QWidget::resizeEvent(e);
  LayoutColumns();
  UpdatePathLabel();
}
