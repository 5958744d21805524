#pragma once
// The table of character entities: groups of entries read from the entity file of the interface
// language, shown by the entity dialog and used by the conversions between characters and
// entities. The conversion group (the one marked "##" in the file) alone decides what the
// conversions change, so a table without one changes nothing.
#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <array>

// One entry: the character code, the description shown in the dialog and the entity text
// exactly as it is inserted ("&auml;").
struct THtmlChar {
  int Value = 0;
  QString Desc;
  QString Name;
};

struct THtmlCharGroup {
  QString FGroupName;
  QList<THtmlChar> FChars; // in file order
  int FCount() const { return int(FChars.size()); }
};

// True for a code that stands for a character: 0..0x10FFFF without the surrogate range.
bool IsValidCharCode(qint64 code);
// The character of a valid code (two UTF-16 units above U+FFFF); empty for an invalid one.
QString CharOfCode(qint64 code);

class TEntityTable {
public:
  // Reads the language file when it exists in directory (its name compared without regard to
  // case, so "html-codes-DE.txt" finds html-codes-de.txt), otherwise the default file. Returns
  // the name of the file read; empty when neither exists (the table is then empty).
  QString LoadCharList(const QString &directory, const QString &defaultName, const QString &languageName);
  // Replaces the table by the entries of an entity file's text.
  void LoadFromText(const QString &text);
  void Clear();

  bool IsEmpty() const { return FGroups.isEmpty(); }
  const QList<THtmlCharGroup> &Groups() const { return FGroups; }
  // Name of the conversion group; empty when the file marks none.
  const QString &IsoName() const { return FIsoName; }
  // Entries whose code is not a character were left out while loading.
  int Rejected() const { return FRejected; }

  // The entity of the conversion group's first entry with that code; empty when none.
  QString GetHtmlName(int value) const;
  // The code of the conversion group's first entry named exactly name; 0 when none.
  int GetIsoChar(QStringView name) const;
  // The code of name in any group; 0 when absent.
  int GetUnicodeChar(const QString &name) const;

  // Every entity of the conversion group in text replaced by its character.
  QString EntitiesToChars(const QString &text) const;
  // Every character from U+00A0 to U+00FF that the conversion group names replaced by its entity.
  QString CharsToEntities(const QString &text) const;

private:
  void Index();
  QList<THtmlCharGroup> FGroups;
  QString FIsoName;
  bool FHasIso = false;
  int FRejected = 0;
  QMap<QString, int> FCharList;    // entity text -> code, all groups (first entry wins)
  QHash<QString, int> FIsoByName;  // the conversion group, entity text -> code
  QHash<int, QString> FIsoByValue; // the conversion group, code -> first entity text
  std::array<QString, 96> FLatin1; // the conversion group, U+00A0..U+00FF -> entity text
};

// The program's one table. With a source set it is read from there when first asked for (the
// file is only needed by a few commands, so start-up does not wait for it).
TEntityTable &HtmlEntities();
void SetHtmlEntitySource(const QString &directory, const QString &defaultName, const QString &languageName);
