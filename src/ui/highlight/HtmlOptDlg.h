#pragma once
// The view settings of one file type: options, tabs, gutter, right edge, font, background and the
// highlighting attributes with a sample; and the font dialog it uses.
#include "core/common/Settings.h"
#include "core/dialogs/Colors.h"
#include "core/highlight/HighlightSet.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QFontComboBox;

struct TFontSettings {
  QString FontName;
  int FontSize = 10;
  int FontStyle = 0; // bold 1, italic 2
  quint32 FontColor = 0;
};

class TSelectFontDialog : public QDialog {
  Q_OBJECT
public:
  explicit TSelectFontDialog(QWidget *parent = nullptr);
  // Fixed-pitch families only when fixedPitch. On OK font takes name, size, colour, bold and
  // italic (underline and strike-out cleared); the colour list comes back after OK and Cancel.
  bool Execute(QPoint pos, bool fixedPitch, TColorList &colors, const QString &preview, TFontSettings &font);

  QFontComboBox *cbFont;
  QSpinBox *edSize;
  QCheckBox *cbBold, *cbItalic;
  QPushButton *btnColor;
  QLineEdit *edPreview;

private:
  void UpdatePreview();
  quint32 FColor = 0;
  TColorList FColors{};
};

class THtmlOptionsDialog : public QDialog {
  Q_OBJECT
public:
  explicit THtmlOptionsDialog(QWidget *parent = nullptr);
  // highlight: the type's highlighting, or null for plain text. On OK it and both records take
  // the dialog's values; Cancel changes nothing.
  bool Execute(TFileTypes type, THighlightSet *highlight, TSynEditProperties &props,
               TSynGutterProperties &gutter, QPoint pos = QPoint(-1, -1));
  void SetColorList(const TColorList &list) { FColors = list; }
  TColorList ColorList() const { return FColors; }

  // The controls, named as the user sees them (tests work them directly).
  QGroupBox *gbHighlight;
  QCheckBox *cbUseHighlight;
  QLineEdit *edTypes;
  QListWidget *lbAttributes;
  QPushButton *btnForeground, *btnBackground, *btnFont, *btnBgColor;
  QCheckBox *cbBold, *cbItalic, *cbUnderline;
  QLabel *lbSample;
  QCheckBox *cbTabsAuto, *cbTabsSpaces, *cbAutoIndent, *cbSpecialChars, *cbAltColumns, *cbBehindLine,
      *cbKeepCaret;
  QSpinBox *edTabWidth, *edRightEdge, *edDigits;
  QCheckBox *cbGutter, *cbLineNumbers, *cbLeadingZeros;

  // The attribute shown now (tests), null without highlighting.
  THighlightAttr *CurrentAttribute();
  // Applies the working values to the records as OK does.
  void TakeValues(THighlightSet *highlight, TSynEditProperties &props, TSynGutterProperties &gutter) const;

private:
  void SelectAttribute();
  void UpdatePreview();
  void StyleClicked();
  void ChooseColor(bool foreground);
  void ChooseFont();
  void ChooseBackground();
  void ShowBgSwatch();

  TFileTypes FType = ftText;
  THighlightSet FWork;
  TSynEditProperties FProps;
  bool FShowing = false;
  TColorList FColors{};
};
