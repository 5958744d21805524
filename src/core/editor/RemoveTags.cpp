#include "core/editor/RemoveTags.h"
#include "core/editor/Entities.h"

#include <algorithm>

namespace {
constexpr QChar Cr = u'\r';

bool IsBlankOrControl(QChar c) { return c.unicode() <= 0x20; }

QString TrimBlanks(QStringView s) {
  qsizetype b = 0, e = s.size();
  while (b < e && IsBlankOrControl(s[b]))
    ++b;
  while (e > b && IsBlankOrControl(s[e - 1]))
    --e;
  return s.mid(b, e - b).toString();
}

// Drops the markup; the closing tags the options name leave line breaks behind.
QString StripMarkup(const QString &s, const TRemoveTagsOptions &o) {
  QString plain;
  plain.reserve(s.size());
  const qsizetype n = s.size();
  bool inTag = false;
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = s[i];
    if (c == u'<') {
      inTag = true;
      if (i + 2 < n) {
        const QStringView next = QStringView(s).mid(i + 1, std::min<qsizetype>(3, n - i - 1));
        const auto starts = [&next](const char *p) { return next.startsWith(QLatin1String(p), Qt::CaseInsensitive); };
        if (o.UseNewline && starts("br")) {
          plain += Cr;
        } else if (o.UseListLine && (starts("/li") || starts("/dt") || starts("/dd"))) {
          plain += Cr;
        } else if (o.UseTableData && starts("/td")) {
          plain += Cr;
        } else if (o.UseHeadLine && starts("/h") && next.size() > 2 && next[2] >= u'1' && next[2] <= u'9') {
          plain += Cr;
        } else if (o.UseParagraph && starts("/p")) {
          plain += Cr;
          if (o.ExtraLine)
            plain += Cr;
        }
        ++i; // the character after "<" belongs to the tag whatever it is
      }
    } else if (c == u'>') {
      inTag = false;
    } else if (!inTag) {
      plain += c;
    }
  }
  return plain;
}

// "&#233;" and "&#xE9;": the character, or an empty string when the reference names none (or a
// control character, which would break the lines).
QString NumericReference(QStringView ref) {
  if (ref.size() < 4 || ref[1] != u'#')
    return {};
  const bool hex = ref[2] == u'x' || ref[2] == u'X';
  const QStringView digits = ref.mid(hex ? 3 : 2, ref.size() - (hex ? 4 : 3));
  bool ok = false;
  const qint64 code = digits.toLongLong(&ok, hex ? 16 : 10);
  if (!ok || code < 0x20 || (code >= 0x7F && code < 0xA0))
    return {};
  return CharOfCode(code);
}

QString DecodeReferences(const QString &s, const TEntityLookup &lookup) {
  if (!s.contains(u'&'))
    return s;
  QString out;
  out.reserve(s.size());
  const qsizetype n = s.size();
  qsizetype i = 0;
  while (i < n) {
    if (s[i] != u'&') {
      out += s[i++];
      continue;
    }
    // The ";" within the next nine characters: at most eight between "&" and ";".
    qsizetype semi = -1;
    for (qsizetype j = i + 1; j < n && j <= i + 9; ++j)
      if (s[j] == u';') {
        semi = j;
        break;
      }
    if (semi < 0) {
      out += s[i++];
      continue;
    }
    const QString ref = s.mid(i, semi - i + 1);
    QString ch;
    if (const int code = lookup ? lookup(ref) : 0; code > 0)
      ch = code == 0xA0 ? QStringLiteral(" ") : CharOfCode(code);
    else
      ch = NumericReference(ref);
    if (ch.isEmpty()) {
      out += s[i++];
      continue;
    }
    out += ch;
    i = semi + 1;
  }
  return out;
}

QString CollapseBlanks(const QString &s) {
  QString out;
  out.reserve(s.size());
  for (const QChar c : s)
    if (c != u' ' || out.isEmpty() || out.back() != u' ')
      out += c;
  return out;
}

void ChopTrailingBlanks(QString &s) {
  while (!s.isEmpty() && s.back() == u' ')
    s.chop(1);
}
} // namespace

QStringList RemoveTags(const QString &text, const TRemoveTagsOptions &options, const TEntityLookup &lookup,
                       bool markup) {
  QString s = text;
  if (markup) {
    // Line breaks of a page are white space.
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    s = StripMarkup(s, options);
  } else {
    s.replace(QStringLiteral("\r\n"), QString(Cr));
    s.replace(u'\n', Cr);
  }
  s.replace(u'\t', u' ');
  if (markup)
    s = DecodeReferences(s, lookup);
  s = TrimBlanks(CollapseBlanks(s));
  if (s.isEmpty())
    return {};

  const int length = std::clamp(options.LineLength, TRemoveTagsOptions::MinLineLength,
                                TRemoveTagsOptions::MaxLineLength);
  QStringList lines;
  for (const QStringView paragraph : QStringView(s).split(Cr)) {
    const QString p = TrimBlanks(paragraph);
    if (!options.Wrap || p.isEmpty()) {
      lines << p;
      continue;
    }
    QString line;
    for (const QStringView word : QStringView(p).split(u' ', Qt::SkipEmptyParts)) {
      if (!line.isEmpty() && line.size() + word.size() >= length) {
        ChopTrailingBlanks(line);
        lines << line;
        line.clear();
      }
      line += word;
      line += u' ';
    }
    ChopTrailingBlanks(line);
    lines << line;
  }
  return lines;
}
