#include "core/dialogs/FileSize.h"

#include <cmath>

namespace {
bool IsAsciiDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

QString Fixed(double value, int decimals, QChar decimalSep) {
  QString s = QString::number(value, 'f', decimals);
  if (decimals > 0)
    s.replace(u'.', decimalSep);
  return s;
}
} // namespace

QString FormatFileSize(qint64 bytes, TSizeUnits units, QChar decimalSep) {
  static const char *const Decimal[] = {"kB", "MB", "GB"};
  static const char *const Binary[] = {"KiB", "MiB", "GiB"};
  const auto names = units == suBinary ? Binary : Decimal;
  const double base = units == suBinary ? 1024.0 : 1000.0;
  if (double(bytes) < base)
    return QString::number(bytes) + QStringLiteral(" B");
  double d = double(bytes) / base;
  for (int i = 0; i < 2; ++i) {
    if (d < base) {
      const int decimals = d < 10 ? 2 : d < 100 ? 1 : 0;
      return Fixed(d, decimals, decimalSep) + u' ' + QLatin1String(names[i]);
    }
    d /= base;
  }
  return Fixed(d, 2, decimalSep) + u' ' + QLatin1String(names[2]);
}

std::optional<double> ReadDecimal(const QString &text, QChar decimalSep) {
  const QString s = text.trimmed();
  qsizetype i = 0;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
    ++i;
  qsizetype digits = 0;
  QString plain = s.left(i);
  for (; i < s.size() && IsAsciiDigit(s[i]); ++i, ++digits)
    plain += s[i];
  if (i < s.size() && s[i] == decimalSep) {
    plain += u'.';
    for (++i; i < s.size() && IsAsciiDigit(s[i]); ++i, ++digits)
      plain += s[i];
  }
  if (i != s.size() || digits == 0)
    return std::nullopt;
  bool ok = false;
  const double v = plain.toDouble(&ok);
  return ok ? std::optional<double>(v) : std::nullopt;
}

std::optional<qint64> ParseFileSize(const QString &text, QChar decimalSep) {
  QString s = text.trimmed();
  if (s.isEmpty())
    s = QStringLiteral("0");
  if (s.endsWith(u'B', Qt::CaseInsensitive))
    s.chop(1);
  double base = 1000;
  if (s.endsWith(u'I', Qt::CaseInsensitive)) {
    s.chop(1);
    base = 1024;
  }
  s = s.trimmed();
  if (s.isEmpty())
    return std::nullopt;
  const QChar last = s.back().toUpper();
  double multiplier = 1;
  QString number = s;
  if (!IsAsciiDigit(last)) {
    const qsizetype power = QStringLiteral("KMGT").indexOf(last);
    if (power < 0)
      return std::nullopt;
    multiplier = std::pow(base, double(power + 1));
    // Only the number may stand before the letter: "1 5 K" is no size.
    number = s.chopped(1).trimmed();
  }
  const std::optional<double> value = ReadDecimal(number, decimalSep);
  if (!value || *value < 0)
    return std::nullopt;
  const double bytes = std::round(*value * multiplier);
  if (!(bytes < 9.2e18))
    return std::nullopt;
  return qint64(bytes);
}
