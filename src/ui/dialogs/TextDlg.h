#pragma once
// Text input with a history list, short string input with a suffix, and the character table.
#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class THistoryList;

class TInputTextDialog : public QDialog {
  Q_OBJECT
public:
  explicit TInputTextDialog(QWidget *parent = nullptr);

  // history (may be null) fills the drop-down list, sorted when asked; on OK the text heads the
  // list (within its length) and the history takes the list. fontName (when given) is the
  // field's font; charTable shows the "Character table" button.
  static bool Execute(QPoint pos, const QString &title, const QString &label, QString &text,
                      THistoryList *history = nullptr, bool sorted = false, const QString &fontName = {},
                      bool charTable = false, QWidget *parent = nullptr);

private:
  QLabel *lbText;
  QComboBox *cbText;
  QPushButton *btnCharTable;
  QString FFontName;
};

class TInputStringDialog : public QDialog {
  Q_OBJECT
public:
  explicit TInputStringDialog(QWidget *parent = nullptr);
  static bool Execute(QPoint pos, const QString &title, const QString &label, QString &text,
                      const QString &suffix, QWidget *parent = nullptr);

private:
  QLabel *lbText, *lbSuffix;
  QLineEdit *edText;
};

// Characters 0 to 255 of a font in a 16 x 16 grid, rows and columns headed by hexadecimal digits.
class TCharTableDialog : public QDialog {
  Q_OBJECT
public:
  explicit TCharTableDialog(QWidget *parent = nullptr);
  // The code of the chosen character; 0 when cancelled.
  static int Execute(QPoint pos, const QString &fontName, QWidget *parent = nullptr);
  int SelectedCode() const;

private:
  void HexChanged(const QString &text);
  QTableWidget *sgChars;
  QLineEdit *edHex;
};
