#include "core/dialogs/NumValues.h"
#include "core/dialogs/FileSize.h"

#include <cmath>

const std::array<TAttrUnit, AttrUnitCount> AttrUnits = {{
    {"", "", 0},
    {"Percent", "%", 0},
    {"Pixel", "px", 0},
    {"Point", "pt", 1},
    {"Pica", "pc", 2},
    {"Millimeter", "mm", 1},
    {"Centimeter", "cm", 2},
    {"Inch", "in", 2},
    {"relative to font", "em", 1},
    {"relative to \"x\"", "ex", 1},
}};

int StepForValue(int value, TIncrMode mode, int fixedStep) {
  if (mode == imFixed)
    return fixedStep;
  const int factor = mode == imBinAuto ? 8 : 10;
  static const int DecSteps[] = {1, 5, 50, 500, 5000};
  static const int BinSteps[] = {1, 8, 64, 512, 4096};
  const int *steps = mode == imBinAuto ? BinSteps : DecSteps;
  qint64 limit = factor;
  int i = 0;
  while (i < 4 && value >= limit) {
    ++i;
    limit *= factor;
  }
  return steps[i];
}

TAttrValueParts SplitAttrValue(const QString &value) {
  const QString lower = value.toLower();
  for (int u = 1; u < AttrUnitCount; ++u) {
    const qsizetype p = lower.indexOf(QLatin1String(AttrUnits[u].Suffix));
    if (p >= 0)
      return {u, value.left(p)};
  }
  return {0, value};
}

double ReadAttrNumber(const QString &number, QChar decimalSep) {
  QString s = number;
  s.replace(u'.', decimalSep);
  return ReadDecimal(s, decimalSep).value_or(1.0);
}

QString ComposeAttrValue(double number, int unit) {
  const TAttrUnit &u = AttrUnits[unit >= 0 && unit < AttrUnitCount ? unit : 0];
  if (u.Decimals == 0)
    return QString::number(qint64(std::llround(number))) + QLatin1String(u.Suffix);
  const double rounded = QString::number(number, 'g', 7).toDouble();
  QString s = QString::number(rounded, 'f', u.Decimals);
  if (s.startsWith(u'-') && s.toDouble() == 0) // no "-0.0"
    s.remove(0, 1);
  return s + QLatin1String(u.Suffix);
}
