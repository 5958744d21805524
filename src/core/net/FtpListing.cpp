#include "core/net/FtpListing.h"

#include <QRegularExpression>
#include <QTimeZone>

namespace FtpListing {

QDateTime ParseFtpTime(const QString &text) {
  const QString t = text.trimmed();
  if (t.size() < 14)
    return {};
  for (int i = 0; i < 14; ++i)
    if (!t[i].isDigit())
      return {};
  const QDate d(t.mid(0, 4).toInt(), t.mid(4, 2).toInt(), t.mid(6, 2).toInt());
  int ms = 0;
  if (t.size() > 15 && t[14] == u'.') {
    QString frac = t.mid(15, 3);
    while (frac.size() < 3)
      frac += u'0';
    bool ok = false;
    ms = frac.toInt(&ok);
    if (!ok)
      ms = 0;
  }
  const QTime tm(t.mid(8, 2).toInt(), t.mid(10, 2).toInt(), t.mid(12, 2).toInt(), ms);
  if (!d.isValid() || !tm.isValid())
    return {};
  return QDateTime(d, tm, QTimeZone::utc());
}

QString FormatFtpTime(const QDateTime &utc) {
  return utc.toUTC().toString(QStringLiteral("yyyyMMddHHmmss"));
}

bool IsSafeEntryName(const QString &name) {
  if (name.isEmpty() || name == u"." || name == u"..")
    return false;
  for (QChar c : name)
    if (c == u'/' || c == u'\0' || c == u'\r' || c == u'\n')
      return false;
  return true;
}

bool ParseMlsdLine(const QString &line, TFtpListEntry &entry) {
  // Facts end at the first blank; the name is everything after it, blanks included.
  const int sp = line.indexOf(u' ');
  if (sp <= 0)
    return false;
  entry = {};
  entry.Name = line.mid(sp + 1);
  bool typed = false;
  const auto facts = QStringView(line).left(sp).split(u';', Qt::SkipEmptyParts);
  for (QStringView f : facts) {
    const int eq = f.indexOf(u'=');
    if (eq <= 0)
      continue;
    const QString key = f.left(eq).toString().toLower();
    const QStringView val = f.mid(eq + 1);
    if (key == u"type") {
      const QString v = val.toString().toLower();
      if (v == u"cdir" || v == u"pdir")
        return false;
      typed = true;
      entry.IsDir = v == u"dir";
      entry.IsLink = v.startsWith(u"os.unix=slink") || v.startsWith(u"os.unix=symlink");
    } else if (key == u"size" || key == u"sizd") {
      if (key == u"size" || entry.Size == 0)
        entry.Size = val.toLongLong();
    } else if (key == u"modify") {
      entry.ModifiedUtc = ParseFtpTime(val.toString());
    }
  }
  return typed && !entry.Name.isEmpty();
}

static int MonthOf(QStringView m) {
  static const char *names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                "jul", "aug", "sep", "oct", "nov", "dec"};
  const QString l = m.toString().toLower();
  for (int i = 0; i < 12; ++i)
    if (l == QLatin1String(names[i]))
      return i + 1;
  return 0;
}

bool ParseListLine(const QString &line, TFtpListEntry &entry, const QDateTime &nowUtc) {
  // Unix: type+permissions, links, owner, optional group, size, month, day, time or year, name.
  static const QRegularExpression unixRe(
      QStringLiteral(R"(^([-dlbcps])[-rwxsStTl]{9}\S*\s+\d+\s+(?:\S+\s+){1,2}?(\d+)\s+([A-Za-z]{3})\s+)"
                     R"((\d{1,2})\s+(\d{1,2}):(\d{2})(?::\d{2})?\s(.*)$|)"
                     R"(^([-dlbcps])[-rwxsStTl]{9}\S*\s+\d+\s+(?:\S+\s+){1,2}?(\d+)\s+([A-Za-z]{3})\s+)"
                     R"((\d{1,2})\s+(\d{4})\s(.*)$)"));
  // DOS: date, time with AM/PM, "<DIR>" or size, name.
  static const QRegularExpression dosRe(QStringLiteral(
      R"(^(\d{1,2})-(\d{1,2})-(\d{2}|\d{4})\s+(\d{1,2}):(\d{2})\s*([AaPp][Mm])?\s+(<DIR>|\d+)\s+(.+)$)"));
  entry = {};
  if (auto m = unixRe.match(line); m.hasMatch()) {
    const bool withTime = m.capturedLength(1) > 0;
    const int b = withTime ? 0 : 7;
    const QChar kind = m.captured(1 + b)[0];
    entry.IsDir = kind == u'd';
    entry.IsLink = kind == u'l';
    entry.Size = m.captured(2 + b).toLongLong();
    const int month = MonthOf(m.captured(3 + b));
    const int day = m.captured(4 + b).toInt();
    if (month == 0)
      return false;
    if (withTime) {
      const QTime tm(m.captured(5).toInt(), m.captured(6).toInt());
      int year = nowUtc.date().year();
      QDateTime t(QDate(year, month, day), tm, QTimeZone::utc());
      // Without a year the entry lies in the last twelve months; allow a day for clock skew.
      if (t.isValid() && t > nowUtc.addDays(1))
        t = QDateTime(QDate(year - 1, month, day), tm, QTimeZone::utc());
      entry.ModifiedUtc = t;
      entry.Name = m.captured(7);
    } else {
      entry.ModifiedUtc = QDateTime(QDate(m.captured(12).toInt(), month, day), QTime(0, 0), QTimeZone::utc());
      entry.Name = m.captured(13);
    }
    if (entry.IsLink) {
      const int arrow = entry.Name.indexOf(QStringLiteral(" -> "));
      if (arrow > 0)
        entry.Name.truncate(arrow);
    }
    return !entry.Name.isEmpty();
  }
  if (auto m = dosRe.match(line); m.hasMatch()) {
    int year = m.captured(3).toInt();
    if (m.capturedLength(3) == 2)
      year += year < 70 ? 2000 : 1900;
    int hour = m.captured(4).toInt();
    const QString ampm = m.captured(6).toUpper();
    if (ampm == u"PM" && hour < 12)
      hour += 12;
    else if (ampm == u"AM" && hour == 12)
      hour = 0;
    entry.ModifiedUtc = QDateTime(QDate(year, m.captured(1).toInt(), m.captured(2).toInt()),
                                  QTime(hour, m.captured(5).toInt()), QTimeZone::utc());
    entry.IsDir = m.captured(7) == u"<DIR>";
    entry.Size = entry.IsDir ? 0 : m.captured(7).toLongLong();
    entry.Name = m.captured(8);
    return !entry.Name.isEmpty();
  }
  return false;
}

QList<TFtpListEntry> ParseListing(const QByteArray &data, bool mlsd, const QDateTime &nowUtc, bool utf8) {
  QList<TFtpListEntry> result;
  const QString text = utf8 ? QString::fromUtf8(data) : QString::fromLatin1(data);
  const auto lines = QStringView(text).split(u'\n');
  for (QStringView l : lines) {
    if (l.endsWith(u'\r'))
      l.chop(1);
    if (l.isEmpty())
      continue;
    TFtpListEntry e;
    const QString line = l.toString();
    const bool ok = mlsd ? ParseMlsdLine(line, e) : ParseListLine(line, e, nowUtc);
    if (ok && IsSafeEntryName(e.Name))
      result.append(e);
  }
  return result;
}

} // namespace FtpListing
