#pragma once
// The keyboard layout: an ordered list of key assignments, each giving a command number a key
// (and, in files from elsewhere, a second key of a two-key sequence). Order matters: a key runs
// the command of the first entry that holds it, and one command may have several entries.
#include "core/keys/KeyCodes.h"

#include <QByteArray>
#include <QString>
#include <vector>

struct TSynEditKeyStroke {
  quint16 Key = 0;     // virtual-key code of the first key, 0 = none
  TShortCut Shift = 0; // its modifiers (scShift, scCtrl, scAlt)
  quint16 Key2 = 0;
  TShortCut Shift2 = 0;
  quint16 Command = 0;

  TShortCut ShortCut() const { return Key ? TShortCut((Key & 0xFF) | Shift) : 0; }
  TShortCut ShortCut2() const { return Key2 ? TShortCut((Key2 & 0xFF) | Shift2) : 0; }
  friend bool operator==(const TSynEditKeyStroke &, const TSynEditKeyStroke &) = default;
};

// Why a layout file was not taken.
enum TKeyFileError { kfOk, kfMissing, kfUnreadable, kfBadSize };

class TSynEditKeyStrokes {
public:
  int Count() const { return int(FItems.size()); }
  TSynEditKeyStroke &operator[](int i) { return FItems[size_t(i)]; }
  const TSynEditKeyStroke &operator[](int i) const { return FItems[size_t(i)]; }
  const std::vector<TSynEditKeyStroke> &Items() const { return FItems; }
  void Clear() { FItems.clear(); }

  // Index of the first entry with that command, or -1.
  int FindCommand(int command) const;
  // Index of the first entry whose first key equals the value, or -1 (0 finds the first entry
  // without key).
  int FindShortcut(TShortCut sc) const;
  // Appends an entry with all fields 0 and returns its index.
  int Add();
  // Appends an entry with a command and no key.
  int Add(int command);
  // Gives entry i the key; a non-zero key that another entry already holds (same first and
  // second key) is refused and the entry stays as it was. 0 is always taken.
  bool SetShortCut(int i, TShortCut sc);

  // The layout file: little-endian int32 N, then N records of five u16 (key, shift, key2, shift2,
  // command; shift bits 0 Shift, 1 Alt, 2 Ctrl).
  QByteArray SaveToBytes() const;
  // Replaces all entries by the file's; a file whose length is not exactly 4 + 10 * N bytes
  // (N read as a signed count, the product taken in 64 bits) is refused and the list is left as
  // it was.
  bool LoadFromBytes(const QByteArray &data);
  static bool IsValidSize(qint64 fileSize, qint32 count);
  // Reads and checks a layout file (at most the size the largest count allows).
  TKeyFileError LoadFromFile(const QString &fileName);
  // Writes the file atomically; false with the reason in error.
  bool SaveToFile(const QString &fileName, QString *error = nullptr) const;

  friend bool operator==(const TSynEditKeyStrokes &, const TSynEditKeyStrokes &) = default;

private:
  std::vector<TSynEditKeyStroke> FItems;
};
