#pragma once
// A reader for compiled gettext catalogues (MO files). The catalogues are built with the program,
// but a file on disk may still be damaged or cut short: every offset and length is checked
// against the data before use, and a catalogue that fails a check is refused as a whole.
#include <QByteArray>
#include <QString>
#include <vector>

class TMoCatalog {
public:
  // Largest catalogue accepted; ours are a few hundred kilobytes.
  static constexpr qsizetype MaxSize = 64 * 1024 * 1024;

  // Takes the catalogue's bytes (a QByteArray over resource memory costs no copy). False, and an
  // empty catalogue, when the data is not a well-formed MO file.
  bool Load(const QByteArray &data);
  // Reads a file (at most MaxSize bytes) and loads it.
  bool LoadFile(const QString &fileName);
  void Clear();

  bool IsEmpty() const { return FCount == 0; }
  int Count() const { return int(FCount); }
  // The translation of the message id (UTF-8, the English text); a null string when the catalogue
  // has none or the translation is empty. Plural forms give their first form; a context is
  // written as "context\x04id" like gettext does.
  QString Lookup(const char *msgid) const;
  QString Lookup(const QByteArray &msgid) const;
  // The reason the last Load failed.
  const QString &Error() const { return FError; }

private:
  struct TEntry {
    quint32 Length, Offset;
  };
  TEntry Entry(quint32 table, quint32 index) const;
  QByteArray Key(quint32 index) const; // the original up to its first NUL
  bool Fail(const QString &why);

  QByteArray FData;
  quint32 FCount = 0, FOriginals = 0, FTranslations = 0;
  bool FSwap = false; // written on a machine of the other byte order
  bool FUtf8 = true;  // else Latin-1, the only other charset we meet
  // Indices of the originals in byte order of their keys; empty when the file is sorted already.
  std::vector<quint32> FOrder;
  QString FError;
};
