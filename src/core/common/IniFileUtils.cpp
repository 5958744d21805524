#include "core/common/IniFileUtils.h"
#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QDebug>
#include <QRegularExpression>
#include <vector>

namespace {
struct TIniLine {
  QString Key;   // empty for a line without '=' (comment or stray text), kept as it stands
  QString Value; // the whole line when Key is empty
  bool IsPair = true;
};
struct TIniSection {
  QString Name;
  std::vector<TIniLine> Lines;
  int Find(const QString &key) const {
    for (size_t i = 0; i < Lines.size(); ++i)
      if (Lines[i].IsPair && Lines[i].Key.compare(key, Qt::CaseInsensitive) == 0)
        return int(i);
    return -1;
  }
};
} // namespace

class TIniStore {
public:
  QString FileName;
  std::vector<TIniSection> Sections;
  std::vector<QString> Preamble; // lines before the first section
  bool Loaded = false;
  bool Dirty = false;
  QString LoadError;
  int Writers = 0;

  TIniSection *Find(const QString &name) {
    for (auto &s : Sections)
      if (s.Name.compare(name, Qt::CaseInsensitive) == 0)
        return &s;
    return nullptr;
  }
  const TIniSection *Find(const QString &name) const { return const_cast<TIniStore *>(this)->Find(name); }
  TIniSection &Get(const QString &name) {
    if (auto *s = Find(name))
      return *s;
    Sections.push_back(TIniSection{name, {}});
    return Sections.back();
  }

  void Load() {
    QFile f(FileName);
    if (!f.exists())
      return;
    if (!f.open(QIODevice::ReadOnly)) {
      LoadError = f.errorString();
      return;
    }
    const QByteArray data = f.readAll();
    Loaded = true;
    QString text;
    QString err;
    if (data.startsWith("\xFF\xFE"))
      DecodeText(data, seUTF16LE, true, text, err);
    else if (data.startsWith("\xFE\xFF"))
      DecodeText(data, seUTF16BE, true, text, err);
    else {
      // A hand-edited file may have been saved as UTF-8 or as 8-bit text.
      const TDetectedEncoding d = DetectEncoding(data);
      if (!DecodeText(data, d.Encoding, d.Bom, text, err))
        text = DecodeAnsi(data);
    }
    Parse(text);
  }

  void Parse(const QString &text) {
    TIniSection *cur = nullptr;
    const auto lines = QStringView(text).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
      QStringView line = lines[i];
      if (line.endsWith(u'\r'))
        line.chop(1);
      if (i == lines.size() - 1 && line.isEmpty())
        break;
      const QStringView t = line.trimmed();
      if (t.startsWith(u'[') && t.endsWith(u']')) {
        cur = &Get(t.mid(1, t.size() - 2).trimmed().toString());
        continue;
      }
      if (t.isEmpty())
        continue;
      if (!cur) {
        Preamble.push_back(line.toString());
        continue;
      }
      const qsizetype eq = line.indexOf(u'=');
      if (eq < 0 || t.startsWith(u';')) {
        cur->Lines.push_back(TIniLine{{}, line.toString(), false});
        continue;
      }
      const QString key = line.left(eq).trimmed().toString();
      const QString value = line.mid(eq + 1).toString();
      const int at = cur->Find(key);
      if (at >= 0)
        cur->Lines[at].Value = value; // the last occurrence wins
      else
        cur->Lines.push_back(TIniLine{key, value, true});
    }
  }

  QString Text() const {
    const QLatin1String crlf("\r\n");
    QString out;
    for (const auto &p : Preamble)
      out += p + crlf;
    for (const auto &s : Sections) {
      out += u'[' + s.Name + u']' + crlf;
      for (const auto &l : s.Lines)
        out += (l.IsPair ? l.Key + u'=' + l.Value : l.Value) + crlf;
      out += crlf;
    }
    return out;
  }
};

namespace {
QMutex StoresLock;
QHash<QString, std::weak_ptr<TIniStore>> &Stores() {
  static QHash<QString, std::weak_ptr<TIniStore>> s;
  return s;
}
QString StoreKey(const QString &fileName) { return QFileInfo(fileName).absoluteFilePath(); }

std::shared_ptr<TIniStore> OpenStore(const QString &fileName, bool shareOnly) {
  QMutexLocker lock(&StoresLock);
  const QString key = StoreKey(fileName);
  if (auto s = Stores().value(key).lock())
    return s;
  auto s = std::make_shared<TIniStore>();
  s->FileName = key;
  s->Load();
  if (!shareOnly)
    Stores().insert(key, s);
  return s;
}
} // namespace

TUnicodeIniFile::TUnicodeIniFile(std::shared_ptr<TIniStore> store, bool writable)
    : FStore(std::move(store)), FWritable(writable) {
  if (FWritable)
    ++FStore->Writers;
}

std::unique_ptr<TUnicodeIniFile> TUnicodeIniFile::CreateForRead(const QString &fileName) {
  // A reader sees what writers still hold in memory; without writers it reads the file afresh.
  return std::unique_ptr<TUnicodeIniFile>(new TUnicodeIniFile(OpenStore(fileName, true), false));
}

std::unique_ptr<TUnicodeIniFile> TUnicodeIniFile::CreateForWrite(const QString &fileName, bool clearEntries) {
  auto ini = std::unique_ptr<TUnicodeIniFile>(new TUnicodeIniFile(OpenStore(fileName, false), true));
  if (clearEntries) {
    ini->FStore->Sections.clear();
    ini->FStore->Preamble.clear();
    ini->FStore->Dirty = true;
  }
  if (!ini->ValueExists(QStringLiteral("Unicode"), QStringLiteral("Encoding")))
    ini->WriteString(QStringLiteral("Unicode"), QStringLiteral("Encoding"), QStringLiteral("UTF-16LE"));
  return ini;
}

TUnicodeIniFile::~TUnicodeIniFile() {
  if (!FWritable)
    return;
  QMutexLocker lock(&StoresLock);
  if (--FStore->Writers == 0 && FStore->Dirty) {
    lock.unlock();
    if (!UpdateFile())
      qWarning().noquote() << FLastError;
  }
}

QString TUnicodeIniFile::FileName() const { return FStore->FileName; }
bool TUnicodeIniFile::Loaded() const { return FStore->Loaded; }
QString TUnicodeIniFile::LoadError() const { return FStore->LoadError; }

QString TUnicodeIniFile::ReadString(const QString &section, const QString &ident, const QString &def) const {
  const TIniSection *s = FStore->Find(section);
  if (!s)
    return def;
  const int i = s->Find(ident);
  return i < 0 ? def : s->Lines[i].Value;
}

qint64 TUnicodeIniFile::ReadInt64(const QString &section, const QString &ident, qint64 def) const {
  const QString v = ReadString(section, ident).trimmed();
  if (v.isEmpty())
    return def;
  bool ok = false;
  qint64 r;
  if (v.size() > 2 && v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
    r = v.mid(2).toLongLong(&ok, 16);
  else if (v.size() > 1 && v.startsWith(u'$'))
    r = v.mid(1).toLongLong(&ok, 16);
  else
    r = v.toLongLong(&ok, 10);
  return ok ? r : def;
}

int TUnicodeIniFile::ReadInteger(const QString &section, const QString &ident, int def) const {
  const qint64 v = ReadInt64(section, ident, def);
  // Hexadecimal colours such as $FFFFFFFF are 32-bit patterns.
  if (v > INT_MAX && v <= qint64(UINT_MAX))
    return int(quint32(v));
  return (v < INT_MIN || v > INT_MAX) ? def : int(v);
}

bool TUnicodeIniFile::ReadBool(const QString &section, const QString &ident, bool def) const {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TUnicodeIniFile::WriteString(const QString &section, const QString &ident, const QString &value) {
  Q_ASSERT(FWritable);
  if (!FWritable)
    return;
  // A value cannot hold a line break in an INI file; keep the part before it.
  QString v = value;
  const qsizetype br = v.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
  if (br >= 0)
    v.truncate(br);
  TIniSection &s = FStore->Get(section);
  const int i = s.Find(ident);
  if (i >= 0) {
    if (s.Lines[i].Value == v)
      return;
    s.Lines[i].Value = v;
  } else
    s.Lines.push_back(TIniLine{ident, v, true});
  FStore->Dirty = true;
}

void TUnicodeIniFile::WriteInteger(const QString &section, const QString &ident, int value) {
  WriteString(section, ident, QString::number(value));
}
void TUnicodeIniFile::WriteInt64(const QString &section, const QString &ident, qint64 value) {
  WriteString(section, ident, QString::number(value));
}
void TUnicodeIniFile::WriteBool(const QString &section, const QString &ident, bool value) {
  WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}
void TUnicodeIniFile::WriteProgramInfo(const QString &ident, const QString &value) {
  WriteString(QStringLiteral("Unicode"), ident, value);
}

bool TUnicodeIniFile::SectionExists(const QString &section) const { return FStore->Find(section) != nullptr; }
bool TUnicodeIniFile::ValueExists(const QString &section, const QString &ident) const {
  const TIniSection *s = FStore->Find(section);
  return s && s->Find(ident) >= 0;
}

void TUnicodeIniFile::EraseSection(const QString &section) {
  auto &v = FStore->Sections;
  for (auto it = v.begin(); it != v.end(); ++it)
    if (it->Name.compare(section, Qt::CaseInsensitive) == 0) {
      v.erase(it);
      FStore->Dirty = true;
      return;
    }
}

void TUnicodeIniFile::EraseSectionValues(const QString &section) {
  if (TIniSection *s = FStore->Find(section); s && !s->Lines.empty()) {
    s->Lines.clear();
    FStore->Dirty = true;
  }
}

void TUnicodeIniFile::DeleteKey(const QString &section, const QString &ident) {
  if (TIniSection *s = FStore->Find(section)) {
    const int i = s->Find(ident);
    if (i >= 0) {
      s->Lines.erase(s->Lines.begin() + i);
      FStore->Dirty = true;
    }
  }
}

QStringList TUnicodeIniFile::ReadSections() const {
  QStringList r;
  for (const auto &s : FStore->Sections)
    r << s.Name;
  return r;
}

QStringList TUnicodeIniFile::ReadSection(const QString &section) const {
  QStringList r;
  if (const TIniSection *s = FStore->Find(section))
    for (const auto &l : s->Lines)
      if (l.IsPair)
        r << l.Key;
  return r;
}

QString TUnicodeIniFile::ToText() const { return FStore->Text(); }

bool TUnicodeIniFile::UpdateFile() {
  FLastError.clear();
  QString err;
  if (!WriteFileAtomically(FStore->FileName, EncodeText(FStore->Text(), seUTF16LE, true), &err)) {
    FLastError = _("Error writing file \"%1\": %2").arg(FStore->FileName, err);
    return false;
  }
  FStore->Dirty = false;
  FStore->Loaded = true;
  return true;
}

QStringList ReadIniList(const TUnicodeIniFile &ini, const QString &section, int maxCount, const QString &prefix,
                        bool hashToQuote, bool twoDigits) {
  QStringList r;
  for (int i = 0; i < maxCount; ++i) {
    const QString key = prefix + (twoDigits ? QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')) : QString::number(i));
    QString v = ini.ReadString(section, key);
    if (v.isEmpty())
      continue;
    if (hashToQuote)
      v.replace(u'#', u'"');
    if (!r.contains(v, Qt::CaseInsensitive))
      r << v;
  }
  return r;
}

void WriteIniList(TUnicodeIniFile &ini, const QString &section, const QStringList &list, int maxCount, bool erase,
                  const QString &prefix, bool quoteToHash, bool twoDigits) {
  if (erase)
    ini.EraseSection(section);
  for (int i = 0; i < list.size() && i < maxCount; ++i) {
    const QString key = prefix + (twoDigits ? QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')) : QString::number(i));
    QString v = list[i];
    if (quoteToHash)
      v.replace(u'"', u'#');
    ini.WriteString(section, key, v);
  }
}
