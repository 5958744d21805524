#include "core/app/FileSearch.h"
#include "core/app/Utf8Lines.h"
#include "core/common/Translate.h"
#include "core/editor/TextFile.h"
#include "core/editor/TextSearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {
// How much text is searched between two looks at the cancel flag.
constexpr qsizetype CancelStride = qsizetype(4) << 20;

void CollectFolder(const QString &dir, bool recurse, const TFileTypeFilter &filter,
                   const std::atomic<bool> *cancel, QStringList &out) {
  if (cancel && cancel->load(std::memory_order_relaxed))
    return;
  QStringList subDirs, files;
  QDirIterator it(dir, QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
  while (it.hasNext()) {
    it.next();
    const QFileInfo fi = it.fileInfo();
    if (fi.isDir()) {
      if (recurse && !fi.isSymLink())
        subDirs << fi.fileName();
    } else if (!fi.fileName().startsWith(u'~') && filter.Matches(fi.fileName())) {
      files << fi.fileName();
    }
  }
  std::sort(subDirs.begin(), subDirs.end());
  std::sort(files.begin(), files.end());
  const QString base = dir.endsWith(u'/') ? dir : dir + u'/';
  for (const QString &d : subDirs)
    CollectFolder(base + d, recurse, filter, cancel, out);
  for (const QString &f : files)
    out << base + f;
}

qsizetype LineEnd(QStringView s, qsizetype from) {
  for (qsizetype i = from; i < s.size(); ++i)
    if (s[i] == u'\r' || s[i] == u'\n')
      return i;
  return s.size();
}

// The end of the line (its CR or LF) after positions that only grow, each part of the text read
// once however many hits a line has.
class TLineEnds {
public:
  explicit TLineEnds(QStringView s) : S(s) {}
  qsizetype From(qsizetype x) {
    if (x < FFrom || x > FEnd) {
      FFrom = x;
      FEnd = LineEnd(S, x);
    }
    return FEnd;
  }

private:
  QStringView S;
  qsizetype FFrom = -1, FEnd = -1;
};

// The shown text of a line made of a + b (the new text so far and the rest of the old line) for a
// hit at matchPos: the whole line, or a window of a long one.
QString LineWindow(QStringView a, QStringView b, qsizetype matchPos, qsizetype matchLen, int &firstColumn) {
  const qsizetype total = a.size() + b.size();
  qsizetype ws = 0, we = total;
  if (total > LongLine) {
    ws = std::max<qsizetype>(0, matchPos - LineContext);
    we = std::min(total, matchPos + matchLen + LineContext);
  }
  firstColumn = int(ws) + 1;
  QString r;
  r.reserve(we - ws);
  if (ws < a.size())
    r += a.mid(ws, std::min(we, a.size()) - ws);
  if (we > a.size()) {
    const qsizetype bs = std::max(ws, a.size()) - a.size();
    r += b.mid(bs, we - a.size() - bs);
  }
  return r;
}

int FirstNonBlankOf(QStringView a, QStringView b) {
  const int c = FirstNonBlankColumn(a.utf16(), 0, a.size());
  if (c > 0)
    return c;
  const int d = FirstNonBlankColumn(b.utf16(), 0, b.size());
  return d > 0 ? int(a.size()) + d : 0;
}

// A match that lies in s at [start, start + len) of the line a + b; trk has been moved to start.
TFileMatch MakeMatch(QStringView s, const TLineTracker &trk, qsizetype start, qsizetype len, QStringView a,
                     QStringView b) {
  TFileMatch m;
  m.Line = trk.Line;
  m.Column = int(start - trk.LineStart) + 1;
  m.Length = int(len);
  m.LineText = LineWindow(a, b, m.Column - 1, len, m.LineTextColumn);
  TLineTracker end = trk;
  end.AdvanceTo(s.utf16(), start + len);
  m.Pos.BBegin = {m.Column, m.Line};
  m.Pos.BEnd = {int(start + len - end.LineStart) + 1, end.Line};
  m.Pos.FSpaces = FirstNonBlankOf(a, b);
  return m;
}

bool Cancelled(const std::atomic<bool> &cancel) {
  return cancel.load(std::memory_order_relaxed);
}

// FindText over the text in slices, so that a long file without matches still sees the cancel flag.
TSearchMatch FindInSlices(const QString &text, const QString &needle, qsizetype from, TSynSearchOptions opts,
                          const std::atomic<bool> &cancel, bool &stopped) {
  while (from <= text.size() - needle.size()) {
    if (Cancelled(cancel)) {
      stopped = true;
      return {};
    }
    const qsizetype sliceEnd = std::min<qsizetype>(text.size(), from + CancelStride);
    const qsizetype rangeEnd = std::min<qsizetype>(text.size(), sliceEnd + needle.size() - 1);
    const TSearchMatch m = FindText(text, needle, from, opts, 0, rangeEnd);
    if (m.Found())
      return m;
    if (rangeEnd >= text.size())
      break;
    from = sliceEnd;
  }
  return {};
}

// --- The fast way for the common case: a case-sensitive search without replacing works on the
// file's UTF-8 bytes, and only a matching line is turned into a QString.

char32_t DecodeUtf8(const uchar *p, qsizetype len) {
  if (len == 1)
    return p[0];
  char32_t cp = p[0] & (0x7F >> len);
  for (qsizetype i = 1; i < len; ++i)
    cp = (cp << 6) | (p[i] & 0x3F);
  return cp;
}

// Characters outside the BMP count as no word characters, as for the search in a document, which
// sees them as surrogates.
bool IsWordCodePoint(char32_t cp) {
  return cp <= 0xFFFF && IsWordChar(QChar(char16_t(cp)));
}

bool WholeWordAtUtf8(const uchar *p, qsizetype n, qsizetype start, qsizetype len) {
  if (start > 0) {
    qsizetype s = start - 1;
    while (s > 0 && (p[s] & 0xC0) == 0x80 && start - s < 4)
      --s;
    if (IsWordCodePoint(DecodeUtf8(p + s, start - s)))
      return false;
  }
  const qsizetype e = start + len;
  if (e < n) {
    const uchar b = p[e];
    const qsizetype l = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    if (IsWordCodePoint(DecodeUtf8(p + e, std::min(l, n - e))))
      return false;
  }
  return true;
}

bool SearchUtf8(const QByteArray &utf8, const TFileSearchOptions &o, const std::atomic<bool> &cancel,
                TFileResult &result) {
  const QByteArray needle = o.Find.toUtf8();
  const char *p = utf8.constData();
  const auto *up = reinterpret_cast<const uchar *>(p);
  const qsizetype n = utf8.size(), nl = needle.size();
  TUtf8LineTracker trk(p, n);
  TUtf8HitLines hits(p);
  qsizetype from = 0, lineStart = -1, lineEnd = 0;
  int firstNonBlank = 0;
  while (from + nl <= n) {
    if (Cancelled(cancel))
      return false;
    // One slice at a time, so the cancel flag is seen within large files.
    const qsizetype sliceEnd = std::min(n, from + CancelStride + nl - 1);
    const void *hit = memmem(p + from, sliceEnd - from, needle.constData(), nl);
    if (!hit) {
      if (sliceEnd >= n)
        break;
      from = sliceEnd - nl + 1;
      continue;
    }
    const qsizetype at = static_cast<const char *>(hit) - p;
    if (o.WholeWord && !WholeWordAtUtf8(up, n, at, nl)) {
      from = at + 1;
      continue;
    }
    trk.AdvanceTo(at);
    if (trk.LineStart() != lineStart) {
      lineStart = trk.LineStart();
      lineEnd = trk.LineEnd(at);
      firstNonBlank = FirstNonBlankColumn(p, lineStart, lineEnd);
    }
    TFileMatch m;
    m.Line = trk.Line();
    m.Column = hits.ColumnOf(lineStart, at);
    m.Length = int(o.Find.size());
    m.LineText = hits.Text(lineStart, lineEnd, at, nl, m.Column, m.LineTextColumn);
    m.Pos.BBegin = {m.Column, m.Line};
    m.Pos.BEnd = {m.Column + m.Length, m.Line};
    m.Pos.FSpaces = firstNonBlank;
    result.Matches << m;
    from = at + nl;
  }
  return true;
}

// A search without replacing reads files on several threads (reading and decoding dominate, and
// they scale with the cores); the results are still handed on in the order of the list. Helpers
// run at most MaxLead files ahead of the delivery, and the results wait in a ring of that many
// cells, so memory stays bounded whatever the number of files.
void SearchInParallel(const QStringList &files, const TFileSearchOptions &o, const TFileSearchCallbacks &cb,
                      const std::atomic<bool> &cancel, TFileSearchSummary &summary, int helpers,
                      const std::function<void(TFileResult &)> &deliver) {
  constexpr int MaxLead = 256;
  struct TCell {
    TFileResult Result;
    TFileSearchSummary Counts;
    bool Done = false;
  };
  const int n = int(files.size());
  std::vector<TCell> cells(std::min(n, MaxLead));
  auto cellOf = [&](int i) -> TCell & { return cells[size_t(i % MaxLead)]; };
  std::mutex mutex;
  std::condition_variable changed;
  int next = 0, delivered = 0;
  bool stop = false;
  auto work = [&] {
    while (true) {
      int i;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stop || next >= n || next - delivered < MaxLead; });
        if (stop || next >= n)
          return;
        i = next++;
      }
      TCell &cell = cellOf(i);
      const bool finished = SearchOneFile(files[i], o, {}, cancel, cell.Result, cell.Counts);
      {
        std::lock_guard lock(mutex);
        cell.Done = true;
        if (!finished)
          stop = true;
      }
      changed.notify_all();
    }
  };
  std::vector<std::thread> pool;
  for (int t = 0; t < helpers; ++t)
    pool.emplace_back(work);
  for (int i = 0; i < n; ++i) {
    {
      std::unique_lock lock(mutex);
      // The flag is polled: whoever sets it does not know about this wait.
      while (!cellOf(i).Done && !stop && !Cancelled(cancel))
        changed.wait_for(lock, std::chrono::milliseconds(50));
      if (!cellOf(i).Done) {
        stop = true;
        break;
      }
    }
    TCell &cell = cellOf(i);
    if (cb.Progress)
      cb.Progress(i, n, files[i]);
    summary.FilesSearched += cell.Counts.FilesSearched;
    summary.BinaryFiles += cell.Counts.BinaryFiles;
    summary.Problems += cell.Counts.Problems;
    deliver(cell.Result);
    {
      std::lock_guard lock(mutex);
      cell = TCell{}; // free for file i + MaxLead
      delivered = i + 1;
    }
    changed.notify_all();
  }
  {
    std::lock_guard lock(mutex);
    stop = true;
  }
  changed.notify_all();
  for (std::thread &t : pool)
    t.join();
}

bool HasUtf16Mark(const QByteArray &d) {
  return d.startsWith("\xFF\xFE") || d.startsWith("\xFE\xFF");
}
} // namespace

QStringList ListFolderFiles(const QString &folder, bool recurse, const TFileTypeFilter &filter,
                            const std::atomic<bool> *cancel) {
  QStringList out;
  if (QFileInfo(folder).isDir())
    CollectFolder(QDir::cleanPath(folder), recurse, filter, cancel, out);
  return out;
}

bool SearchOneFile(const QString &fileName, const TFileSearchOptions &o, const TFileSearchCallbacks &cb,
                   const std::atomic<bool> &cancel, TFileResult &result, TFileSearchSummary &summary) {
  result = {};
  result.FileName = fileName;
  auto problem = [&](const QString &message) { summary.Problems.append({fileName, message}); };
  if (o.Find.isEmpty())
    return true;
  const TFileStamp stamp = FileStamp(fileName);
  if (!stamp.IsValid())
    return true; // gone since the list was made
  if (stamp.Size > MaxSearchFileSize) {
    problem(_("The file is too large to be searched."));
    return true;
  }
  TLoadedBytes b = LoadTextFileUtf8(fileName);
  if (!b.Error.isEmpty()) {
    QFile f(fileName);
    const QByteArray head = f.open(QIODevice::ReadOnly) ? f.read(MaxSearchFileSize) : QByteArray();
    if (head.contains('\0') && !HasUtf16Mark(head))
      summary.BinaryFiles << fileName;
    else
      problem(b.Error);
    return true;
  }
  ++summary.FilesSearched;
  const bool hasBreak = o.Find.contains(u'\r') || o.Find.contains(u'\n');
  if (!o.DoReplace && o.MatchCase && !hasBreak)
    return SearchUtf8(b.Utf8, o, cancel, result);

  const QString text = QString::fromUtf8(b.Utf8);
  b.Utf8 = QByteArray(); // the text is held once
  const TSynSearchOptions opts = (o.MatchCase ? ssoMatchCase : 0) | (o.WholeWord ? ssoWholeWord : 0);
  const QStringView tv(text);
  TLineEnds lineEnds(tv);
  TLineTracker trk;
  QString out; // the new text, with DoReplace
  qsizetype copied = 0, from = 0;
  TFileReplaceAnswer answer = frNo;
  while (true) {
    bool stopped = false;
    const TSearchMatch m = FindInSlices(text, o.Find, from, opts, cancel, stopped);
    if (stopped)
      return false;
    if (!m.Found())
      break;
    const qsizetype mEnd = m.Start + m.Length;
    from = mEnd;
    if (!o.DoReplace) {
      trk.AdvanceTo(text.utf16(), m.Start);
      result.Matches << MakeMatch(tv, trk, m.Start, m.Length,
                                  tv.mid(trk.LineStart, lineEnds.From(m.Start) - trk.LineStart), {});
      continue;
    }
    // Everything up to the match stays as it is, whatever the answer.
    out += tv.mid(copied, m.Start - copied);
    copied = m.Start;
    trk.AdvanceTo(out.utf16(), out.size());
    if (o.Confirm && answer != frAllInFile) {
      TReplaceQuestion q;
      q.FileName = fileName;
      q.Line = trk.Line;
      const QStringView before = QStringView(out).mid(trk.LineStart);
      int firstColumn = 1;
      q.LineText = LineWindow(before, tv.mid(m.Start, lineEnds.From(m.Start) - m.Start), before.size(),
                              m.Length, firstColumn);
      q.Find = o.Find;
      q.Replace = o.Replace;
      answer = cb.Decide ? cb.Decide(q) : frYes;
      if (answer == frCancel || Cancelled(cancel))
        return false;
      if (answer == frNo)
        continue;
    }
    const qsizetype start = out.size();
    out += o.Replace;
    copied = mEnd;
    const QStringView now(out);
    const qsizetype breakInRepl = LineEnd(now, start);
    if (breakInRepl < out.size())
      result.Matches << MakeMatch(now, trk, start, o.Replace.size(),
                                  now.mid(trk.LineStart, breakInRepl - trk.LineStart), {});
    else
      result.Matches << MakeMatch(now, trk, start, o.Replace.size(), now.mid(trk.LineStart),
                                  tv.mid(mEnd, lineEnds.From(mEnd) - mEnd));
  }
  if (!o.DoReplace || result.Matches.isEmpty())
    return true;

  out += tv.mid(copied);
  auto leaveUnchanged = [&](const QString &why) {
    problem(why);
    result.Matches.clear();
    return true;
  };
  if (b.LoneSurrogates > 0)
    return leaveUnchanged(
        _("The file holds UTF-16 code units that are no characters; it was left unchanged."));
  if (FileStamp(fileName) != stamp)
    return leaveUnchanged(
        _("The file was changed by another program during the search; it was left unchanged."));
  QString error;
  qsizetype firstBad = -1;
  if (!SaveUtf8TextFile(fileName, out.toUtf8(), b.Encoding, b.Bom, &error, &firstBad)) {
    if (firstBad >= 0)
      return leaveUnchanged(
          FormatS(_("The new text holds characters that the file's encoding (%s) cannot hold; the file was "
                    "left unchanged."),
                  {QString::fromLatin1(EncodingNames[b.Encoding])}));
    return leaveUnchanged(error);
  }
  result.Rewritten = true;
  summary.Rewritten << fileName;
  return true;
}

TFileSearchSummary RunFileSearch(const TFileSearchJob &job, const TFileSearchCallbacks &cb,
                                 const std::atomic<bool> &cancel) {
  TFileSearchSummary summary;
  if (job.Options.Find.isEmpty())
    return summary;
  const TFileTypeFilter filter(job.Types);
  QStringList files;
  QSet<QString> seen;
  auto add = [&](const QString &f) {
    const QString clean = QDir::cleanPath(f);
    if (!seen.contains(clean)) {
      seen.insert(clean);
      files << f;
    }
  };
  for (const QString &f : job.Files)
    if (filter.Matches(f))
      add(f);
  if (!job.Folder.isEmpty()) {
    if (!QFileInfo(job.Folder).isDir())
      summary.Problems.append({job.Folder, FormatS(_("Directory:\r\n%s\r\nnot found!"), {job.Folder})});
    else
      for (const QString &f : ListFolderFiles(job.Folder, job.SubFolders, filter, &cancel))
        add(f);
  }
  summary.FilesToSearch = int(files.size());
  auto deliver = [&](TFileResult &r) {
    if (r.Matches.isEmpty())
      return;
    ++summary.FilesWithMatches;
    summary.Matches += r.Matches.size();
    if (cb.FileDone)
      cb.FileDone(r);
  };
  const int helpers = std::min(2, int(std::thread::hardware_concurrency()));
  if (!job.Options.DoReplace && helpers > 1 && files.size() > 1) {
    SearchInParallel(files, job.Options, cb, cancel, summary, helpers, deliver);
  } else {
    for (int i = 0; i < files.size(); ++i) {
      if (Cancelled(cancel))
        break;
      if (cb.Progress)
        cb.Progress(i, int(files.size()), files[i]);
      TFileResult r;
      if (!SearchOneFile(files[i], job.Options, cb, cancel, r, summary)) {
        summary.Cancelled = true;
        break;
      }
      deliver(r);
    }
  }
  if (Cancelled(cancel))
    summary.Cancelled = true;
  return summary;
}

QString SearchTypesFor(TSearchScope scope, const QString &activeExtension, const QString &projectTypes,
                       bool hasProjects) {
  if (scope == ssOpenFiles && !activeExtension.isEmpty())
    return activeExtension;
  if (scope == ssProjectFiles && hasProjects)
    return projectTypes;
  return QStringLiteral("htm*");
}

TSearchScopeState UpdateSearchOptions(TSearchScope current, bool namedDocuments, bool hasProjects,
                                      const QString &activeExtension, const QString &projectTypes) {
  TSearchScopeState s;
  s.OpenFilesEnabled = namedDocuments;
  s.ProjectEnabled = hasProjects;
  s.Scope = current;
  if (s.ProjectEnabled && !s.OpenFilesEnabled && current != ssFolder)
    s.Scope = ssProjectFiles;
  if (current == ssProjectFiles && !s.ProjectEnabled && s.OpenFilesEnabled)
    s.Scope = ssOpenFiles; // never leave a scope chosen that cannot be chosen
  if (!s.OpenFilesEnabled && !s.ProjectEnabled)
    s.Scope = ssFolder;
  s.Types = SearchTypesFor(s.Scope, activeExtension, projectTypes, hasProjects);
  s.SubFoldersEnabled = s.Scope == ssFolder;
  return s;
}

QString ResultLineText(const TFileMatch &m) {
  QString line = m.LineText;
  const qsizetype start = std::clamp<qsizetype>(m.Column - m.LineTextColumn, 0, line.size());
  const qsizetype end = start + m.Length;
  if (end <= line.size()) {
    line.insert(end, u'|');
    line.insert(start, u'|');
  } else {
    line.insert(start, u'|'); // the match runs on into the next line: only its start is marked
  }
  return QString::number(m.Line) + QLatin1String(": ") + line.trimmed();
}

QString SearchStatusText(const TFileSearchSummary &s) {
  if (s.Cancelled)
    return _("Searching was cancelled!");
  if (s.FilesWithMatches == 0)
    return _("Found no matches");
  return FormatS(_("%u matches found in\r\n%u file(s)!"),
                 {QString::number(s.Matches), QString::number(s.FilesWithMatches)});
}
