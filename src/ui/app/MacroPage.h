#pragma once
// The "Macros" page of the panel above the documents: the macro names, a preview of the selected
// macro (editable while the Edit button is down), the macro tool bar and the up/down arrows. The
// commands themselves are the main window's actions; they call the page's operations with the
// active document's selection.
#include "core/app/MacroList.h"
#include "ui/common/LazyPage.h"

#include <QWidget>
#include <functional>

class QAction;
class QListWidget;
class QPlainTextEdit;
class QSplitter;
class QToolBar;
class QToolButton;

class TMacroPage : public TLazyPage {
  Q_OBJECT
public:
  explicit TMacroPage(QWidget *parent = nullptr);

  TMacroList List;
  // The tool bar gets New, Replace, Insert, Rename, Delete and Edit; the arrows Up and Down.
  void SetActions(const QList<QAction *> &toolBar, QAction *edit, QAction *up, QAction *down);

  // Shows the list again and selects index (clamped; -1 for none).
  void Refill(int index);
  int Current() const;
  QString CurrentText() const;
  QToolBar *ToolBar() const { return tbMacros; }
  QListWidget *ListBox() const { return lbMacros; }
  QPlainTextEdit *Preview() const { return meMacro; }
  // Width of the name list (MacroSplit).
  int ListWidth() const;
  void SetListWidth(int w);

  // The commands; pos is where questions appear. selection is the active editor's selection.
  void NewMacro(const QString &selection, QPoint pos);
  void ReplaceMacro(const QString &selection, QPoint pos);
  void RenameMacro(QPoint pos);
  void DeleteMacro(QPoint pos);
  void MoveMacro(int delta);
  // Edit on: the preview becomes editable; off: its text is stored in the macro.
  void SetEditing(bool on);
  bool Editing() const { return FEditing; }

  // Loads the file; a message on failure (the list is then empty and the file is kept).
  void Load(const QString &fileName);
  // Saves when changed; a message on failure. False then.
  bool Save(const QString &fileName);

  // Asks for a name: title, prompt, the text to edit and the names offered in the drop-down.
  // Tests answer without a dialog.
  std::function<bool(const QString &title, const QString &prompt, QString &text, const QStringList &names)>
      NameResponder;

signals:
  // Double click on a name inserts the macro.
  void InsertRequested();

protected:
  void Build() override;
  bool eventFilter(QObject *o, QEvent *e) override;
  void showEvent(QShowEvent *e) override;

private:
  bool AskName(QPoint pos, const QString &title, const QString &prompt, QString &text);
  void ShowPreview();
  void ApplyListWidth();
  void ApplyActions();

  // Made by EnsureBuilt(); the list and the settings above are there from the start.
  QSplitter *FSplit = nullptr;
  QListWidget *lbMacros = nullptr;
  QPlainTextEdit *meMacro = nullptr;
  QToolBar *tbMacros = nullptr;
  QToolButton *btnUp = nullptr, *btnDown = nullptr;
  QList<QAction *> FToolActions;
  QAction *FEditAction = nullptr, *FUpAction = nullptr, *FDownAction = nullptr;
  bool FEditing = false;
  int FListWidth = 146;
};
