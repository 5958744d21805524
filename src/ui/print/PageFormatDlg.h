#pragma once
// "Page settings for print out": margins, duplex, orientation, the header and its distance, line
// numbers, wrapping, highlighting and colour.
#include "core/common/Settings.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QSpinBox;
class QWidget;

class TPageFormatDialog : public QDialog {
  Q_OBJECT
public:
  explicit TPageFormatDialog(QWidget *parent = nullptr);

  // Shows settings under title; OK copies the controls back and returns true, Cancel changes
  // nothing. listing would show the font page, which this program keeps hidden.
  bool Execute(const QString &title, bool listing, TPrintSettings &settings);

  // The steps of Execute, for tests that work the controls themselves.
  void Fill(const TPrintSettings &settings);
  void Store(TPrintSettings &settings) const;

  QSpinBox *edtLeft, *edtRight, *edtTop, *edtBottom, *edtGutter, *edtHeader;
  QCheckBox *cbxDuplex, *cbxHeader, *cbxLineNumbers, *cbxWrapLines, *cbxHighlight, *cbxColorPrint;
  QRadioButton *rbPortrait, *rbLandscape;
  QWidget *pnlHeader;
};
