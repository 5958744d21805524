#include "core/editor/Entities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

bool IsValidCharCode(qint64 code) {
  return code >= 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
}

QString CharOfCode(qint64 code) {
  if (!IsValidCharCode(code))
    return {};
  const char32_t c = char32_t(code);
  return QString::fromUcs4(&c, 1);
}

namespace {
struct TEntitySource {
  QString Directory, DefaultName, LanguageName;
  bool Pending = false;
};
TEntitySource &EntitySource() {
  static TEntitySource source;
  return source;
}
} // namespace

TEntityTable &HtmlEntities() {
  static TEntityTable table;
  TEntitySource &source = EntitySource();
  if (source.Pending) {
    source.Pending = false;
    table.LoadCharList(source.Directory, source.DefaultName, source.LanguageName);
  }
  return table;
}

void SetHtmlEntitySource(const QString &directory, const QString &defaultName, const QString &languageName) {
  EntitySource() = {directory, defaultName, languageName, true};
}

void TEntityTable::Clear() {
  FGroups.clear();
  FIsoName.clear();
  FHasIso = false;
  FRejected = 0;
  Index();
}

QString TEntityTable::LoadCharList(const QString &directory, const QString &defaultName,
                                   const QString &languageName) {
  Clear();
  const QDir dir(directory);
  QString file;
  if (!languageName.isEmpty()) {
    // Language codes come in any case ("DE", "de"); the files are named in lower case.
    const QStringList names = dir.entryList(QDir::Files);
    for (const QString &n : names)
      if (n.compare(languageName, Qt::CaseInsensitive) == 0) {
        file = dir.filePath(n);
        break;
      }
  }
  if (file.isEmpty() && QFileInfo(dir.filePath(defaultName)).isFile())
    file = dir.filePath(defaultName);
  if (file.isEmpty())
    return {};
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly))
    return {};
  const QByteArray bytes = f.readAll();
  // The files are UTF-8; a file saved in Latin-1 by an older editor still reads correctly.
  QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString text = dec.decode(bytes);
  if (dec.hasError())
    text = QString::fromLatin1(bytes);
  if (text.startsWith(QChar(0xFEFF)))
    text.remove(0, 1);
  LoadFromText(text);
  return file;
}

void TEntityTable::LoadFromText(const QString &text) {
  Clear();
  qsizetype group = -1;
  QString groupName;
  // A group named again later gathers there too; the names are looked up, not searched.
  QHash<QString, qsizetype> groupIndex;
  for (QStringView raw : QStringView(text).split(u'\n')) {
    const QString line = raw.trimmed().toString();
    if (line.size() <= 1)
      continue;
    if (line.startsWith(u'#')) {
      const bool iso = line.startsWith(QLatin1String("##"));
      groupName = line.mid(iso ? 2 : 1);
      if (iso) {
        FIsoName = groupName;
        FHasIso = true;
      }
      group = groupIndex.value(groupName, -1);
      continue;
    }
    THtmlChar c;
    const qsizetype p1 = line.indexOf(u'|');
    if (p1 < 0) {
      c.Desc = line;
    } else {
      c.Desc = line.left(p1);
      const qsizetype p2 = line.indexOf(u'|', p1 + 1);
      c.Name = line.mid(p1 + 1, p2 < 0 ? -1 : p2 - p1 - 1);
      bool ok = false;
      const qint64 code = p2 < 0 ? 0 : line.mid(p2 + 1).trimmed().toLongLong(&ok);
      if (ok && !IsValidCharCode(code)) {
        // A code that is no character would put garbage (or half a surrogate pair) into pages.
        ++FRejected;
        continue;
      }
      c.Value = ok ? int(code) : 0;
    }
    if (group < 0) {
      // The group enters the list with its first entry; entries before any group line gather
      // in a group without a name.
      FGroups.append(THtmlCharGroup{groupName, {}});
      group = FGroups.size() - 1;
      groupIndex.insert(groupName, group);
    }
    FGroups[group].FChars.append(c);
  }
  Index();
}

void TEntityTable::Index() {
  FCharList.clear();
  FIsoByName.clear();
  FIsoByValue.clear();
  FLatin1.fill(QString());
  for (const THtmlCharGroup &g : std::as_const(FGroups)) {
    const bool iso = FHasIso && g.FGroupName == FIsoName;
    for (const THtmlChar &c : g.FChars) {
      if (!c.Name.isEmpty() && !FCharList.contains(c.Name))
        FCharList.insert(c.Name, c.Value);
      if (!iso || c.Name.isEmpty())
        continue;
      if (!FIsoByName.contains(c.Name))
        FIsoByName.insert(c.Name, c.Value);
      if (!FIsoByValue.contains(c.Value))
        FIsoByValue.insert(c.Value, c.Name);
      if (c.Value >= 0xA0 && c.Value <= 0xFF && FLatin1[c.Value - 0xA0].isEmpty())
        FLatin1[c.Value - 0xA0] = c.Name;
    }
  }
}

QString TEntityTable::GetHtmlName(int value) const {
  if (value >= 0xA0 && value <= 0xFF)
    return FLatin1[value - 0xA0];
  return FIsoByValue.value(value);
}

int TEntityTable::GetIsoChar(QStringView name) const {
  return FIsoByName.value(name.toString(), 0);
}

int TEntityTable::GetUnicodeChar(const QString &name) const {
  return FCharList.value(name, 0);
}

QString TEntityTable::EntitiesToChars(const QString &text) const {
  if (FIsoByName.isEmpty() || !text.contains(u'&'))
    return text;
  QString out;
  out.reserve(text.size());
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar ch = text[i];
    if (ch == u'&') {
      // ";" within the next nine characters closes a candidate.
      const qsizetype limit = std::min(n, i + 10);
      qsizetype semi = -1;
      for (qsizetype j = i + 1; j < limit; ++j)
        if (text[j] == u';') {
          semi = j;
          break;
        }
      if (semi > 0) {
        const auto it = FIsoByName.constFind(text.mid(i, semi - i + 1));
        if (it != FIsoByName.constEnd() && it.value() != 0) {
          out += CharOfCode(it.value());
          i = semi + 1;
          continue;
        }
      }
    }
    out += ch;
    ++i;
  }
  return out;
}

QString TEntityTable::CharsToEntities(const QString &text) const {
  QString out;
  bool any = false;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const char16_t u = text[i].unicode();
    if (u >= 0xA0 && u <= 0xFF && !FLatin1[u - 0xA0].isEmpty()) {
      if (!any) {
        out.reserve(n + n / 8 + 16);
        out.append(QStringView(text).left(i));
        any = true;
      }
      out += FLatin1[u - 0xA0];
    } else if (any) {
      out += QChar(u);
    }
  }
  return any ? out : text;
}
