#pragma once
// A read-only window for a text file (the transfer log): code pages, jumps between sections and
// error lines, search, and deleting the file or a part of it.
#include "core/common/Settings.h"
#include "core/common/Types.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class TTextViewer : public QDialog {
  Q_OBJECT
public:
  explicit TTextViewer(QWidget *parent = nullptr);

  // Texts that start a section and mark an error line.
  void SetSectionMarks(const QString &sectText, const QString &errText);
  // Shows the file with the chosen code page (index into CodePageBox; 0 automatic); the view
  // scrolls to the end.
  bool LoadFile(const QString &fileName);
  // Jumps to the next or previous section or error line; false (with "No further ...!") at the end.
  bool GoSection(bool forward);
  bool GoError(bool forward);
  bool Search(const QString &text);
  // "&Delete": the selection (written back in the file's own encoding) or the whole file.
  void DeleteExecute();
  // "&Print": the text, or with a selection (when the user says so) its lines; false when
  // nothing was printed.
  bool PrintExecute();
  int CurrentLine() const;
  QString FileName() const { return FFileName; }
  TSynEncoding Encoding() const { return FEncoding; }

  QPlainTextEdit *View;
  QComboBox *CodePageBox;
  QLineEdit *SearchEdit;
  QPushButton *PrevSection, *NextSection, *PrevError, *NextError, *SearchButton, *DeleteButton, *PrintButton;
  QLabel *LinePanel, *MessagePanel;

protected:
  void keyPressEvent(QKeyEvent *e) override;

private:
  bool Go(const QString &mark, bool forward, const QString &noneText);
  void UpdateLine();
  QString FFileName, FSectText, FErrText, FLineBreak;
  TSynEncoding FEncoding = seAnsi;
  // The viewer's own page: portrait, margins top and bottom 15 mm, left 20, right 10, kept for the
  // program's run.
  TPrintSettings FPrintSettings{0, 5, false, false, false, true, false, 20, 10, 15, 15, 0};
  QString FPrinterName;
  bool FBom = false;
};
