#pragma once
// The main window's views of its documents and the commands around them: the tab bar (drawn
// tabs, Ctrl+click, dragging, wheel, hints), the six status panels with the enabled state of the
// file commands, the project page, "Select &Document", removing tags and printing.
#include "core/common/Settings.h"
#include "core/editor/RemoveTags.h"

#include <QObject>
#include <functional>

class QAction;
class QLabel;
class THauptForm;
class TFilesTabBar;
class TMDIForm;
class TPageFormatDialog;
class TProjectPage;
class TRemoveTagsDialog;
class TSelectFromListDialog;

class TMainShell : public QObject {
  Q_OBJECT
public:
  explicit TMainShell(THauptForm *form);

  TFilesTabBar *TabBar() const;
  TProjectPage *ProjectPage() const { return FProjectPage; }
  QLabel *Panel(int i) const;

  // The status bar, the enabled file commands and (when full) the tabs.
  void ShowStatus(TMDIForm *doc, bool full);
  // Shows a file in the project page's list (its folder in the tree).
  void SyncFileView(const QString &fileName);
  // "Select file &path": the folder in the project page's tree.
  void ShowFolder(const QString &folder);
  void SelectDocument();
  // Turns the document into plain text in a new text document after it; the result's name is the
  // source's with the extension "txt" (none for an unnamed source). Returns the new document.
  TMDIForm *RemoveTags(TMDIForm *doc);
  // Closes the document of a tab ("&Close"); the last one is replaced by an empty HTML page.
  void CloseTab(int index);

  void PrintExecute();
  void PrintSetupExecute();
  void PrintLayoutExecute();
  // Start-up: without an installed printer the printer choice is off (printing goes to a PDF file).
  void SetupPrinter();

  // Kept for the program's run, not stored.
  TRemoveTagsOptions RtOptions;

  // Tests answer the dialogs without a user.
  std::function<bool(TRemoveTagsOptions &options)> RemoveTagsResponder;
  std::function<int(const QStringList &names, int current)> SelectDocumentResponder;
  std::function<bool(TPrintSettings &settings)> PageFormatResponder;

protected:
  bool eventFilter(QObject *o, QEvent *e) override;

private:
  void CreateActions();
  void ShowTabHint(int index);
  void SetHintLook(bool hint);
  QString DocumentHint(TMDIForm *doc) const;
  void EnableFileCommands(TMDIForm *doc);
  void LayoutRootPanel();

  THauptForm *F;
  TProjectPage *FProjectPage = nullptr;
  TPageFormatDialog *FPageDialog = nullptr;
  TRemoveTagsDialog *FRtDialog = nullptr;
  TSelectFromListDialog *FSelectDialog = nullptr;
  QString FActHint;
  bool FHintShown = false;
};
