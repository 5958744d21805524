#pragma once
// The non-modal search-and-replace dialog, and the question asked before each replacement.
#include "core/editor/TextSearch.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;
class TUnicodeIniFile;

class TFindReplDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFindReplDialog(QWidget *parent = nullptr);

  void LoadFromIni(const TUnicodeIniFile &ini);
  void SaveToIni(TUnicodeIniFile &ini) const;
  bool Execute(bool replace);

  QString FindText() const;
  void SetFindText(const QString &s);
  QString ReplaceText() const;
  void SetReplaceText(const QString &s);
  TSynSearchOptions Options() const { return fOptions; }
  void SetOptions(TSynSearchOptions o);
  bool IsReplaceMode() const { return fReplace; }
  QStringList FindHistory() const;
  QStringList ReplaceHistory() const;

  // The document that last claimed the dialog.
  std::function<void()> fOnFind, fOnReplace;

  // Buttons (tests press them as a user would).
  QPushButton *btnSearch, *btnRepeat, *btnReplAll, *btnClose;
  QComboBox *cbxSearch, *cbxReplace;
  QCheckBox *cbCase, *cbWord, *cbConfirm, *cbAutoclose;
  QRadioButton *rbFromCursor, *rbFromBeginning, *rbForward, *rbBackward, *rbWholeText, *rbSelectedText;

  static void AddToHistory(QComboBox *box, const QString &text);
  static constexpr int MaxHistory = 20;

signals:
  // The search text changed (typed, chosen from the history or set by a document).
  void FindTextChanged(const QString &text);

private:
  void MainButton();
  void RepeatButton();
  void ReplaceAllButton();
  void UpdateButtons();
  void SetBit(TSynSearchOption bit, bool on);
  void CloseUnlessKept();
  QWidget *pnlReplace;
  TSynSearchOptions fOptions = ssoPrompt;
  bool fReplace = false, fRepeat = false, fFromCursor = true;
};

class TConfirmReplDialog : public QDialog {
  Q_OBJECT
public:
  explicit TConfirmReplDialog(QWidget *parent = nullptr);
  TSynReplaceAction Execute(QPoint pos, const QString &prompt);

private:
  QLabel *lblPrompt;
  TSynReplaceAction fResult = raCancel;
};

// Tests answer the confirmation without a user.
using TConfirmResponder = std::function<TSynReplaceAction(const QString &prompt)>;
void SetConfirmResponder(TConfirmResponder r);
TSynReplaceAction AskReplace(QWidget *parent, QPoint pos, const QString &prompt);
