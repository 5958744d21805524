#pragma once
// The project page of the left side: a folder tree above a list of the folders and web files of
// the chosen folder, with commands to go up, go to the project folder, make a folder, delete and
// open files.
#include <QStyle>
#include <QWidget>
#include <functional>

class QFileSystemModel;
class QLabel;
class QMenu;
class QModelIndex;
class QSortFilterProxyModel;
class QSplitter;
class QTreeView;
class QToolButton;

class TProjectPage : public QWidget {
  Q_OBJECT
public:
  explicit TProjectPage(QWidget *parent = nullptr);

  // The extensions the list shows (lower case, without "."), and what the page asks of its window.
  void SetExtensions(const QStringList &extensions);
  std::function<QString()> ProjectRoot;          // HtmPath
  std::function<QString()> ProjectName;          // captions of the page's questions
  std::function<bool(const QString &)> IsOpen;   // the file is open in a document
  // Tests give the name of a new folder instead of a user.
  std::function<QString(const QString &title)> NameResponder;

  // The folder shown in the tree and listed below it (no trailing "/").
  QString CurrentFolder() const { return FFolder; }
  // Shows folder in the tree and lists it; false when it is no folder.
  bool ShowFolder(const QString &folder);
  // For an existing file: its folder is shown (unless it is already) and the file is selected.
  void SyncFileView(const QString &fileName);
  // The selected entry of the list (empty when none).
  QString SelectedPath() const;
  bool SelectPath(const QString &path);

  void GoUp();
  void GotoProjectFolder();
  // Asks for a name ("New subdirectory") and makes the folder below the current one.
  bool NewSubdirectory();
  // Asks, then deletes the selected file; a file open in a document gets a warning first.
  bool DeleteSelectedFile();
  // Double click, "&Edit" and the open button.
  void OpenSelected();
  void UpdateTree();
  void UpdateList();

  // Height of the folder tree (NavSplit).
  int TreeHeight() const;
  void SetTreeHeight(int h);
  // Column widths from the list's width: (width in characters - 38), 12, 10, 12.
  void LayoutColumns();

  QTreeView *tvFolders;
  QTreeView *lvFiles;
  QLabel *lblPath;
  QSplitter *FSplit;

signals:
  void OpenFileRequested(const QString &fileName);
  // Double click with nothing selected: the Open command.
  void OpenRequested();
  void FolderChanged(const QString &folder);
  void TreeHeightChanged(int height);

protected:
  void resizeEvent(QResizeEvent *e) override;
  void showEvent(QShowEvent *e) override;

private:
  QToolButton *AddButton(const char *name, const QString &hint, const char *icon, QStyle::StandardPixmap fallback,
                         void (TProjectPage::*slot)());
  void ListActivated(const QModelIndex &index);
  void UpdatePathLabel();
  // Expands the tree down to the shown folder and selects it.
  void RevealInTree();
  // Watches the file system from its root for the folder tree (once).
  void EnsureTreeRoot();
  QString Caption() const;
  QFileSystemModel *FTreeModel, *FListModel;
  QSortFilterProxyModel *FFilter;
  QMenu *FTreeMenu, *FListMenu;
  QString FFolder, FPendingSelect;
  bool FRevealing = false;
  bool FTreeRooted = false;
};
