#include "core/common/IniFileUtils.h"
#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStringDecoder>
#include <algorithm>
#include <optional>
#include <vector>

namespace {
// Keys and section names compare without regard to case; the hashes hold them folded.
QString Folded(const QString &name) {
  return name.toCaseFolded();
}

struct TIniLine {
  QString Key;   // empty for a line without '=' (comment or stray text), kept as it stands
  QString Value; // the whole line when Key is empty
  bool IsPair = true;
  bool Removed = false; // deleted key: left in place so that the line numbers in Index stay valid
};

struct TIniSection {
  QString Name;
  std::vector<TIniLine> Lines;
  QHash<QString, int> Index; // folded key -> its line
  int RemovedCount = 0;

  int Find(const QString &key) const { return Index.value(Folded(key), -1); }
  void Set(const QString &key, const QString &value) {
    const QString f = Folded(key);
    const auto it = Index.constFind(f);
    if (it != Index.constEnd()) {
      Lines[it.value()].Value = value; // the last occurrence wins
      return;
    }
    Index.insert(f, int(Lines.size()));
    Lines.push_back(TIniLine{key, value, true});
  }
  void Remove(int i) {
    Index.remove(Folded(Lines[i].Key));
    Lines[i].Removed = true;
    // Deleting many keys one by one stays linear: the dead lines go in one sweep now and then.
    if (++RemovedCount > 64 && RemovedCount * 2 > int(Lines.size()))
      Compact();
  }
  void Compact() {
    std::erase_if(Lines, [](const TIniLine &l) { return l.Removed; });
    RemovedCount = 0;
    Index.clear();
    for (int i = 0; i < int(Lines.size()); ++i)
      if (Lines[i].IsPair)
        Index.insert(Folded(Lines[i].Key), i);
  }
  void Clear() {
    Lines.clear();
    Index.clear();
    RemovedCount = 0;
  }
};

// How the bytes of a settings file could be read.
enum TIniDecode { idOk, idPartly, idUnreadable };

// UTF-16 without a byte-order mark shows itself by its NUL bytes: the high bytes of ASCII
// characters, all at odd offsets (little endian) or all at even ones (big endian). 8-bit text
// has no NUL at all.
std::optional<TSynEncoding> Utf16ByNulPattern(QByteArrayView data, qsizetype &zeroEven, qsizetype &zeroOdd) {
  zeroEven = zeroOdd = 0;
  for (qsizetype i = 0; i < data.size(); ++i)
    if (data[i] == '\0')
      ++(i % 2 ? zeroOdd : zeroEven);
  const qsizetype units = data.size() / 2;
  if (zeroOdd >= std::max<qsizetype>(1, units / 4) && zeroEven * 8 <= zeroOdd)
    return seUTF16LE;
  if (zeroEven >= std::max<qsizetype>(1, units / 4) && zeroOdd * 8 <= zeroEven)
    return seUTF16BE;
  return std::nullopt;
}

TIniDecode DecodeIniBytes(const QByteArray &data, QString &text, QString &why) {
  std::optional<TSynEncoding> utf16;
  qsizetype skip = 0;
  if (data.startsWith("\xFF\xFE")) {
    utf16 = seUTF16LE;
    skip = 2;
  } else if (data.startsWith("\xFE\xFF")) {
    utf16 = seUTF16BE;
    skip = 2;
  }
  const QByteArrayView body = QByteArrayView(data).sliced(skip);
  qsizetype zeroEven = 0, zeroOdd = 0;
  const auto byPattern = Utf16ByNulPattern(body, zeroEven, zeroOdd);
  if (!utf16)
    utf16 = byPattern;
  if (!utf16) {
    if (zeroEven + zeroOdd > 0) {
      why = _("it holds NUL bytes and is no text in a known encoding");
      return idUnreadable;
    }
    // A hand-edited file may have been saved as UTF-8 or as 8-bit text.
    const bool bom = data.startsWith("\xEF\xBB\xBF");
    const QByteArrayView b = QByteArrayView(data).sliced(bom ? 3 : 0);
    text = IsValidUtf8(b) ? QString::fromUtf8(b) : DecodeAnsi(b);
    return idOk;
  }
  const bool le = *utf16 == seUTF16LE;
  // Zeros on the other side as well: a byte was inserted or lost inside, and everything after it
  // would read as other characters.
  const qsizetype right = le ? zeroOdd : zeroEven, wrong = le ? zeroEven : zeroOdd;
  if (wrong >= 8 && wrong * 8 >= right) {
    why = _("its UTF-16 text is out of step (a byte is missing or extra)");
    return idUnreadable;
  }
  TIniDecode result = idOk;
  QByteArrayView units = body;
  if (units.size() % 2) {
    units.chop(1);
    why = _("it ends in the middle of a UTF-16 character");
    result = idPartly;
  }
  QStringDecoder dec(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE, QStringDecoder::Flag::Stateless);
  text = dec.decode(units);
  if (text.contains(QChar(0))) {
    why = _("it holds NUL characters and is no text");
    return idUnreadable;
  }
  if (dec.hasError() && result == idOk) {
    why = _("it holds UTF-16 code units that are no characters");
    result = idPartly;
  }
  return result;
}

// Moves (or copies) a damaged file aside as "<name>.damaged", "<name>.damaged1", ... without ever
// replacing an earlier one. Returns the new name, empty when that failed.
QString KeepDamagedFile(const QString &fileName, const QByteArray &data, bool move) {
  for (int i = 0; i < 1000; ++i) {
    const QString target = fileName + QStringLiteral(".damaged") + (i ? QString::number(i) : QString());
    if (QFileInfo::exists(target)) {
      // Read again (every reader loads the file afresh): one copy of the same bytes is enough.
      if (!move && QFileInfo(target).size() == data.size()) {
        QFile t(target);
        if (t.open(QIODevice::ReadOnly) && t.readAll() == data)
          return target;
      }
      continue;
    }
    // Neither rename nor copy replaces an existing file.
    if (move ? QFile::rename(fileName, target) : QFile::copy(fileName, target))
      return target;
    if (QFileInfo::exists(target))
      continue; // made by someone else just now
    return {};
  }
  return {};
}
} // namespace

class TIniStore {
public:
  QString FileName;
  std::vector<std::unique_ptr<TIniSection>> Sections;
  QHash<QString, TIniSection *> SectionIndex; // folded name -> section
  std::vector<QString> Preamble;              // lines before the first section
  bool Loaded = false;
  bool Dirty = false;
  // A file that could not be read and could not be moved aside either: never written over.
  bool WriteLocked = false;
  QString LoadError;
  std::optional<QFileDevice::Permissions> NewFilePermissions;
  int Writers = 0;

  TIniSection *Find(const QString &name) const { return SectionIndex.value(Folded(name), nullptr); }
  TIniSection &Get(const QString &name) {
    if (auto *s = Find(name))
      return *s;
    Sections.push_back(std::make_unique<TIniSection>());
    TIniSection *s = Sections.back().get();
    s->Name = name;
    SectionIndex.insert(Folded(name), s);
    return *s;
  }
  bool Erase(const QString &name) {
    TIniSection *s = SectionIndex.take(Folded(name));
    if (!s)
      return false;
    std::erase_if(Sections, [s](const auto &p) { return p.get() == s; });
    return true;
  }
  void Clear() {
    Sections.clear();
    SectionIndex.clear();
    Preamble.clear();
  }

  void Load() {
    QFile f(FileName);
    if (!f.exists())
      return;
    // A file that is there but cannot be read is not replaced by what this store would hold: the
    // rename of the atomic write would succeed where reading failed.
    if (!f.open(QIODevice::ReadOnly)) {
      LoadError = f.errorString();
      WriteLocked = true;
      return;
    }
    const QByteArray data = f.readAll();
    if (f.error() != QFileDevice::NoError) {
      LoadError = f.errorString();
      WriteLocked = true;
      return;
    }
    f.close();
    QString text, why;
    const TIniDecode d = DecodeIniBytes(data, text, why);
    if (d == idUnreadable) {
      // Nothing of it is used, so nothing of it may be lost: it goes aside, and the program goes
      // on with its defaults (a later write makes a new file).
      const QString kept = KeepDamagedFile(FileName, data, true);
      if (kept.isEmpty()) {
        WriteLocked = true;
        LoadError = _("%1; it is left as it is and will not be written").arg(why);
      } else
        LoadError = _("%1; it was moved to \"%2\" and defaults are used").arg(why, kept);
      return;
    }
    if (d == idPartly) {
      // What could be read is used; the next write would drop the rest, so the original stays
      // beside it.
      const QString kept = KeepDamagedFile(FileName, data, false);
      if (kept.isEmpty()) {
        WriteLocked = true;
        LoadError = _("%1; it is left as it is and will not be written").arg(why);
      } else
        LoadError = _("%1; what could be read is used, the original was kept as \"%2\"").arg(why, kept);
    }
    Loaded = true;
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
      cur->Set(line.left(eq).trimmed().toString(), line.mid(eq + 1).toString());
    }
  }

  QString Text() const {
    const QLatin1String crlf("\r\n");
    QString out;
    for (const auto &p : Preamble)
      out += p + crlf;
    for (const auto &s : Sections) {
      out += u'[' + s->Name + u']' + crlf;
      for (const auto &l : s->Lines)
        if (!l.Removed) {
          if (l.IsPair)
            out += l.Key + u'=' + l.Value + crlf;
          else
            out += l.Value + crlf;
        }
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
QString StoreKey(const QString &fileName) {
  return QFileInfo(fileName).absoluteFilePath();
}

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
    ini->FStore->Clear();
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

QString TUnicodeIniFile::FileName() const {
  return FStore->FileName;
}
bool TUnicodeIniFile::Loaded() const {
  return FStore->Loaded;
}
QString TUnicodeIniFile::LoadError() const {
  return FStore->LoadError;
}
void TUnicodeIniFile::SetNewFilePermissions(QFileDevice::Permissions permissions) {
  FStore->NewFilePermissions = permissions;
}

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
  const auto br = std::find_if(v.cbegin(), v.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
  if (br != v.cend())
    v.truncate(br - v.cbegin());
  TIniSection &s = FStore->Get(section);
  const int i = s.Find(ident);
  if (i >= 0 && s.Lines[i].Value == v)
    return;
  s.Set(ident, v);
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

bool TUnicodeIniFile::SectionExists(const QString &section) const {
  return FStore->Find(section) != nullptr;
}
bool TUnicodeIniFile::ValueExists(const QString &section, const QString &ident) const {
  const TIniSection *s = FStore->Find(section);
  return s && s->Find(ident) >= 0;
}

void TUnicodeIniFile::EraseSection(const QString &section) {
  if (FStore->Erase(section))
    FStore->Dirty = true;
}

void TUnicodeIniFile::EraseSectionValues(const QString &section) {
  if (TIniSection *s = FStore->Find(section); s && !s->Lines.empty()) {
    s->Clear();
    FStore->Dirty = true;
  }
}

void TUnicodeIniFile::DeleteKey(const QString &section, const QString &ident) {
  if (TIniSection *s = FStore->Find(section)) {
    const int i = s->Find(ident);
    if (i >= 0) {
      s->Remove(i);
      FStore->Dirty = true;
    }
  }
}

QStringList TUnicodeIniFile::ReadSections() const {
  QStringList r;
  for (const auto &s : FStore->Sections)
    r << s->Name;
  return r;
}

QStringList TUnicodeIniFile::ReadSection(const QString &section) const {
  QStringList r;
  if (const TIniSection *s = FStore->Find(section))
    for (const auto &l : s->Lines)
      if (l.IsPair && !l.Removed)
        r << l.Key;
  return r;
}

QString TUnicodeIniFile::ToText() const {
  return FStore->Text();
}

bool TUnicodeIniFile::UpdateFile() {
  FLastError.clear();
  QString err;
  if (FStore->WriteLocked) {
    FLastError = _("Error writing file \"%1\": %2").arg(FStore->FileName, FStore->LoadError);
    return false;
  }
  if (!WriteFileAtomically(FStore->FileName, EncodeText(FStore->Text(), seUTF16LE, true), &err,
                           FStore->NewFilePermissions)) {
    FLastError = _("Error writing file \"%1\": %2").arg(FStore->FileName, err);
    return false;
  }
  FStore->Dirty = false;
  FStore->Loaded = true;
  return true;
}

QStringList ReadIniList(const TUnicodeIniFile &ini, const QString &section, int maxCount,
                        const QString &prefix, bool hashToQuote, bool twoDigits) {
  QStringList r;
  for (int i = 0; i < maxCount; ++i) {
    const QString key =
        prefix + (twoDigits ? QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')) : QString::number(i));
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

void WriteIniList(TUnicodeIniFile &ini, const QString &section, const QStringList &list, int maxCount,
                  bool erase, const QString &prefix, bool quoteToHash, bool twoDigits) {
  if (erase)
    ini.EraseSection(section);
  for (int i = 0; i < list.size() && i < maxCount; ++i) {
    const QString key =
        prefix + (twoDigits ? QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')) : QString::number(i));
    QString v = list[i];
    if (quoteToHash)
      v.replace(u'"', u'#');
    ini.WriteString(section, key, v);
  }
}
