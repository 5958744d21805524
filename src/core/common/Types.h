#pragma once
// Types shared by every layer: file types, text encodings, document states and text positions.
#include <QString>
#include <array>

enum TFileTypes { ftHtml, ftCss, ftJs, ftPhp, ftVbs, ftPerl, ftText, ftNone };
constexpr int FileTypeCount = 7; // ftNone has no settings

struct TFileType {
  const char *Section;
  const char *Desc; // English source text, translated where shown
  const char *Types;
  const char *FileFilter;
  const char *DefExt;
};

extern const std::array<TFileType, FileTypeCount> FileTypeInfo;

enum TSynEncoding { seUTF8, seUTF16LE, seUTF16BE, seAnsi };
constexpr int EncodingCount = 4;
extern const std::array<const char *, EncodingCount> EncodingNames;
extern const std::array<const char *, EncodingCount> CharsetNames;

enum TTextStatus { tsNew, tsOld, tsChange, tsReadOnly, tsClose };

// A text position: Char counts UTF-16 code units from 1, Line counts from 1.
struct TBufferCoord {
  int Char = 1;
  int Line = 1;
  bool operator==(const TBufferCoord &) const = default;
  bool operator<(const TBufferCoord &o) const { return Line < o.Line || (Line == o.Line && Char < o.Char); }
};

enum TTagType { ttNone, ttHRef, ttImg };
struct TTagMark {
  TTagType TagType = ttNone;
  TBufferCoord TagStart;
  TBufferCoord TagEnd;
};

// Types that are spell-checked and carry a text language.
inline bool IsSpellType(TFileTypes ft) { return ft == ftHtml || ft == ftText; }
