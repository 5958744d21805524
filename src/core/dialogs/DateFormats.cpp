#include "core/dialogs/DateFormats.h"

const std::array<TDateFormat, DateFormatCount> DateFormats = {{
    {"yyyy-mm-dd", "yyyy-MM-dd"},
    {"d.m.yyyy", "d.M.yyyy"},
    {"d.m.yy", "d.M.yy"},
    {"dd.mm.yyyy", "dd.MM.yyyy"},
    {"d. mmm yyyy", "d. MMM yyyy"},
    {"d. mmmm yyyy", "d. MMMM yyyy"},
    {"mm\"/\"dd\"/\"yyyy", "MM/dd/yyyy"},
}};

QString FormatDatePattern(QDate date, const QString &pattern, const QLocale &locale) {
  QString out;
  qsizetype i = 0;
  while (i < pattern.size()) {
    const QChar c = pattern[i];
    if (c == u'"' || c == u'\'') {
      const qsizetype end = pattern.indexOf(c, i + 1);
      const qsizetype stop = end < 0 ? pattern.size() : end;
      out += pattern.mid(i + 1, stop - i - 1);
      i = stop + 1;
      continue;
    }
    const QChar lc = c.toLower();
    if (lc != u'd' && lc != u'm' && lc != u'y') {
      out += c;
      ++i;
      continue;
    }
    qsizetype n = 1;
    while (i + n < pattern.size() && pattern[i + n].toLower() == lc)
      ++n;
    i += n;
    if (lc == u'd') {
      if (n == 1)
        out += QString::number(date.day());
      else if (n == 2)
        out += QStringLiteral("%1").arg(date.day(), 2, 10, QLatin1Char('0'));
      else
        out += locale.dayName(date.dayOfWeek(), n == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
    } else if (lc == u'm') {
      if (n == 1)
        out += QString::number(date.month());
      else if (n == 2)
        out += QStringLiteral("%1").arg(date.month(), 2, 10, QLatin1Char('0'));
      else
        out += locale.monthName(date.month(), n == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
    } else {
      if (n <= 2)
        out += QStringLiteral("%1").arg(date.year() % 100, 2, 10, QLatin1Char('0'));
      else
        out += QStringLiteral("%1").arg(date.year(), 4, 10, QLatin1Char('0'));
    }
  }
  return out;
}

QString FormatDateIndex(QDate date, int index, const QLocale &locale) {
  if (index < 0 || index >= DateFormatCount)
    index = 0;
  return FormatDatePattern(date, QString::fromLatin1(DateFormats[index].Output), locale);
}

QString DateFormatCaption(QDate date, int index, const QLocale &locale) {
  if (index < 0 || index >= DateFormatCount)
    index = 0;
  QString pattern = QString::fromLatin1(DateFormats[index].Output);
  pattern.remove(u'"');
  return FormatDateIndex(date, index, locale) + QStringLiteral(" (") + pattern + u')';
}

QDate ReadShortDate(const QString &text, const QLocale &locale, QDate today) {
  const QString format = locale.dateFormat(QLocale::ShortFormat);
  QDate d = locale.toDate(text.trimmed(), format);
  if (!d.isValid())
    return d;
  // Qt puts two-digit years into the 1900s; people mean the nearest century.
  if (!format.contains(QLatin1String("yyyy")) && format.contains(QLatin1String("yy"))) {
    const int yy = d.year() % 100;
    int year = today.year() - today.year() % 100 + yy;
    if (year > today.year() + 49)
      year -= 100;
    else if (year <= today.year() - 50)
      year += 100;
    d = QDate(year, d.month(), std::min(d.day(), QDate(year, d.month(), 1).daysInMonth()));
  }
  return d;
}
