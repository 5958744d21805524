#pragma once
// Settings and project files: INI text kept as UTF-16LE with byte-order mark and CR LF breaks.
//
// All handles opened on the same file name share one in-memory store, so the writers that run
// at close (main window, history lists, dialogs) add to one picture of the file and none of them
// drops another's sections. The file is written by UpdateFile(), which replaces it atomically and
// reports failure; a write handle that is released while its store has unsaved changes and no
// other handle holds it writes the file as well, logging a failure instead of throwing.
#include <QFileDevice>
#include <QString>
#include <QStringList>
#include <memory>

class TIniStore;

class TUnicodeIniFile {
public:
  static std::unique_ptr<TUnicodeIniFile> CreateForRead(const QString &fileName);
  static std::unique_ptr<TUnicodeIniFile> CreateForWrite(const QString &fileName, bool clearEntries = false);
  ~TUnicodeIniFile();
  TUnicodeIniFile(const TUnicodeIniFile &) = delete;
  TUnicodeIniFile &operator=(const TUnicodeIniFile &) = delete;

  QString FileName() const;
  bool IsWritable() const { return FWritable; }
  // True when the file existed and was read (false for a missing or unreadable file).
  bool Loaded() const;
  // Why a file that existed could not be read, or was read only in part, else empty. A file whose
  // text cannot be read at all is moved aside as "<name>.damaged" (or ".damaged1", ...: an
  // earlier one is never replaced) and the store starts empty; a file read in part (a UTF-16 text
  // with an odd number of bytes, say) is read and a copy of it kept under such a name. When the
  // file cannot be opened or read, or cannot be moved or copied aside, the store never writes over
  // it (UpdateFile fails with the reason).
  QString LoadError() const;
  // A file this store creates gets these permissions (an existing file keeps its own).
  void SetNewFilePermissions(QFileDevice::Permissions permissions);

  QString ReadString(const QString &section, const QString &ident, const QString &def = {}) const;
  int ReadInteger(const QString &section, const QString &ident, int def = 0) const;
  qint64 ReadInt64(const QString &section, const QString &ident, qint64 def = 0) const;
  bool ReadBool(const QString &section, const QString &ident, bool def = false) const;
  void WriteString(const QString &section, const QString &ident, const QString &value);
  void WriteInteger(const QString &section, const QString &ident, int value);
  void WriteInt64(const QString &section, const QString &ident, qint64 value);
  void WriteBool(const QString &section, const QString &ident, bool value);
  void WriteProgramInfo(const QString &ident, const QString &value);

  bool SectionExists(const QString &section) const;
  bool ValueExists(const QString &section, const QString &ident) const;
  void EraseSection(const QString &section);
  void EraseSectionValues(const QString &section);
  void DeleteKey(const QString &section, const QString &ident);
  QStringList ReadSections() const;
  QStringList ReadSection(const QString &section) const; // key names in file order

  // Writes the store to disk now (temporary file + rename). False on failure, see LastError().
  bool UpdateFile();
  QString LastError() const { return FLastError; }

  // The text form of the store (as it would be written, without byte-order mark).
  QString ToText() const;

private:
  TUnicodeIniFile(std::shared_ptr<TIniStore> store, bool writable);
  std::shared_ptr<TIniStore> FStore;
  bool FWritable;
  QString FLastError;
};

// Numbered-key lists of the settings file (prefix + index).
// Reading skips empty values and duplicates (ignoring case) and can turn "#" back into '"'.
QStringList ReadIniList(const TUnicodeIniFile &ini, const QString &section, int maxCount,
                        const QString &prefix = QStringLiteral("History"), bool hashToQuote = false,
                        bool twoDigits = false);
void WriteIniList(TUnicodeIniFile &ini, const QString &section, const QStringList &list, int maxCount,
                  bool erase, const QString &prefix = QStringLiteral("History"), bool quoteToHash = false,
                  bool twoDigits = false);
