#pragma once
// Line counting over texts that are read front to back, for the readers that work on a file's
// UTF-8 bytes (search in files, link check) and on QStrings. "\r\n", "\r" and "\n" each end a
// line; columns are counted in UTF-16 units, as everywhere in the editor.
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <cstring>

// A hit's line is kept whole up to this length; a longer one (a minified page is one line of
// megabytes) only as a window of LineContext characters either side of the hit, so that many hits
// on it cost no more than the line itself.
constexpr qsizetype LongLine = 2048;
constexpr qsizetype LineContext = 400;

struct TLineTracker {
  qsizetype Pos = 0;
  int Line = 1;
  qsizetype LineStart = 0;

  // Moves to `to` (never backwards) in s; s must not change before Pos.
  template <class Ch> void AdvanceTo(const Ch *s, qsizetype to) {
    for (; Pos < to; ++Pos) {
      const auto c = s[Pos];
      if (c == Ch('\r')) {
        ++Line;
        LineStart = Pos + 1;
      } else if (c == Ch('\n')) {
        if (Pos == 0 || s[Pos - 1] != Ch('\r'))
          ++Line;
        LineStart = Pos + 1;
      }
    }
  }
};

// True when every CR of the data is followed by LF: lines then end exactly at the LFs, and
// TUtf8LineTracker can count them with memchr.
inline bool OnlyLfOrCrLf(const char *p, qsizetype n) {
  const char *at = p, *end = p + n;
  while (at < end) {
    const void *cr = std::memchr(at, '\r', end - at);
    if (!cr)
      return true;
    const char *c = static_cast<const char *>(cr);
    if (c + 1 >= end || c[1] != '\n')
      return false;
    at = c + 2;
  }
  return true;
}

// TLineTracker for one UTF-8 text, fast where all its lines end in LF.
class TUtf8LineTracker {
public:
  TUtf8LineTracker(const char *p, qsizetype n) : P(p), N(n), LfLines(OnlyLfOrCrLf(p, n)) {}
  void AdvanceTo(qsizetype to) {
    if (!LfLines) {
      T.AdvanceTo(P, to);
      return;
    }
    const char *q = P + T.Pos, *stop = P + to;
    while (q < stop) {
      const void *lf = std::memchr(q, '\n', stop - q);
      if (!lf)
        break;
      ++T.Line;
      q = static_cast<const char *>(lf) + 1;
      T.LineStart = q - P;
    }
    T.Pos = std::max(T.Pos, to);
  }
  int Line() const { return T.Line; }
  qsizetype LineStart() const { return T.LineStart; }
  // End of the line that holds `at` (the index of its CR or LF, or the text's end).
  qsizetype LineEnd(qsizetype at) const {
    while (at < N && P[at] != '\n' && P[at] != '\r')
      ++at;
    return at;
  }

private:
  const char *P;
  qsizetype N;
  bool LfLines;
  TLineTracker T;
};

// UTF-16 length of n bytes of valid UTF-8.
inline qsizetype Utf16Length(const char *s, qsizetype n) {
  const auto *p = reinterpret_cast<const uchar *>(s);
  qsizetype units = 0;
  for (qsizetype i = 0; i < n; ++i) {
    const uchar b = p[i];
    if ((b & 0xC0) != 0x80)
      units += b >= 0xF0 ? 2 : 1;
  }
  return units;
}

// Column of the first character that is no blank or tab of the line [lineStart, lineEnd), from
// 1; 0 for a blank line.
template <class Ch> int FirstNonBlankColumn(const Ch *p, qsizetype lineStart, qsizetype lineEnd) {
  for (qsizetype i = lineStart; i < lineEnd; ++i)
    if (p[i] != Ch(' ') && p[i] != Ch('\t'))
      return int(i - lineStart) + 1;
  return 0;
}

// Columns and shown texts of hits in one UTF-8 text, read front to back: the column of a hit is
// counted on from the previous hit of its line, and a line is turned into a QString once for all
// its hits.
class TUtf8HitLines {
public:
  explicit TUtf8HitLines(const char *p) : P(p) {}

  // Column (from 1, UTF-16 units) of at in the line that starts at lineStart.
  int ColumnOf(qsizetype lineStart, qsizetype at) {
    if (lineStart != FColLine || at < FColAt) {
      FColLine = FColAt = lineStart;
      FUnits = 0;
    }
    FUnits += Utf16Length(P + FColAt, at - FColAt);
    FColAt = at;
    return int(FUnits) + 1;
  }

  // The text shown for the hit [at, at + len) whose column is column: the whole line, or a window
  // of a long one; firstColumn receives the column of the text's first character.
  QString Text(qsizetype lineStart, qsizetype lineEnd, qsizetype at, qsizetype len, int column,
               int &firstColumn) {
    if (lineEnd - lineStart <= LongLine) {
      if (lineStart != FTextLine) {
        FTextLine = lineStart;
        FText = QString::fromUtf8(P + lineStart, lineEnd - lineStart);
      }
      firstColumn = 1;
      return FText;
    }
    qsizetype ws = std::max(lineStart, at - LineContext), we = std::min(lineEnd, at + len + LineContext);
    while (ws > lineStart && (uchar(P[ws]) & 0xC0) == 0x80)
      --ws; // never start or end inside a character
    while (we < lineEnd && (uchar(P[we]) & 0xC0) == 0x80)
      ++we;
    firstColumn = column - int(Utf16Length(P + ws, at - ws));
    return QString::fromUtf8(P + ws, we - ws);
  }

private:
  const char *P;
  qsizetype FColLine = -1, FColAt = 0, FUnits = 0;
  qsizetype FTextLine = -1;
  QString FText;
};
