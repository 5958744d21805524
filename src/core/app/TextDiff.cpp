#include "core/app/TextDiff.h"
#include "core/common/TextLines.h"

#include <QHash>
#include <algorithm>
#include <vector>

QStringList SplitTextLines(const QString &text) {
  QStringList lines;
  for (const QStringView line : TextLineViews(text))
    lines << line.toString();
  return lines;
}

namespace {
// Lines are compared as numbers (one per distinct line), so each comparison is one int compare.
class TDiffer {
public:
  TDiffer(const std::vector<int> &a, const std::vector<int> &b, const QStringList &oldLines,
          const QStringList &newLines, qint64 maxCells)
      : A(a), B(b), OldLines(oldLines), NewLines(newLines), MaxCells(maxCells) {}

  QList<TDiffLine> Out;

  // Old lines [a0, a1) against new lines [b0, b1).
  void Run(int a0, int a1, int b0, int b1) {
    if (a0 == a1) {
      Added(b0, b1);
      return;
    }
    if (b0 == b1) {
      Removed(a0, a1);
      return;
    }
    if (qint64(a1 - a0) * (b1 - b0) > MaxCells) {
      // Too big to search for common lines: the whole stretch counts as replaced.
      Removed(a0, a1);
      Added(b0, b1);
      return;
    }
    if (a1 - a0 == 1) {
      const auto it = std::find(B.begin() + b0, B.begin() + b1, A[a0]);
      if (it == B.begin() + b1) {
        Removed(a0, a1);
        Added(b0, b1);
        return;
      }
      const int j = int(it - B.begin());
      Added(b0, j);
      Out << TDiffLine{TDiffLine::dkSame, OldLines[a0]};
      Added(j + 1, b1);
      return;
    }
    // Split the old lines in half and find where the best common subsequence crosses the middle.
    const int mid = a0 + (a1 - a0) / 2;
    const int n = b1 - b0;
    Forward(a0, mid, b0, b1, Front);
    Backward(mid, a1, b0, b1, Back);
    int best = -1, k = 0;
    for (int j = 0; j <= n; ++j)
      if (Front[j] + Back[n - j] > best) {
        best = Front[j] + Back[n - j];
        k = j;
      }
    Run(a0, mid, b0, b0 + k);
    Run(mid, a1, b0 + k, b1);
  }

private:
  void Added(int b0, int b1) {
    for (int j = b0; j < b1; ++j)
      Out << TDiffLine{TDiffLine::dkAdded, NewLines[j]};
  }
  void Removed(int a0, int a1) {
    for (int i = a0; i < a1; ++i)
      Out << TDiffLine{TDiffLine::dkRemoved, OldLines[i]};
  }
  // row[j]: length of the longest common subsequence of A[a0, a1) and B[b0, b0 + j).
  void Forward(int a0, int a1, int b0, int b1, std::vector<int> &row) const {
    const int n = b1 - b0;
    row.assign(n + 1, 0);
    for (int i = a0; i < a1; ++i) {
      int diag = 0;
      for (int j = 1; j <= n; ++j) {
        const int up = row[j];
        row[j] = A[i] == B[b0 + j - 1] ? diag + 1 : std::max(up, row[j - 1]);
        diag = up;
      }
    }
  }
  // row[j]: the same for A[a0, a1) and the last j lines of B[b0, b1).
  void Backward(int a0, int a1, int b0, int b1, std::vector<int> &row) const {
    const int n = b1 - b0;
    row.assign(n + 1, 0);
    for (int i = a1 - 1; i >= a0; --i) {
      int diag = 0;
      for (int j = 1; j <= n; ++j) {
        const int up = row[j];
        row[j] = A[i] == B[b1 - j] ? diag + 1 : std::max(up, row[j - 1]);
        diag = up;
      }
    }
  }

  const std::vector<int> &A, &B;
  const QStringList &OldLines, &NewLines;
  const qint64 MaxCells;
  std::vector<int> Front, Back;
};
} // namespace

QList<TDiffLine> DiffLines(const QStringList &oldLines, const QStringList &newLines, qint64 maxCells) {
  // Common lines at both ends need no search.
  int head = 0;
  const int na = int(oldLines.size()), nb = int(newLines.size());
  while (head < na && head < nb && oldLines[head] == newLines[head])
    ++head;
  int tail = 0;
  while (tail < na - head && tail < nb - head && oldLines[na - 1 - tail] == newLines[nb - 1 - tail])
    ++tail;

  QHash<QString, int> ids;
  const auto idOf = [&ids](const QString &line) {
    const auto it = ids.constFind(line);
    if (it != ids.cend())
      return *it;
    const int id = int(ids.size());
    ids.insert(line, id);
    return id;
  };
  std::vector<int> a(na), b(nb);
  for (int i = head; i < na - tail; ++i)
    a[i] = idOf(oldLines[i]);
  for (int j = head; j < nb - tail; ++j)
    b[j] = idOf(newLines[j]);

  TDiffer d(a, b, oldLines, newLines, maxCells);
  for (int i = 0; i < head; ++i)
    d.Out << TDiffLine{TDiffLine::dkSame, oldLines[i]};
  d.Run(head, na - tail, head, nb - tail);
  for (int i = na - tail; i < na; ++i)
    d.Out << TDiffLine{TDiffLine::dkSame, oldLines[i]};
  return d.Out;
}

namespace {
QString HunkRange(int before, int count) {
  // A range of no lines names the line before it, as diff does.
  const int start = count == 0 ? before : before + 1;
  return count == 1 ? QString::number(start) : QString::number(start) + u',' + QString::number(count);
}
} // namespace

QString UnifiedDiff(const QString &oldText, const QString &newText, const QString &oldName,
                    const QString &newName, int context) {
  const QList<TDiffLine> script = DiffLines(SplitTextLines(oldText), SplitTextLines(newText));
  const int size = int(script.size());
  QStringList out;
  int i = 0;
  // Line counts of old and new text before script[i].
  int oldBefore = 0, newBefore = 0, scanned = 0;
  const auto advance = [&](int to) {
    for (; scanned < to; ++scanned) {
      if (script[scanned].Kind != TDiffLine::dkAdded)
        ++oldBefore;
      if (script[scanned].Kind != TDiffLine::dkRemoved)
        ++newBefore;
    }
  };
  while (true) {
    while (i < size && script[i].Kind == TDiffLine::dkSame)
      ++i;
    if (i == size)
      break;
    // A hunk: this change and every change that follows within twice the context.
    const int first = std::max(scanned, i - context);
    int last = i; // last changed entry of the hunk
    for (int j = i + 1; j < size && j - last <= 2 * context; ++j)
      if (script[j].Kind != TDiffLine::dkSame)
        last = j;
    const int end = std::min(size, last + 1 + context);
    advance(first);
    int oldCount = 0, newCount = 0;
    QStringList body;
    for (int j = first; j < end; ++j) {
      const TDiffLine &l = script[j];
      const QChar mark = l.Kind == TDiffLine::dkSame ? u' ' : l.Kind == TDiffLine::dkRemoved ? u'-' : u'+';
      body << mark + l.Text;
      oldCount += l.Kind != TDiffLine::dkAdded;
      newCount += l.Kind != TDiffLine::dkRemoved;
    }
    if (out.isEmpty())
      out << QStringLiteral("--- ") + oldName << QStringLiteral("+++ ") + newName;
    out << QStringLiteral("@@ -") + HunkRange(oldBefore, oldCount) + QStringLiteral(" +") +
               HunkRange(newBefore, newCount) + QStringLiteral(" @@");
    out << body;
    i = end;
  }
  return out.join(u'\n');
}
