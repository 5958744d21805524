#include "core/app/LinkCheck.h"
#include "core/app/Anchors.h"
#include "core/app/Utf8Lines.h"
#include "core/common/FileNames.h"
#include "core/common/Translate.h"
#include "core/editor/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QUrl>

#include <algorithm>
#include <cstring>

namespace {
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

bool EqualsNoCase(const char *p, qsizetype n, const char *lower) {
  const qsizetype len = qsizetype(std::strlen(lower));
  if (n != len)
    return false;
  for (qsizetype i = 0; i < n; ++i)
    if (Lower(p[i]) != lower[i])
      return false;
  return true;
}

// Index of the next "</" + name (without regard to case) at or after from, or n.
qsizetype FindEndTag(const char *p, qsizetype n, qsizetype from, const char *name) {
  const qsizetype len = qsizetype(std::strlen(name));
  while (from < n) {
    const void *lt = std::memchr(p + from, '<', n - from);
    if (!lt)
      return n;
    const qsizetype i = static_cast<const char *>(lt) - p;
    if (i + 2 + len <= n && p[i + 1] == '/' && EqualsNoCase(p + i + 2, len, name))
      return i;
    from = i + 1;
  }
  return n;
}

// The value decoded the way a browser reads an attribute: character references of "&".
QString DecodeEntities(const QString &v) {
  if (!v.contains(u'&'))
    return v;
  QString out;
  for (qsizetype i = 0; i < v.size(); ++i) {
    if (v[i] == u'&') {
      const qsizetype semi = v.indexOf(u';', i + 1);
      if (semi > i + 1 && semi - i <= 10) {
        const QStringView ent = QStringView(v).mid(i + 1, semi - i - 1);
        char32_t cp = 0;
        bool ok = false;
        if (ent == u"amp")
          cp = '&', ok = true;
        else if (ent == u"quot")
          cp = '"', ok = true;
        else if (ent == u"apos")
          cp = '\'', ok = true;
        else if (ent == u"lt")
          cp = '<', ok = true;
        else if (ent == u"gt")
          cp = '>', ok = true;
        else if (ent.startsWith(u'#')) {
          const bool hex = ent.size() > 1 && (ent[1] == u'x' || ent[1] == u'X');
          cp = char32_t(ent.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10));
          ok = ok && cp > 0 && cp <= 0x10FFFF;
        }
        if (ok) {
          out += QString::fromUcs4(&cp, 1);
          i = semi;
          continue;
        }
      }
    }
    out += v[i];
  }
  return out;
}

// "http:", "mailto:", "javascript:" ...: a scheme before any "/", "?" or "#".
bool HasScheme(const QString &v) {
  if (v.isEmpty() || !v[0].isLetter() || v[0].unicode() > 127)
    return false;
  for (qsizetype i = 1; i < v.size(); ++i) {
    const QChar c = v[i];
    if (c == u':')
      return true;
    if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'+' && c != u'-' && c != u'.')
      return false;
  }
  return false;
}

bool IsPageName(const QString &path) {
  const qsizetype slash = path.lastIndexOf(u'/');
  const qsizetype dot = path.lastIndexOf(u'.');
  return dot > slash && QStringView(path).mid(dot + 1).startsWith(QLatin1String("htm"), Qt::CaseInsensitive);
}

// Builds the entries of broken links of one page, from its UTF-8 text, front to back.
class TLinkLocator {
public:
  TLinkLocator(const QString &fileName, QByteArrayView utf8)
      : FFileName(fileName), P(utf8.data()), FLines(utf8.data(), utf8.size()), FHits(utf8.data()) {}
  TBrokenLink At(qsizetype start, qsizetype len, TLinkFault fault) {
    FLines.AdvanceTo(start);
    const qsizetype lineStart = FLines.LineStart(), lineEnd = FLines.LineEnd(start);
    TBrokenLink l;
    l.FileName = FFileName;
    l.Link = QString::fromUtf8(P + start, len);
    l.Fault = fault;
    l.Match.Line = FLines.Line();
    l.Match.Column = FHits.ColumnOf(lineStart, start);
    l.Match.Length = int(Utf16Length(P + start, len));
    l.Match.LineText = FHits.Text(lineStart, lineEnd, start, len, l.Match.Column, l.Match.LineTextColumn);
    l.Match.Pos.BBegin = {l.Match.Column, l.Match.Line};
    l.Match.Pos.BEnd = {l.Match.Column + l.Match.Length, l.Match.Line};
    l.Match.Pos.FSpaces = FirstNonBlankColumn(P, lineStart, lineEnd);
    return l;
  }

private:
  QString FFileName;
  const char *P;
  TUtf8LineTracker FLines;
  TUtf8HitLines FHits;
};

// A link to a "#name" of a page not read yet, or a broken link whose entry is built at the end.
struct TLinkRef {
  int FileIndex;
  qsizetype Offset;
  qsizetype Length;
  QByteArray Fragment;
};

class TLinkChecker {
public:
  TLinkChecker(const TLinkCheckJob &job, const QStringList &files, const std::atomic<bool> &cancel)
      : FJob(job), FFiles(files), FCancel(cancel) {
    FRoot = QDir::cleanPath(job.Root.isEmpty() ? job.Folder : job.Root);
  }

  void CheckFile(int index, TLinkCheckSummary &summary);
  void Finish(TLinkCheckSummary &summary);

private:
  bool Exists(const QString &path);
  bool ExistsConverted(const QString &path);
  QString Convert(const QString &name) const {
    return FJob.CaseMode == tcLower ? name.toLower() : FJob.CaseMode == tcUpper ? name.toUpper() : name;
  }
  const QSet<QByteArray> *NamesOf(const QString &page);
  void Resolve(const QList<TLinkRef> &refs, const QSet<QByteArray> &names) {
    for (const TLinkRef &r : refs)
      if (!names.contains(r.Fragment))
        FLate.append(r);
  }

  const TLinkCheckJob &FJob;
  const QStringList &FFiles;
  const std::atomic<bool> &FCancel;
  QString FRoot;
  QHash<QString, bool> FExists;
  QHash<QString, QHash<QString, QString>> FListings; // folder -> converted name -> name
  QHash<QString, QSet<QByteArray>> FNames;           // pages read so far
  QHash<QString, QList<TLinkRef>> FWaiting;          // page not read yet -> links to its names
  QList<TLinkRef> FLate;                             // broken, found after their page was read
  struct TFound {
    int FileIndex;
    qsizetype Offset;
    TBrokenLink Link;
  };
  QList<TFound> FBroken;
};

bool TLinkChecker::Exists(const QString &path) {
  if (FJob.CaseMode != tcNone && !FRoot.isEmpty() && IsInFolder(path, FRoot))
    return ExistsConverted(path);
  auto it = FExists.constFind(path);
  if (it != FExists.constEnd())
    return *it;
  const bool e = QFileInfo::exists(path);
  FExists.insert(path, e);
  return e;
}

// The server holds every name below the root converted; a link names a file there only when it
// spells the converted name.
bool TLinkChecker::ExistsConverted(const QString &path) {
  const QString rel = QDir(FRoot).relativeFilePath(path);
  QString dir = FRoot;
  for (const QString &part : rel.split(u'/', Qt::SkipEmptyParts)) {
    auto it = FListings.find(dir);
    if (it == FListings.end()) {
      QHash<QString, QString> names;
      for (const QString &n :
           QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        names.insert(Convert(n), n);
      it = FListings.insert(dir, names);
    }
    const auto hit = it->constFind(part);
    if (hit == it->constEnd())
      return false;
    dir += u'/' + *hit;
  }
  return true;
}

const QSet<QByteArray> *TLinkChecker::NamesOf(const QString &page) {
  auto it = FNames.constFind(page);
  if (it != FNames.constEnd())
    return &*it;
  const TLoadedBytes b = LoadTextFileUtf8(page);
  if (!b.Error.isEmpty())
    return nullptr;
  return &*FNames.insert(page, ScanPageLinks(b.Utf8).Names);
}

void TLinkChecker::CheckFile(int index, TLinkCheckSummary &summary) {
  const QString &fileName = FFiles[index];
  const TLoadedBytes b = LoadTextFileUtf8(fileName);
  if (!b.Error.isEmpty()) {
    if (QFileInfo::exists(fileName))
      summary.Problems.append({fileName, b.Error});
    return;
  }
  ++summary.FilesChecked;
  const QString self = QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
  TPageLinks page = ScanPageLinks(b.Utf8);
  const QString folder = QFileInfo(self).path();
  const char *p = b.Utf8.constData();
  TLinkLocator locate(fileName, b.Utf8);
  auto report = [&](qsizetype start, qsizetype len, TLinkFault fault) {
    FBroken.append({index, start, locate.At(start, len, fault)});
  };
  for (const auto &[start, len] : page.Links) {
    ++summary.LinksChecked;
    const QString v = DecodeEntities(QString::fromUtf8(p + start, len)).trimmed();
    if (v.isEmpty() || HasScheme(v) || v.startsWith(QLatin1String("//")) || v.contains(QLatin1String("<?")) ||
        v.contains(QLatin1String("<%")) || v.contains(QLatin1String("{{")) || v.contains(QLatin1String("${")))
      continue;
    const qsizetype hash = v.indexOf(u'#');
    QString path = hash < 0 ? v : v.left(hash);
    const QByteArray fragment =
        hash < 0 ? QByteArray() : QUrl::fromPercentEncoding(v.mid(hash + 1).toUtf8()).toUtf8();
    const qsizetype query = path.indexOf(u'?');
    if (query >= 0)
      path.truncate(query);
    path = QUrl::fromPercentEncoding(path.toUtf8());
    QString target;
    if (path.isEmpty()) {
      target = self;
    } else {
      if (page.HasBase)
        continue; // relative to a base address we do not follow
      if (path.startsWith(u'/') && FRoot.isEmpty())
        continue; // relative to a site root that nobody named
      target = QDir::cleanPath(path.startsWith(u'/') ? FRoot + path : folder + u'/' + path);
      if (!Exists(target)) {
        report(start, len, lfMissingFile);
        continue;
      }
    }
    // "#top" goes to the top of any page; an empty fragment goes nowhere.
    if (fragment.isEmpty() || fragment.compare("top", Qt::CaseInsensitive) == 0 || !IsPageName(target))
      continue;
    if (target == self) {
      if (!page.Names.contains(fragment))
        report(start, len, lfMissingAnchor);
    } else if (const auto it = FNames.constFind(target); it != FNames.constEnd()) {
      if (!it->contains(fragment))
        report(start, len, lfMissingAnchor);
    } else {
      FWaiting[target].append({index, start, len, fragment}); // the target may still come
    }
  }
  if (const auto w = FWaiting.constFind(self); w != FWaiting.constEnd()) {
    Resolve(*w, page.Names);
    FWaiting.erase(w);
  }
  FNames.insert(self, std::move(page.Names));
}

void TLinkChecker::Finish(TLinkCheckSummary &summary) {
  // Targets that are no page of the run (another folder, another type) are read now.
  for (auto it = FWaiting.cbegin(); it != FWaiting.cend() && !FCancel.load(); ++it)
    if (const QSet<QByteArray> *names = NamesOf(it.key()))
      Resolve(*it, *names);
  FWaiting.clear();
  // Entries of the links found broken after their page was read, one reading per page.
  std::stable_sort(FLate.begin(), FLate.end(), [](const TLinkRef &a, const TLinkRef &b) {
    return a.FileIndex != b.FileIndex ? a.FileIndex < b.FileIndex : a.Offset < b.Offset;
  });
  for (qsizetype i = 0; i < FLate.size();) {
    const int file = FLate[i].FileIndex;
    const TLoadedBytes b = LoadTextFileUtf8(FFiles[file]);
    TLinkLocator locate(FFiles[file], b.Utf8);
    for (; i < FLate.size() && FLate[i].FileIndex == file; ++i)
      if (b.Error.isEmpty() && FLate[i].Offset + FLate[i].Length <= b.Utf8.size())
        FBroken.append({file, FLate[i].Offset, locate.At(FLate[i].Offset, FLate[i].Length, lfMissingAnchor)});
  }
  std::stable_sort(FBroken.begin(), FBroken.end(), [](const TFound &a, const TFound &b) {
    return a.FileIndex != b.FileIndex ? a.FileIndex < b.FileIndex : a.Offset < b.Offset;
  });
  for (const TFound &f : FBroken)
    summary.Broken << f.Link;
}
} // namespace

TPageLinks ScanPageLinks(QByteArrayView utf8) {
  TPageLinks r;
  const char *p = utf8.data();
  const qsizetype n = utf8.size();
  qsizetype pos = 0;
  while (pos < n) {
    const void *hit = std::memchr(p + pos, '<', n - pos);
    if (!hit)
      break;
    const qsizetype lt = static_cast<const char *>(hit) - p;
    if (lt + 3 < n && p[lt + 1] == '!' && p[lt + 2] == '-' && p[lt + 3] == '-') {
      const void *end = memmem(p + lt + 4, n - lt - 4, "-->", 3);
      if (!end)
        break;
      pos = static_cast<const char *>(end) - p + 3;
      continue;
    }
    if (lt + 1 >= n || !IsAsciiLetter(p[lt + 1])) {
      pos = lt + 1;
      continue;
    }
    qsizetype k = lt + 1;
    while (k < n && !IsSpace(p[k]) && p[k] != '>' && p[k] != '/' && p[k] != '<')
      ++k;
    const char *tag = p + lt + 1;
    const qsizetype tagLen = k - lt - 1;
    const bool isA = tagLen == 1 && Lower(tag[0]) == 'a';
    bool closed = false, broken = false;
    while (k < n) {
      while (k < n && (IsSpace(p[k]) || p[k] == '/'))
        ++k;
      if (k >= n)
        break;
      if (p[k] == '>') {
        closed = true;
        ++k;
        break;
      }
      if (p[k] == '<')
        break; // a tag left open: the next one starts here
      const qsizetype as = k;
      while (k < n && !IsSpace(p[k]) && p[k] != '=' && p[k] != '>' && p[k] != '<' && p[k] != '/')
        ++k;
      if (k == as) {
        ++k; // a stray "=" or quote
        continue;
      }
      const char *attr = p + as;
      const qsizetype attrLen = k - as;
      while (k < n && IsSpace(p[k]))
        ++k;
      if (k >= n || p[k] != '=')
        continue;
      ++k;
      while (k < n && IsSpace(p[k]))
        ++k;
      if (k >= n)
        break;
      qsizetype vs, vl;
      if (p[k] == '"' || p[k] == '\'') {
        const void *q = std::memchr(p + k + 1, p[k], n - k - 1);
        if (!q) {
          broken = true; // the value never ends: nothing after it can be read as markup
          break;
        }
        vs = k + 1;
        vl = static_cast<const char *>(q) - p - vs;
        k = vs + vl + 1;
      } else {
        vs = k;
        while (k < n && !IsSpace(p[k]) && p[k] != '>')
          ++k;
        vl = k - vs;
      }
      if (EqualsNoCase(attr, attrLen, "href") || EqualsNoCase(attr, attrLen, "src")) {
        if (tagLen == 4 && EqualsNoCase(tag, 4, "base"))
          r.HasBase = true;
        else
          r.Links.append({vs, vl});
      } else if (EqualsNoCase(attr, attrLen, "id") || (isA && EqualsNoCase(attr, attrLen, "name"))) {
        r.Names.insert(QByteArray(p + vs, vl).trimmed());
      }
    }
    if (broken)
      break;
    pos = k;
    if (closed && (EqualsNoCase(tag, tagLen, "script") || EqualsNoCase(tag, tagLen, "style")))
      pos = FindEndTag(p, n, pos, tagLen == 6 ? "script" : "style");
  }
  // The anchors of the anchor list count too, wherever they stand.
  ForEachAnchorNameUtf8(utf8, [&](QByteArrayView name) { r.Names.insert(name.toByteArray()); });
  return r;
}

TLinkCheckSummary CheckLinks(const TLinkCheckJob &job,
                             const std::function<void(int, int, const QString &)> &progress,
                             const std::atomic<bool> &cancel) {
  TLinkCheckSummary summary;
  const TFileTypeFilter filter(job.Types);
  QStringList files;
  for (const QString &f : job.Files)
    if (filter.Matches(f))
      files << f;
  if (!job.Folder.isEmpty()) {
    if (!QFileInfo(job.Folder).isDir())
      summary.Problems.append({job.Folder, FormatS(_("Directory:\r\n%s\r\nnot found!"), {job.Folder})});
    else
      files += ListFolderFiles(job.Folder, job.SubFolders, filter, &cancel);
  }
  TLinkChecker checker(job, files, cancel);
  for (int i = 0; i < files.size(); ++i) {
    if (cancel.load()) {
      summary.Cancelled = true;
      return summary;
    }
    if (progress)
      progress(i, int(files.size()), files[i]);
    checker.CheckFile(i, summary);
  }
  checker.Finish(summary);
  summary.Cancelled = cancel.load();
  return summary;
}
