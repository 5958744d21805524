#include "core/app/LanguageList.h"
#include "core/common/AppPaths.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace {
const QString LangSection = QStringLiteral("Language");
const QString LangKey = QStringLiteral("LangID");
constexpr qint64 MaxListSize = 1024 * 1024;

TLanguageChoice &Choice() {
  static TLanguageChoice c{QString(), QString(), QStringLiteral("en")};
  return c;
}

// Two lower-case letters, or empty.
QString CleanCode(const QString &s) {
  const QString code = s.left(2).toLower();
  if (code.size() != 2 || !code[0].isLetter() || !code[1].isLetter() || code[0].unicode() > 0x7F ||
      code[1].unicode() > 0x7F)
    return QString();
  return code;
}

// "%HOME%/x" -> the value of HOME followed by "/x"; unknown names become empty.
QString ExpandPercentNames(const QString &value, const QProcessEnvironment &env) {
  static const QRegularExpression re(QStringLiteral("%([^%]+)%"));
  QString out;
  qsizetype last = 0;
  for (auto it = re.globalMatch(value); it.hasNext();) {
    const auto m = it.next();
    out += value.mid(last, m.capturedStart() - last);
    out += env.value(m.captured(1));
    last = m.capturedEnd();
  }
  return out + value.mid(last);
}

// Text of a list source: UTF-16 with a byte-order mark as stored, UTF-8 otherwise.
QString DecodeList(const QByteArray &data) {
  if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
    auto dec = QStringDecoder(data.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                              QStringDecoder::Flag::ConvertInvalidToNull);
    return QString(dec(data.mid(2)));
  }
  return QString::fromUtf8(data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data);
}
} // namespace

quint16 LangCodeValue(const QString &code) {
  const QString c = CleanCode(code);
  return c.isEmpty() ? 0 : quint16((c[0].unicode() << 8) | c[1].unicode());
}

QString LangCodeText(quint16 value) {
  if (value == 0)
    return QString();
  return QString(QChar(value >> 8)) + QChar(value & 0xFF);
}

QString SystemLanguageCode(const QProcessEnvironment &env) {
  QString value = env.value(QStringLiteral("LANGUAGE")).section(u':', 0, 0);
  for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (!value.isEmpty())
      break;
    value = env.value(QString::fromLatin1(name));
  }
  const QString lang = value.section(u'_', 0, 0).section(u'.', 0, 0).section(u'@', 0, 0);
  if (lang.size() != 2)
    return QStringLiteral("en"); // C, POSIX, nothing at all, or no two-letter code
  const QString code = CleanCode(lang);
  return code.isEmpty() ? QStringLiteral("en") : code;
}

QString ReadLanguageFile(const QString &fileName) {
  if (fileName.isEmpty() || !QFileInfo(fileName).isFile())
    return QString();
  auto ini = TUnicodeIniFile::CreateForRead(fileName);
  return ini ? CleanCode(ini->ReadString(LangSection, LangKey)) : QString();
}

bool WriteLanguageFile(const QString &fileName, const QString &code, QString *error) {
  auto ini = TUnicodeIniFile::CreateForWrite(fileName);
  ini->WriteString(LangSection, LangKey, code);
  if (ini->UpdateFile())
    return true;
  if (error)
    *error = ini->LastError();
  return false;
}

TLanguageChoice ChooseLanguage(const QStringList &args, const QString &appPath, const QString &programDir,
                               const QString &baseName, const QProcessEnvironment &env) {
  TLanguageChoice c;
  QString iniPath;
  bool portable = false;
  for (const QString &arg : args) {
    if (!arg.startsWith(u'-'))
      continue;
    const QString opt = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype colon = opt.indexOf(u':');
    const QString key = colon < 0 ? opt : opt.left(colon);
    const QString value = colon < 0 ? QString() : opt.mid(colon + 1);
    if (OptionMatches(key, QStringLiteral("lang")) && !value.isEmpty())
      c.CommandLine = CleanCode(value);
    else if (OptionMatches(key, QStringLiteral("ini")) && !value.isEmpty())
      iniPath = ExpandPercentNames(value, env);
    else if (OptionMatches(key, QStringLiteral("portable")))
      portable = true;
  }

  QString dir = programDir;
  if (!dir.isEmpty() && !dir.endsWith(u'/'))
    dir += u'/';
  const QString defaultName = baseName + QStringLiteral(".cfg");
  if (portable && iniPath.isEmpty())
    iniPath = dir;
  if (iniPath.isEmpty()) {
    c.LangFile = appPath + u'/' + defaultName;
  } else if (iniPath.endsWith(u'/')) {
    c.LangFile = QDir::cleanPath(QDir(iniPath).absolutePath() + u'/' + defaultName);
  } else {
    const QString name = portable ? QFileInfo(iniPath).completeBaseName() + QStringLiteral(".cfg") : defaultName;
    QString folder;
    if (QDir::isAbsolutePath(iniPath))
      folder = QFileInfo(iniPath).path();
    else if (portable)
      folder = QFileInfo(dir + iniPath).path();
    else if (!iniPath.contains(u'/'))
      folder = appPath;
    else
      folder = QFileInfo(QDir::current().absoluteFilePath(iniPath)).path();
    c.LangFile = QDir::cleanPath(folder + u'/' + name);
  }

  c.Code = c.CommandLine;
  if (c.Code.isEmpty())
    c.Code = ReadLanguageFile(c.LangFile);
  if (c.Code.isEmpty())
    c.Code = SystemLanguageCode(env);
  return c;
}

TLanguageChoice InitTranslation(const QStringList &args, const QString &appPath, const QString &programDir,
                                const QString &baseName) {
  Choice() = ChooseLanguage(args, appPath, programDir, baseName);
  UseLanguage(Choice().Code);
  return Choice();
}

const TLanguageChoice &LanguageChoice() { return Choice(); }

// --- the list of languages -------------------------------------------------------------------

QString TLanguageList::BuiltInText() {
  QFile f(QStringLiteral(":/locale/languages.txt"));
  if (!f.open(QIODevice::ReadOnly))
    return QString();
  return DecodeList(f.read(MaxListSize));
}

TLanguageList::TLanguageList(const QString &path, const QString &fileName) : FPath(path), FLangName(fileName) {
  if (!FPath.isEmpty() && !FPath.endsWith(u'/'))
    FPath += u'/';
  ReadSource();
}

bool TLanguageList::ReadSource() {
  if (FLangName.isEmpty()) {
    const QString text = BuiltInText();
    if (text.isEmpty())
      return false;
    LoadFromText(text);
    return true;
  }
  QFile f(FPath + FLangName);
  if (!f.open(QIODevice::ReadOnly))
    return false;
  LoadFromText(DecodeList(f.read(MaxListSize)));
  return true;
}

void TLanguageList::LoadFromText(const QString &text) {
  FEntries.clear();
  FEntries.append({_("&System default"), 0});
  for (QStringView line : QStringView(text).split(u'\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(u'#'))
      continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
      continue;
    const quint16 code = LangCodeValue(line.left(eq).trimmed().toString());
    QStringView name = line.mid(eq + 1);
    if (const qsizetype hash = name.indexOf(u'#'); hash >= 0)
      name = name.left(hash);
    name = name.trimmed();
    if (code != 0 && !name.isEmpty())
      FEntries.append({name.toString(), code});
  }
  Sort();
}

void TLanguageList::Sort() {
  QCollator collator{QLocale(CurrentLanguageCode())};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  // The system default stays first.
  std::stable_sort(FEntries.begin() + 1, FEntries.end(), [&collator](const TLanguageEntry &a, const TLanguageEntry &b) {
    return collator.compare(a.Name, b.Name) < 0;
  });
}

bool TLanguageList::LoadLanguageNames(const QString &langCode) {
  if (langCode.isEmpty())
    return false;
  if (!ReadSource())
    return false;
  if (FLangName.isEmpty()) {
    for (qsizetype i = 1; i < FEntries.size(); ++i)
      FEntries[i].Name = TranslateIn(DomainLanguages, FEntries[i].Name.toUtf8().constData());
  } else {
    // An external list has its names per language in the same line format.
    QFile f(FPath + QStringLiteral("locale/") + CleanCode(langCode) + QStringLiteral("/LC_MESSAGES/") + FLangName);
    if (f.open(QIODevice::ReadOnly)) {
      TLanguageList names;
      names.LoadFromText(DecodeList(f.read(MaxListSize)));
      for (const TLanguageEntry &n : names.Entries()) {
        for (TLanguageEntry &e : FEntries)
          if (n.Code != 0 && e.Code == n.Code)
            e.Name = n.Name;
      }
    }
  }
  Sort();
  SetSelectedLanguageCode(langCode);
  return true;
}

QString TLanguageList::GetLangCode(int index) const {
  return index >= 0 && index < FEntries.size() ? LangCodeText(FEntries[index].Code) : QString();
}

int TLanguageList::IndexOfCode(const QString &code) const {
  const quint16 v = LangCodeValue(code);
  for (int i = 0; i < FEntries.size(); ++i)
    if (FEntries[i].Code == v)
      return i;
  return -1;
}

void TLanguageList::SetSelectedLanguageCode(const QString &code) {
  const int i = IndexOfCode(code);
  if (i < 0)
    return;
  FLangCode = LangCodeText(FEntries[i].Code);
  FCurrentLanguage = FEntries[i].Name;
}
