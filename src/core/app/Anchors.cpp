#include "core/app/Anchors.h"
#include "core/app/Utf8Lines.h"
#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"
#include "core/editor/TextFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {
// The link text is read from at most this much text after the tag: an anchor without "</a>"
// would otherwise take the rest of the page (and every anchor before it the same again).
constexpr qsizetype MaxLinkTextSpan = 4096;

qsizetype FindChar(const char *p, qsizetype n, qsizetype from, char c) {
  if (from >= n)
    return -1;
  const void *hit = std::memchr(p + from, c, n - from);
  return hit ? static_cast<const char *>(hit) - p : -1;
}

qsizetype FindChar(const char16_t *p, qsizetype n, qsizetype from, char c) {
  if (from >= n)
    return -1;
  return QStringView(p, n).indexOf(QChar(char16_t(c)), from);
}

// Forward searches whose start only grows: a result is reused while it still lies ahead, and a
// failed search is never repeated, so a page full of unclosed anchors is still read in one pass.
template <class Ch> class TForwardFind {
public:
  TForwardFind(const Ch *p, qsizetype n, char c) : P(p), N(n), C(c) {}
  qsizetype From(qsizetype from) {
    if (from >= LastFrom && (LastHit < 0 || LastHit >= from) && LastFrom >= 0)
      return LastHit;
    LastFrom = from;
    LastHit = FindChar(P, N, from, C);
    return LastHit;
  }

private:
  const Ch *P;
  qsizetype N;
  char C;
  qsizetype LastFrom = -1, LastHit = -1;
};

template <class Ch> bool IsAsciiNoCase(Ch c, char lower) {
  return c == Ch(lower) || c == Ch(lower - 'a' + 'A');
}

// Calls f(nameStart, closingQuote, tagEnd) for every anchor of the text, in order.
template <class Ch, class F> void ScanAnchors(const Ch *p, qsizetype n, F &&f) {
  TForwardFind<Ch> quote(p, n, '"'), gt(p, n, '>');
  static constexpr char NameEq[] = "name=\"";
  qsizetype pos = 0;
  while (true) {
    const qsizetype lt = FindChar(p, n, pos, '<');
    if (lt < 0 || lt + 1 >= n)
      return;
    if (!IsAsciiNoCase(p[lt + 1], 'a')) {
      pos = lt + 1;
      continue;
    }
    qsizetype k = lt + 2;
    while (k < n && (p[k] == Ch(' ') || p[k] == Ch('\t')))
      ++k;
    bool isName = k + 6 <= n;
    for (int i = 0; isName && i < 6; ++i)
      isName = NameEq[i] >= 'a' ? IsAsciiNoCase(p[k + i], NameEq[i]) : p[k + i] == Ch(NameEq[i]);
    if (!isName) {
      pos = lt + 2;
      continue;
    }
    const qsizetype nameStart = k + 6;
    pos = nameStart;
    const qsizetype q = quote.From(nameStart);
    if (q < 0)
      continue;
    const qsizetype end = gt.From(q + 1);
    if (end < 0)
      continue; // the tag is never closed: no anchor
    f(nameStart, q, end);
  }
}

QString CleanLinkText(QStringView raw) {
  QString out;
  out.reserve(raw.size());
  for (qsizetype i = 0; i < raw.size(); ++i) {
    const QChar c = raw[i];
    if (c == u'<') {
      const qsizetype close = raw.indexOf(u'>', i + 1);
      if (close < 0)
        break;
      i = close;
    } else if (c == u'\r' || c == QChar(0xA0)) {
      out += u' ';
    } else if (c != u'\n') {
      out += c;
    }
  }
  return out.trimmed();
}

bool EntryLess(const TAnchorEntry &a, const TAnchorEntry &b) {
  return a.Text().compare(b.Text(), Qt::CaseInsensitive) < 0;
}
} // namespace

QString TAnchorEntry::Text() const {
  return u'|' + Name + QLatin1String("| (") + QString::number(Pos.BBegin.Line) + QLatin1String("): ") +
         LinkText;
}

void ReadAnchors(const QString &text, QList<TAnchorEntry> &list, bool sorted) {
  const auto *p = reinterpret_cast<const char16_t *>(text.utf16());
  const qsizetype n = text.size();
  TLineTracker atName, atEnd;
  qsizetype closeFrom = -1, closeAt = -1;
  ScanAnchors(p, n, [&](qsizetype nameStart, qsizetype quote, qsizetype tagEnd) {
    TAnchorEntry e;
    e.Name = text.mid(nameStart, quote - nameStart).trimmed();
    atName.AdvanceTo(p, nameStart);
    e.Pos.BBegin = {int(nameStart - atName.LineStart) + 1, atName.Line};
    atEnd.AdvanceTo(p, tagEnd - 1);
    e.Pos.BEnd = {int(tagEnd - 1 - atEnd.LineStart) + 1, atEnd.Line};
    // Only a lower-case end tag ends the link text.
    if (closeFrom < 0 || (closeAt >= 0 && closeAt < tagEnd + 1)) {
      closeFrom = tagEnd + 1;
      closeAt = text.indexOf(QLatin1String("</a>"), tagEnd + 1);
    }
    if (closeAt >= 0)
      e.LinkText =
          CleanLinkText(QStringView(text).mid(tagEnd + 1, std::min(closeAt - tagEnd - 1, MaxLinkTextSpan)));
    if (sorted)
      list.insert(std::upper_bound(list.begin(), list.end(), e, EntryLess), e);
    else
      list.append(e);
  });
}

bool ReadAnchorsFromFile(const QString &fileName, QList<TAnchorEntry> &list, bool sorted, QString *error) {
  const TLoadedText t = LoadTextFile(fileName);
  if (!t.Error.isEmpty()) {
    if (error)
      *error = t.Error;
    return false;
  }
  ReadAnchors(t.Text, list, sorted);
  return true;
}

void ForEachAnchorNameUtf8(QByteArrayView utf8, const std::function<void(QByteArrayView)> &f) {
  ScanAnchors(utf8.data(), utf8.size(), [&](qsizetype nameStart, qsizetype quote, qsizetype) {
    f(utf8.sliced(nameStart, quote - nameStart).trimmed());
  });
}

void SortAnchorsByName(QList<TAnchorEntry> &list) {
  std::stable_sort(list.begin(), list.end(), EntryLess);
}

QString AnchorFileNodeName(const QString &fileName, const QString &root) {
  if (root.isEmpty())
    return QDir::cleanPath(fileName);
  return QDir(root).relativeFilePath(fileName);
}

QList<TAnchorFile> CollectAnchors(const QStringList &files, const QString &root, bool sorted,
                                  const std::function<void(int, int)> &progress,
                                  const std::atomic<bool> *cancel, QStringList *problems) {
  QList<TAnchorFile> out;
  for (int i = 0; i < files.size(); ++i) {
    if (cancel && cancel->load())
      break;
    if (progress)
      progress(i, int(files.size()));
    if (!QFileInfo(files[i]).isFile())
      continue; // gone since the list was made
    TAnchorFile f;
    QString error;
    if (!ReadAnchorsFromFile(files[i], f.Entries, sorted, &error)) {
      if (problems)
        *problems << files[i] + QLatin1String(": ") + error;
      continue;
    }
    if (f.Entries.isEmpty())
      continue;
    f.Name = AnchorFileNodeName(files[i], root);
    out << f;
  }
  return out;
}

QString AnchorStatusText(const QList<TAnchorFile> &files) {
  qsizetype anchors = 0, withAnchors = 0;
  for (const TAnchorFile &f : files) {
    anchors += f.Entries.size();
    withAnchors += f.Entries.isEmpty() ? 0 : 1;
  }
  if (anchors == 0)
    return _("Found no anchors");
  return FormatS(_("%u anchor(s) found in %u file(s)!"),
                 {QString::number(anchors), QString::number(withAnchors)});
}

QByteArray AnchorExportBytes(const QString &projectName, const QString &root, const QList<TAnchorFile> &files,
                             qsizetype *unencodable) {
  QByteArray out;
  qsizetype bad = 0;
  auto line = [&](const QString &s) {
    const qsizetype first = FirstNonAnsiChar(s);
    if (first >= 0)
      for (qsizetype i = first; i < s.size(); ++i)
        bad += FirstNonAnsiChar(QStringView(s).mid(i, 1)) == 0 ? 1 : 0;
    const QByteArray b = EncodeAnsi(s);
    out += b;
    out += "\r\n";
    return b.size();
  };
  const qsizetype projectLen = line(QLatin1String("Project: ") + projectName);
  out += QByteArray(projectLen, '=') + "\r\n";
  line(QLatin1String("Directory: ") + root);
  out += "\r\n";
  const qsizetype anchorsLen = line(QStringLiteral("Local anchors:"));
  out += QByteArray(anchorsLen, '-') + "\r\n";
  bool first = true;
  for (const TAnchorFile &f : files) {
    if (!first)
      out += "\r\n";
    first = false;
    line(QLatin1String("  File: ") + f.Name);
    for (const TAnchorEntry &e : f.Entries)
      line(QLatin1String("    -> ") + e.Text().remove(u'|'));
  }
  if (unencodable)
    *unencodable = bad;
  return out;
}

bool WriteAnchorExport(const QString &fileName, const QString &projectName, const QString &root,
                       const QList<TAnchorFile> &files, QString *error) {
  return WriteFileAtomically(fileName, AnchorExportBytes(projectName, root, files), error);
}
