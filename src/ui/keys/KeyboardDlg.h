#pragma once
// The keyboard layout dialog, its key capture field and the overview of all assigned keys.
#include "core/keys/KeyStrokes.h"

#include <QDialog>
#include <QLineEdit>
#include <functional>

class QComboBox;
class QPushButton;
class QTreeWidget;

// Takes one key chord as it is pressed (any key, with or without modifiers, Tab and Esc too)
// and shows it as "Shift+Ctrl+L".
class THotKeyEdit : public QLineEdit {
  Q_OBJECT
public:
  explicit THotKeyEdit(QWidget *parent = nullptr);
  TShortCut Key() const { return FKey; }
  void SetKey(TShortCut key);

protected:
  bool event(QEvent *e) override;

private:
  TShortCut FKey = 0;
};

class TKeyboardDialog : public QDialog {
  Q_OBJECT
public:
  // folder: where Load and Save start (the per-user data folder).
  explicit TKeyboardDialog(QWidget *parent = nullptr, const QString &folder = QString());
  // Edits a copy of the layout; true on OK, and the layout then holds the copy.
  bool Execute(TSynEditKeyStrokes &layout);

  // Also used by tests without showing the dialog.
  void Prepare(const TSynEditKeyStrokes &layout);
  const TSynEditKeyStrokes &Layout() const { return ks; }
  void ShowCategory(int row);
  void ChangeCodeClick();
  void DeleteCodeClick();
  void LoadClick();
  void SaveClick();
  void OverviewClick();
  // Tests choose files without a dialog and see the overview instead of a window.
  std::function<QString(const QString &title)> FileNameResponder;
  std::function<void(class TShowKeyCodes &)> OverviewResponder;

  QComboBox *cbKat;
  QTreeWidget *KeyCmdList;
  QLineEdit *stxCommand;
  THotKeyEdit *hkKeystroke;
  QPushButton *btnChange, *btnDelete, *btnLoad, *btnSave, *btnOverview;

private:
  void ShowDetails();
  int SelectedEntry() const;
  QString AskFile(bool save);
  TSynEditKeyStrokes ks;
  int ActCat = 0;
  QString FFolder;
};

class TShowKeyCodes : public QDialog {
  Q_OBJECT
public:
  explicit TShowKeyCodes(QWidget *parent = nullptr);
  // Fills the list (every entry with a key) and shows it modally.
  void Show(const TSynEditKeyStrokes &list);
  void Fill(const TSynEditKeyStrokes &list);
  void SortByColumn(int column);
  QTreeWidget *lvKeys;
};
