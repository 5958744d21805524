#pragma once
// Most-recently-used text lists: newest first, no duplicates (ignoring case), bounded length,
// stored as History0, History1, ... in one settings section. The menu mirroring lives in the
// widget layer (THistoryMenu) and follows the Changed signal.
#include <QObject>
#include <QStringList>
#include <QVariant>

class TUnicodeIniFile;

class THistoryList : public QObject {
  Q_OBJECT
public:
  explicit THistoryList(QObject *parent = nullptr, int maxLen = 15);

  int MaxLen() const { return FMaxLen; }
  void SetMaxLen(int n); // 1..100, other values ignored; lowering drops entries from the end

  const QStringList &Strings() const { return FItems; }
  int Count() const { return int(FItems.size()); }
  QString Item(int i) const { return FItems.value(i); }
  QVariant Object(int i) const { return FObjects.value(i); }
  int IndexOf(const QString &s) const; // ignoring case, -1 when absent

  void AddString(const QString &s) { AddStringObject(s, QVariant()); }
  void AddStringObject(const QString &s, const QVariant &object);
  void RemString(const QString &s);
  void ClearAll();
  void AssignList(const QStringList &list);

  void LoadFromIni(const QString &iniName, const QString &section);
  void LoadFromIni(const TUnicodeIniFile &ini, const QString &section);
  // Writes the file at once; false when it could not be written.
  bool SaveToIni(const QString &iniName, const QString &section, bool erase);
  void SaveToIni(TUnicodeIniFile &ini, const QString &section, bool erase) const;

  // Caption of the menu item for entry i: its position from 1 in hexadecimal, a blank, the entry.
  static QString MenuCaption(int i, const QString &entry, bool showHotKeys = true);
  // Entry index encoded in a caption made by MenuCaption, or -1.
  static int IndexOfCaption(const QString &caption);

signals:
  void Changed();

private:
  int FMaxLen;
  QStringList FItems;
  QList<QVariant> FObjects;
};
