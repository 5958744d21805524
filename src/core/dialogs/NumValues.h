#pragma once
// Numbers of the value dialogs: the step of a number field and the attribute values with CSS
// units that the value commands write ("1.5em", "100%", "2.00in").
#include <QChar>
#include <QString>
#include <array>

// How the up-down of a number field steps: fixed, or growing with the value in decimal or binary
// magnitudes so that large values are reached in a few clicks.
enum TIncrMode { imFixed, imDecAuto, imBinAuto };

// The step for a field holding value (fixedStep is kept for imFixed).
int StepForValue(int value, TIncrMode mode, int fixedStep);

// Units of an attribute value: the entry of the unit list (English source text), the suffix
// written after the number and the decimals the number gets.
struct TAttrUnit {
  const char *Caption;
  const char *Suffix;
  int Decimals;
};
constexpr int AttrUnitCount = 10;
extern const std::array<TAttrUnit, AttrUnitCount> AttrUnits;

// An attribute value taken apart: the unit found in it (0 for none) and the text before the
// unit's suffix.
struct TAttrValueParts {
  int Unit = 0;
  QString Number;
};
TAttrValueParts SplitAttrValue(const QString &value);

// The number part read with "." or the given separator; 1 when it does not read.
double ReadAttrNumber(const QString &number, QChar decimalSep);

// The value as written into code: with the unit's decimals (at most 7 significant digits) and a
// "." as separator, or rounded to a whole number for units without decimals; then the suffix.
QString ComposeAttrValue(double number, int unit);
