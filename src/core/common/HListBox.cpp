#include "core/common/HListBox.h"
#include "core/common/IniFileUtils.h"

THistoryList::THistoryList(QObject *parent, int maxLen) : QObject(parent), FMaxLen(15) { SetMaxLen(maxLen); }

void THistoryList::SetMaxLen(int n) {
  if (n < 1 || n > 100)
    return;
  FMaxLen = n;
  if (FItems.size() > n) {
    FItems.resize(n);
    FObjects.resize(n);
    emit Changed();
  }
}

int THistoryList::IndexOf(const QString &s) const {
  for (int i = 0; i < FItems.size(); ++i)
    if (FItems[i].compare(s, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

void THistoryList::AddStringObject(const QString &s, const QVariant &object) {
  if (s.isEmpty())
    return;
  const int i = IndexOf(s);
  if (i >= 0) {
    FItems.removeAt(i);
    FObjects.removeAt(i);
  }
  FItems.prepend(s);
  FObjects.prepend(object);
  if (FItems.size() > FMaxLen) {
    FItems.resize(FMaxLen);
    FObjects.resize(FMaxLen);
  }
  emit Changed();
}

void THistoryList::RemString(const QString &s) {
  const int i = IndexOf(s);
  if (i < 0)
    return;
  FItems.removeAt(i);
  FObjects.removeAt(i);
  emit Changed();
}

void THistoryList::ClearAll() {
  FItems.clear();
  FObjects.clear();
  emit Changed();
}

void THistoryList::AssignList(const QStringList &list) {
  FItems = list.mid(0, FMaxLen);
  FObjects = QList<QVariant>(FItems.size());
  emit Changed();
}

void THistoryList::LoadFromIni(const QString &iniName, const QString &section) {
  LoadFromIni(*TUnicodeIniFile::CreateForRead(iniName), section);
}

void THistoryList::LoadFromIni(const TUnicodeIniFile &ini, const QString &section) {
  FItems.clear();
  for (const QString &s : ReadIniList(ini, section, 100)) {
    if (FItems.size() >= FMaxLen)
      break;
    FItems << (s == QLatin1String("?") ? QStringLiteral(" ") : s);
  }
  FObjects = QList<QVariant>(FItems.size());
  emit Changed();
}

bool THistoryList::SaveToIni(const QString &iniName, const QString &section, bool erase) {
  auto ini = TUnicodeIniFile::CreateForWrite(iniName);
  SaveToIni(*ini, section, erase);
  return ini->UpdateFile();
}

void THistoryList::SaveToIni(TUnicodeIniFile &ini, const QString &section, bool erase) const {
  QStringList stored;
  for (const QString &s : FItems)
    stored << (s == QLatin1String(" ") ? QStringLiteral("?") : s);
  WriteIniList(ini, section, stored, int(stored.size()), erase);
}

QString THistoryList::MenuCaption(int i, const QString &entry, bool showHotKeys) {
  QString text = entry;
  if (!showHotKeys)
    text.replace(QLatin1String("&"), QLatin1String("&&"));
  return QString::number(i + 1, 16).toUpper() + u' ' + text;
}

int THistoryList::IndexOfCaption(const QString &caption) {
  QString head = caption.section(u' ', 0, 0);
  head.remove(u'&');
  bool ok = false;
  const int n = head.toInt(&ok, 16);
  return ok && n > 0 ? n - 1 : -1;
}
