#pragma once
// Line differences between two texts, shown to the user before an autosave copy replaces a
// document's text. The comparison keeps its memory linear in the number of lines (Hirschberg's
// divide and conquer over the longest common subsequence); past a size bound it stops looking for
// common lines in the changed middle and shows that part as replaced.
#include <QList>
#include <QString>
#include <QStringList>

struct TDiffLine {
  enum TKind { dkSame, dkRemoved, dkAdded };
  TKind Kind = dkSame;
  QString Text;
  bool operator==(const TDiffLine &) const = default;
};

// Lines of a text without their breaks ("\r\n", "\n" or "\r"); a final break ends the last line
// and does not start another.
QStringList SplitTextLines(const QString &text);

// The edit script turning oldLines into newLines: every old line as kept or removed and every new
// line as kept or added, in order. maxCells bounds the work on the changed middle (lines times
// lines) after common leading and trailing lines are taken off.
QList<TDiffLine> DiffLines(const QStringList &oldLines, const QStringList &newLines,
                           qint64 maxCells = 64LL * 1024 * 1024);

// A unified difference ("--- oldName", "+++ newName", hunks "@@ -l,n +l,n @@" with `context`
// lines around each change), lines joined with "\n"; empty when the texts have the same lines.
QString UnifiedDiff(const QString &oldText, const QString &newText, const QString &oldName,
                    const QString &newName, int context = 3);
