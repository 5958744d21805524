#pragma once
// The text macros: named pieces of text in the user's order, and their file (Velmo.mac beside
// the settings file).
//
// File format: UTF-8 with a byte-order mark; per macro a header line "#" + name, then the text,
// one text line per file line, every line ended by CR LF. A text line that itself starts with "#"
// (after any run of backslashes) is written with one more leading backslash and read back without
// it, and so is a line made of backslashes only; a first text line that is empty is written as a
// single backslash, because the reader drops empty lines before the first text line of a macro
// (files of older versions rely on that).
#include <QByteArray>
#include <QList>
#include <QString>

struct TMacro {
  QString Name;
  QString Text; // line breaks are CR LF
  bool operator==(const TMacro &) const = default;
};

class TMacroList {
public:
  // A macro file is read whole; anything larger is taken for a damaged file, not for macros.
  static constexpr qint64 MaxFileSize = qint64(64) << 20;

  // Text as stored: every line break (LF, CR or CR LF) becomes CR LF.
  static QString NormalizeText(const QString &text);
  // Name as stored: line breaks become blanks, blanks around it are removed.
  static QString CleanName(const QString &name);
  // The macro file that belongs to a settings file: its name with the extension "mac".
  static QString MacroFileName(const QString &iniName);

  int Count() const { return int(FList.size()); }
  bool IsEmpty() const { return FList.isEmpty(); }
  const TMacro &At(int i) const { return FList.at(i); }
  const QList<TMacro> &Macros() const { return FList; }
  QStringList Names() const;

  // The macro a name addresses (names are compared after CleanName, without regard to case); -1.
  int IndexOf(const QString &name) const;
  // Appends a macro; -1 (nothing added) when the cleaned name is empty or already addresses a
  // macro: then the caller asks whether to replace that one's text.
  int Add(const QString &name, const QString &text);
  bool SetText(int i, const QString &text);
  // Gives the macro a new name as typed (cleaned); false for an empty name or a bad index.
  bool Rename(int i, const QString &name);
  // Removes a macro and returns the index to select afterwards: the same place, or the last
  // entry when the removed one was the last; -1 when the list is now empty.
  int Delete(int i);
  // Each returns the new index of the moved entry, or -1 when it cannot move.
  int MoveUp(int i);
  int MoveDown(int i);
  void Clear();

  // Changed since the last load or save.
  bool Modified() const { return FModified; }

  // The whole file as Save writes it.
  QByteArray FileBytes() const;
  // Decodes a macro file's contents (byte-order mark detection; without one, Windows-1252).
  // False with a message when the bytes cannot be a macro file; macros is then untouched.
  static bool ParseFile(const QByteArray &data, QList<TMacro> &macros, QString *error);

  // Replaces the list by the file's macros. A missing file gives an empty list and true. A file
  // that cannot be read or decoded gives false and a message, leaves the list empty and marks the
  // file as damaged: Save will not write over it unchanged (see Save).
  bool Load(const QString &fileName, QString *error = nullptr);
  // Writes the list through an atomic replace. When the file failed to load, it is left alone
  // while the list was not changed; otherwise it is first kept under a free name
  // ("Velmo.mac.damaged", "Velmo.mac.damaged1", ...) that is returned in keptCopy, so that the
  // macros it may still hold are never lost.
  bool Save(const QString &fileName, QString *error = nullptr, QString *keptCopy = nullptr);

private:
  QList<TMacro> FList;
  bool FModified = false;
  bool FLoadFailed = false;
};
