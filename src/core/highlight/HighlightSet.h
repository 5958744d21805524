#pragma once
// The colours and styles of one file type's syntax highlighting: a list of named attributes, each
// with a foreground, a background (NoColor: the editor's background) and style bits (bold 1,
// italic 2, underline 4, strike-out 8). The names are the section names of the type's .hlt file.
#include "core/common/Types.h"
#include "core/dialogs/Colors.h"

#include <QString>
#include <QStringList>
#include <vector>

class TUnicodeIniFile;

struct THighlightAttr {
  QString Name;
  quint32 Foreground = 0;
  quint32 Background = NoColor;
  int Style = 0;
  bool operator==(const THighlightAttr &) const = default;
};

enum THighlightStyleBit { hsBold = 1, hsItalic = 2, hsUnderline = 4, hsStrikeOut = 8 };

class THighlightSet {
public:
  THighlightSet() = default;
  // The built-in attributes of the type, in their file order; empty for plain text.
  static THighlightSet BuiltIn(TFileTypes type);

  TFileTypes Type() const { return FType; }
  bool IsEmpty() const { return FAttrs.empty(); }
  const std::vector<THighlightAttr> &Attributes() const { return FAttrs; }
  const THighlightAttr *Find(const QString &name) const;
  THighlightAttr *Find(const QString &name);

  // Sections of the file override the built-in values key by key; attributes or keys the file
  // lacks, and values out of range, keep what they had. Unknown sections are ignored.
  void LoadFromIni(const TUnicodeIniFile &ini);
  // Every attribute, with the keys Background, Foreground and Style.
  void SaveToIni(TUnicodeIniFile &ini) const;

  bool operator==(const THighlightSet &) const = default;

private:
  TFileTypes FType = ftNone;
  std::vector<THighlightAttr> FAttrs;
};

bool HasHighlighter(TFileTypes type);

// The .hlt file of a type beside the settings file: "<settings name without extension>-<Section>.hlt".
QString HighlightFileName(const QString &iniName, TFileTypes type);
// The type's highlighting as the user left it: the per-user file when it exists, else the file of
// the same name pattern in the program folder (named after the program), else the built-in
// colours. Damaged files are moved aside by the INI class and count as missing.
THighlightSet LoadHighlightSet(TFileTypes type, const QString &iniName, const QString &programDir,
                               const QString &programBaseName);
// Writes the per-user file; false with the reason in *error when it could not be written.
bool SaveHighlightSet(const THighlightSet &set, const QString &iniName, QString *error = nullptr);

// One entry of the settings dialog's attribute list: its caption (English source text) and the
// attribute it edits. Two captions may edit the same attribute.
struct THighlightEntry {
  const char *Caption;
  const char *Attribute;
};
const std::vector<THighlightEntry> &HighlightEntries(TFileTypes type);
// The dialog's caption for the type (English source text).
const char *HighlightDialogCaption(TFileTypes type);
// The sample the dialog shows for an entry: the text inside its parentheses, or the whole text.
QString HighlightSampleText(const QString &entryCaption);
// The extension field as it is stored: trimmed and lower-cased (inner blanks kept).
QString NormaliseTypeList(const QString &text);
