#include "core/net/FtpListing.h"

#include <QHash>
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

namespace {

// Month abbreviations as servers print them in the languages we meet; keys are lower case
// without a trailing full stop. Other words in the month's place are still accepted as months
// (the entry is kept, without a time).
int KnownMonth(QStringView word) {
  static const QHash<QString, int> months = [] {
    QHash<QString, int> h;
    const char *const table[][12] = {
        {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"},
        // German
        {"jan", "feb", "mär", "apr", "mai", "jun", "jul", "aug", "sep", "okt", "nov", "dez"},
        // Hungarian
        {"jan", "febr", "márc", "ápr", "máj", "jún", "júl", "aug", "szept", "okt", "nov", "dec"},
        // French
        {"janv", "févr", "mars", "avr", "mai", "juin", "juil", "août", "sept", "oct", "nov", "déc"},
        // Spanish
        {"ene", "feb", "mar", "abr", "may", "jun", "jul", "ago", "sep", "oct", "nov", "dic"},
        // Italian
        {"gen", "feb", "mar", "apr", "mag", "giu", "lug", "ago", "set", "ott", "nov", "dic"},
        // Dutch and Portuguese forms that differ from the above
        {"jan", "feb", "mrt", "apr", "mei", "jun", "jul", "aug", "sep", "okt", "nov", "dez"},
        {"jan", "fev", "mar", "abr", "mai", "jun", "jul", "ago", "set", "out", "nov", "dez"},
    };
    for (const auto &row : table)
      for (int m = 0; m < 12; ++m)
        h.insert(QString::fromUtf8(row[m]), m + 1);
    // Longer or unaccented forms some systems print.
    h.insert(QStringLiteral("märz"), 3);
    h.insert(QStringLiteral("mrz"), 3);
    h.insert(QStringLiteral("maer"), 3);
    h.insert(QStringLiteral("fevr"), 2);
    h.insert(QStringLiteral("fév"), 2);
    h.insert(QStringLiteral("fev"), 2);
    h.insert(QStringLiteral("marc"), 3);
    h.insert(QStringLiteral("aout"), 8);
    h.insert(QStringLiteral("sze"), 9);
    h.insert(QStringLiteral("szep"), 9);
    return h;
  }();
  QStringView w = word;
  if (w.endsWith(u'.'))
    w.chop(1);
  return months.value(w.toString().toLower(), 0);
}

// A word that stands where the month stands: letters only (a full stop may end it). Accented
// letters of a listing decoded in the wrong encoding count as letters too.
bool IsMonthWord(QStringView w) {
  if (w.endsWith(u'.'))
    w.chop(1);
  if (w.size() < 2 || w.size() > 6)
    return false;
  for (QChar c : w)
    if (!c.isLetter() && c.unicode() < 0x80)
      return false;
  return true;
}

bool AllDigits(QStringView s, int minLen = 1, int maxLen = 20) {
  if (s.size() < minLen || s.size() > maxLen)
    return false;
  for (QChar c : s)
    if (c < u'0' || c > u'9')
      return false;
  return true;
}

// "12:30", "12:30:59", "12:30:59.123456789"; hour and minute out of range fail.
bool ParseClock(QStringView s, QTime &t) {
  static const QRegularExpression re(QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2})(?:[.,]\d+)?)?$)"));
  const auto m = re.match(s);
  if (!m.hasMatch())
    return false;
  t = QTime(m.capturedView(1).toInt(), m.capturedView(2).toInt(), m.capturedView(3).toInt());
  return t.isValid();
}

struct TToken {
  qsizetype Start;
  qsizetype End; // one past the last character
  QStringView Text;
};

QList<TToken> Tokenize(const QString &line) {
  QList<TToken> tokens;
  qsizetype i = 0;
  const qsizetype n = line.size();
  while (i < n) {
    while (i < n && (line[i] == u' ' || line[i] == u'\t'))
      ++i;
    if (i >= n)
      break;
    const qsizetype start = i;
    while (i < n && line[i] != u' ' && line[i] != u'\t')
      ++i;
    tokens.append({start, i, QStringView(line).mid(start, i - start)});
  }
  return tokens;
}

// The date part of a Unix-style line, starting at tokens[k].
struct TDatePart {
  int Tokens = 0; // tokens used; 0 when nothing fits
  int Year = -1;  // -1: the listing gave none
  int Month = 0;  // 0: a month word we do not know
  int Day = 0;
  QTime Time{0, 0};
  int ZoneMinutes = 0; // east of UTC, when the listing names the zone
};

TDatePart UnixDate(const QList<TToken> &t, qsizetype k, bool anyMonthWord) {
  TDatePart d;
  const qsizetype n = t.size();
  auto yearOrTime = [&](qsizetype i, TDatePart &p) {
    if (i >= n)
      return false;
    if (AllDigits(t[i].Text, 4, 4)) {
      p.Year = t[i].Text.toInt();
      return true;
    }
    return ParseClock(t[i].Text, p.Time);
  };
  auto monthWord = [&](QStringView w, int &month) {
    month = KnownMonth(w);
    return month > 0 || (anyMonthWord && IsMonthWord(w));
  };
  auto dayOf = [](QStringView w, int &day) {
    if (w.endsWith(u'.'))
      w.chop(1);
    if (!AllDigits(w, 1, 2))
      return false;
    day = w.toInt();
    return day >= 1 && day <= 31;
  };
  if (k + 2 < n) {
    // "Mar  5 12:00", "Mar 5 2019", "márc. 5 12:00"
    if (TDatePart p; monthWord(t[k].Text, p.Month) && dayOf(t[k + 1].Text, p.Day) && yearOrTime(k + 2, p)) {
      p.Tokens = 3;
      return p;
    }
    // "5. Mär 12:00", "5 mars 2019"
    if (TDatePart p; dayOf(t[k].Text, p.Day) && monthWord(t[k + 1].Text, p.Month) && yearOrTime(k + 2, p)) {
      p.Tokens = 3;
      return p;
    }
  }
  if (k < n) {
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})([-/])(\d{1,2})\2(\d{1,2})$)"));
    static const QRegularExpression monthDay(QStringLiteral(R"(^(\d{1,2})-(\d{1,2})$)"));
    if (const auto m = iso.match(t[k].Text); m.hasMatch()) {
      // "2005-06-07 21:22", "2005-06-07 21:22:33.000000000 +0200", "1999/10/12"
      d.Year = m.capturedView(1).toInt();
      d.Month = m.capturedView(3).toInt();
      d.Day = m.capturedView(4).toInt();
      d.Tokens = 1;
      if (k + 1 < n && ParseClock(t[k + 1].Text, d.Time)) {
        d.Tokens = 2;
        static const QRegularExpression zone(QStringLiteral(R"(^([-+])(\d{2})(\d{2})$)"));
        if (const auto z = k + 2 < n ? zone.match(t[k + 2].Text) : QRegularExpressionMatch(); z.hasMatch()) {
          d.ZoneMinutes = (z.capturedView(2).toInt() * 60 + z.capturedView(3).toInt()) *
                          (z.capturedView(1) == u"-" ? -1 : 1);
          d.Tokens = 3;
        }
      }
      return d;
    }
    if (const auto m = monthDay.match(t[k].Text);
        m.hasMatch() && k + 1 < n && ParseClock(t[k + 1].Text, d.Time)) {
      // "09-26 13:45" (recent files in the ISO style)
      d.Month = m.capturedView(1).toInt();
      d.Day = m.capturedView(2).toInt();
      d.Tokens = 2;
      return d;
    }
  }
  return {};
}

QDateTime DateOf(const TDatePart &d, const QDateTime &nowUtc) {
  if (d.Month < 1 || d.Month > 12)
    return {};
  if (d.Year >= 0) {
    const QDateTime t(QDate(d.Year, d.Month, d.Day), d.Time, QTimeZone::utc());
    return t.isValid() ? t.addSecs(-qint64(d.ZoneMinutes) * 60) : QDateTime();
  }
  const int year = nowUtc.date().year();
  QDateTime t(QDate(year, d.Month, d.Day), d.Time, QTimeZone::utc());
  // Without a year the entry lies in the last twelve months; allow a day for clock skew.
  if (!t.isValid() || t > nowUtc.addDays(1))
    t = QDateTime(QDate(year - 1, d.Month, d.Day), d.Time, QTimeZone::utc());
  return t.isValid() ? t : QDateTime();
}

bool ParseUnix(const QString &line, const QList<TToken> &t, TFtpListEntry &entry, const QDateTime &nowUtc) {
  static const QRegularExpression perms(QStringLiteral(R"(^[-dlbcps][-rwxsStTlL]{9}\S*$)"));
  if (t.size() < 4 || !perms.match(t[0].Text).hasMatch())
    return false;
  // Between the permissions and the date: link count, owner, group and, on some servers, a
  // further group or domain field, so look for "<size> <date>" from the left. Known month
  // names are tried first so that an owner named like a month cannot mislead us.
  for (bool anyMonthWord : {false, true}) {
    for (qsizetype i = 1; i + 1 < t.size(); ++i) {
      if (!AllDigits(t[i].Text))
        continue;
      const TDatePart d = UnixDate(t, i + 1, anyMonthWord);
      if (d.Tokens == 0)
        continue;
      const qsizetype last = i + d.Tokens;
      // The name follows the date after exactly one separator, so that leading blanks of
      // a name survive.
      const qsizetype nameStart = t[last].End + 1;
      if (nameStart >= line.size())
        continue;
      entry = {};
      const QChar kind = t[0].Text[0];
      entry.IsDir = kind == u'd';
      entry.IsLink = kind == u'l';
      entry.Size = t[i].Text.toLongLong();
      entry.ModifiedUtc = DateOf(d, nowUtc);
      entry.Name = line.mid(nameStart);
      if (entry.IsLink) {
        const qsizetype arrow = entry.Name.indexOf(QStringLiteral(" -> "));
        if (arrow > 0)
          entry.Name.truncate(arrow);
      }
      return !entry.Name.isEmpty();
    }
  }
  return false;
}

// "9,730" and "9.730" as well as "9730".
bool ParseSize(QStringView s, qint64 &size) {
  static const QRegularExpression grouped(QStringLiteral(R"(^\d{1,3}(?:([,.])\d{3})(?:\1\d{3})*$)"));
  QString digits;
  if (AllDigits(s))
    digits = s.toString();
  else if (grouped.match(s).hasMatch())
    digits = s.toString().remove(u',').remove(u'.');
  else
    return false;
  bool ok = false;
  size = digits.toLongLong(&ok);
  return ok;
}

bool ParseDos(const QString &line, const QList<TToken> &t, TFtpListEntry &entry) {
  // "09-02-02  06:48PM  <DIR>  name", "09-02-2002  06:48 PM  9,730 name", "2002-09-02  18:48  <DIR> name",
  // "02.09.2002  18:48  9.730 name"
  static const QRegularExpression dateRe(QStringLiteral(R"(^(\d{1,4})([-/.])(\d{1,2})\2(\d{1,4})$)"));
  static const QRegularExpression timeRe(QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?([AaPp][Mm])?$)"));
  if (t.size() < 4)
    return false;
  const auto dm = dateRe.match(t[0].Text);
  const auto tm = timeRe.match(t[1].Text);
  if (!dm.hasMatch() || !tm.hasMatch())
    return false;
  qsizetype k = 2;
  QString ampm = tm.captured(4).toUpper();
  if (ampm.isEmpty() && (t[k].Text.compare(u"AM", Qt::CaseInsensitive) == 0 ||
                         t[k].Text.compare(u"PM", Qt::CaseInsensitive) == 0)) {
    ampm = t[k].Text.toString().toUpper();
    ++k;
  }
  if (k + 1 >= t.size())
    return false;
  const int a = dm.capturedView(1).toInt();
  const int b = dm.capturedView(3).toInt();
  const int c = dm.capturedView(4).toInt();
  int year, month, day;
  if (dm.capturedLength(1) == 4) {
    year = a, month = b, day = c;
  } else if (dm.capturedLength(4) == 4 || dm.capturedLength(4) == 2) {
    year = c;
    if (dm.capturedLength(4) == 2)
      year += year < 70 ? 2000 : 1900;
    // Month first as these servers print it, unless it cannot be a month (or the dots of a
    // day-first locale say so).
    const bool dayFirst = dm.capturedView(2) == u"." || (a > 12 && b <= 12);
    month = dayFirst ? b : a;
    day = dayFirst ? a : b;
  } else {
    return false;
  }
  int hour = tm.capturedView(1).toInt();
  if (ampm == u"PM" && hour < 12)
    hour += 12;
  else if (ampm == u"AM" && hour == 12)
    hour = 0;
  entry = {};
  const QStringView sizeOrDir = t[k].Text;
  if (sizeOrDir.compare(u"<DIR>", Qt::CaseInsensitive) == 0)
    entry.IsDir = true;
  else if (!ParseSize(sizeOrDir, entry.Size))
    return false;
  entry.ModifiedUtc =
      QDateTime(QDate(year, month, day), QTime(hour, tm.capturedView(2).toInt(), tm.capturedView(3).toInt()),
                QTimeZone::utc());
  if (!entry.ModifiedUtc.isValid())
    entry.ModifiedUtc = {};
  entry.Name = line.mid(t[k + 1].Start);
  return !entry.Name.isEmpty();
}

enum TLineKind { lkEntry, lkSkip, lkBad };

// "total 48" and its translations ("insgesamt 48", "összesen 48").
bool IsTotalLine(const QList<TToken> &t) {
  if (t.size() != 2 || t[0].Text.size() < 2)
    return false;
  for (QChar ch : t[0].Text)
    if (!ch.isLetter())
      return false;
  static const QRegularExpression num(QStringLiteral(R"(^\d+(?:[.,]\d+)?[KMGkmg]?$)"));
  return num.match(t[1].Text).hasMatch();
}

TLineKind ClassifyMlsd(const QString &line, TFtpListEntry &e) {
  if (ParseMlsdLine(line, e))
    return lkEntry;
  static const QRegularExpression dirs(QStringLiteral(R"((?:^|;)type=[cp]dir(?:;|\s))"),
                                       QRegularExpression::CaseInsensitiveOption);
  return dirs.match(line).hasMatch() ? lkSkip : lkBad;
}

} // namespace

bool ParseListLine(const QString &line, TFtpListEntry &entry, const QDateTime &nowUtc) {
  const QList<TToken> t = Tokenize(line);
  return ParseUnix(line, t, entry, nowUtc) || ParseDos(line, t, entry);
}

QList<TFtpListEntry> ParseListing(const QByteArray &data, bool mlsd, const QDateTime &nowUtc, bool utf8,
                                  QStringList *unparsed) {
  QList<TFtpListEntry> result;
  const QString text = utf8 ? QString::fromUtf8(data) : QString::fromLatin1(data);
  const auto lines = QStringView(text).split(u'\n');
  for (QStringView l : lines) {
    if (l.endsWith(u'\r'))
      l.chop(1);
    if (l.trimmed().isEmpty())
      continue;
    TFtpListEntry e;
    const QString line = l.toString();
    TLineKind kind;
    if (mlsd) {
      kind = ClassifyMlsd(line, e);
    } else {
      const QList<TToken> t = Tokenize(line);
      kind = ParseUnix(line, t, e, nowUtc) || ParseDos(line, t, e) ? lkEntry
             : IsTotalLine(t)                                      ? lkSkip
                                                                   : lkBad;
    }
    if (kind == lkEntry && !IsSafeEntryName(e.Name))
      kind = e.Name == u"." || e.Name == u".." ? lkSkip : lkBad;
    if (kind == lkEntry)
      result.append(e);
    else if (kind == lkBad && unparsed)
      unparsed->append(line);
  }
  return result;
}

} // namespace FtpListing
