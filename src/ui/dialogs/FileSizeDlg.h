#pragma once
// The file size dialog: the size of a file written with decimal or binary unit prefixes and a
// decimal comma or point, ready to be inserted or copied.
#include "core/dialogs/FileSize.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

class TFileSizeDialog : public QDialog {
  Q_OBJECT
public:
  explicit TFileSizeDialog(QWidget *parent = nullptr);

  // Shows the size of fileName (0 when it does not exist). On OK sizeText is the size field
  // formatted with the chosen units and separator, and both flags hold the choice.
  bool Execute(const QString &fileName, bool &decimalUnits, QString &sizeText, bool &decimalComma,
               QPoint pos = {-1, -1});

  void accept() override;

private:
  TSizeUnits Units() const;
  QChar Separator() const;
  void ReadFileSize(const QString &fileName);
  bool TakeSizeField(QChar sep);
  void ShowSize();
  void OptionChanged();
  void SelectFile();
  void CopySize();

  QLineEdit *edFileName, *edFileSize;
  QRadioButton *rbDecimal, *rbBinary, *rbComma, *rbPoint;
  QPushButton *btnFile, *btnCopy, *btnOk;
  qint64 FSize = 0;
  QChar FShownSep = u',';
};
