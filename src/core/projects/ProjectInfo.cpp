#include "core/projects/ProjectInfo.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Translate.h"
#include "core/projects/AesLib.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <openssl/crypto.h>

#include <algorithm>

namespace {
const QString Section = QStringLiteral("Project");

// Scrambled form of the pass phrase for project passwords (see KeyTextFromHex). Changing it
// makes every stored password unreadable.
constexpr const char *ProjectKeyHex = "B04B2333B0AF691568790526EAEC67CA7A8926F3BF3E3A05";

// Project files from other systems may use backslashes; we always write "/".
QString Slashed(QString s) {
  s.replace(u'\\', u'/');
  return s;
}

QString WithDelimiter(const QString &path) {
  // An empty root stays empty: "/" would make the whole file system the project.
  if (path.isEmpty() || path.endsWith(u'/'))
    return path;
  return path + u'/';
}

QString EntryKey(int i) {
  return QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0'));
}

template <typename T> T EnumInRange(int value, int last, T def) {
  return value >= 0 && value <= last ? static_cast<T>(value) : def;
}

// The four numbers of a file entry: column, line, language, date format. A missing or unreadable
// number keeps its default.
TTextProps ParseEntryNumbers(QStringView text, quint32 defLang) {
  const auto parts = text.split(u',');
  qint64 values[4] = {1, 1, defLang, 0};
  for (int i = 0; i < 4 && i < parts.size(); ++i) {
    bool ok = false;
    const qint64 v = parts[i].trimmed().toLongLong(&ok);
    if (ok)
      values[i] = v;
  }
  TTextProps props;
  props.CursorPos.Char = int(std::clamp<qint64>(values[0], 1, INT_MAX));
  props.CursorPos.Line = int(std::clamp<qint64>(values[1], 1, INT_MAX));
  props.TxtLangId = values[2] >= 0 && values[2] <= UINT_MAX ? quint32(values[2]) : defLang;
  props.DateFormat = int(std::clamp<qint64>(values[3], INT_MIN, INT_MAX));
  return props;
}

bool SameFile(const QString &a, const QString &b) {
  const QString ca = QFileInfo(a).canonicalFilePath();
  if (!ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath())
    return true;
  return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

// The file holds passwords that anyone with this program can decipher, so only its owner may read
// it. The atomic save keeps the permissions of the file it replaces and gives a new file these.
const QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

void RestrictToOwner(const QString &fileName) {
  QFile f(fileName);
  // Take group and others away; a write protection the owner chose stays.
  if (f.exists())
    f.setPermissions(f.permissions() & (OwnerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser));
}

// A document-list entry: the name, then "|" and the four numbers. The name is data: it is put in
// as it stands (no format string), and on reading the entry is split at its last "|", so that a
// name holding "|" or "%2" comes back unchanged.
QString EntryText(const TProjectFile &f) {
  const TTextProps &t = f.Info.TextProps;
  return f.Name + u'|' + QString::number(t.CursorPos.Char) + u',' + QString::number(t.CursorPos.Line) + u',' +
         QString::number(t.TxtLangId) + u',' + QString::number(t.DateFormat);
}
} // namespace

// ---------------------------------------------------------------------------------------------

QString TProjectInfo::RelativeName(const QString &fileName) const {
  if (fileName.isEmpty())
    return {};
  const QString name = QDir::cleanPath(Slashed(fileName));
  if (ProjPath.isEmpty())
    return name;
  const QString root = QDir::cleanPath(Slashed(ProjPath));
  if (name == root)
    return {};
  const QString prefix = root.endsWith(u'/') ? root : root + u'/';
  // File names on this system are case-sensitive: "Site/" is not the root "site/".
  if (name.startsWith(prefix))
    return name.mid(prefix.size());
  return name;
}

QString TProjectInfo::AbsoluteName(const QString &name) const {
  if (name.isEmpty())
    return {};
  const QString n = Slashed(name);
  if (QDir::isAbsolutePath(n) || ProjPath.isEmpty())
    return QDir::cleanPath(n);
  return QDir::cleanPath(WithDelimiter(Slashed(ProjPath)) + n);
}

bool TProjectInfo::ContainsFile(const QString &fileName) const {
  // A relative name says nothing about where the file is.
  if (ProjPath.isEmpty() || !QDir::isAbsolutePath(Slashed(fileName)))
    return false;
  const QString rel = RelativeName(fileName);
  return rel.isEmpty() || !QDir::isAbsolutePath(rel);
}

int TProjectInfo::Add(const QString &fileName, const TTextProps &textProps) {
  Changed = true;
  const QString name = RelativeName(fileName);
  if (name.isEmpty())
    return -1;
  FileList.append(TProjectFile{name, TTextFileInfo(textProps)});
  return int(FileList.size()) - 1;
}

TTextProps TProjectInfo::Remove(const QString &fileName) {
  Changed = true;
  const QString name = RelativeName(fileName);
  for (qsizetype i = 0; i < FileList.size(); ++i)
    if (FileList[i].Name == name) {
      const TTextProps props = FileList[i].Info.TextProps;
      FileList.removeAt(i);
      return props;
    }
  return TTextProps{};
}

void TProjectInfo::SetActiveFile(const QString &fileName) {
  ActiveFile = RelativeName(fileName);
  Changed = true;
}

void RememberDocuments(TProjectInfo &project, const QList<TOpenDocument> &tabs, const QString &activeFile) {
  project.SetActiveFile(activeFile);
  project.ClearFileList();
  for (const TOpenDocument &tab : tabs) {
    const QString name = project.RelativeName(tab.FileName);
    if (name.isEmpty())
      continue;
    const TTextProps props = tab.Props.value_or(TTextProps{{1, 1}, project.LangId, 0});
    project.FileList.prepend(TProjectFile{name, TTextFileInfo(props)});
    project.Changed = true;
  }
}

int RemoveMissingDocuments(TProjectInfo &project) {
  int removed = 0;
  for (qsizetype i = project.FileList.size() - 1; i >= 0; --i)
    if (!QFileInfo(project.AbsoluteName(project.FileList[i].Name)).isFile()) {
      project.FileList.removeAt(i);
      project.Changed = true;
      ++removed;
    }
  return removed;
}

// ---------------------------------------------------------------------------------------------

QByteArray ProjectKeyText() {
  return KeyTextFromHex(QString::fromLatin1(ProjectKeyHex));
}

QString EncryptProjectPassword(const QByteArray &password) {
  QByteArray key = ProjectKeyText();
  // Short passwords are padded to 64 bytes so that the stored text does not tell their length.
  // A longer password is stored whole: cutting it would lose the password the user typed.
  const int pad = int(std::max<qsizetype>(ProjectPadLength, password.size() + 1));
  const QString text = EncryptString(key, password, pad, false);
  OPENSSL_cleanse(key.data(), size_t(key.size()));
  return text;
}

QByteArray DecryptProjectPassword(QStringView stored) {
  QByteArray key = ProjectKeyText();
  const QByteArray pwd = DecryptString(key, stored.trimmed(), false);
  OPENSSL_cleanse(key.data(), size_t(key.size()));
  return pwd;
}

bool ReadProjectFile(int index, TProjectInfo &p, quint16 dictLangId, QString *error) {
  if (p.ProjFileName.isEmpty() || !QFileInfo(p.ProjFileName).isFile())
    return false;
  const auto ini = TUnicodeIniFile::CreateForRead(p.ProjFileName);
  if (error)
    *error = ini->LoadError();
  // A file that is there but cannot be read is no empty project: leave it out (the INI reader has
  // moved an undecodable file aside, so nothing is lost).
  if (!ini->Loaded())
    return false;
  auto str = [&](const char *key, const QString &def = {}) {
    return ini->ReadString(Section, QLatin1String(key), def);
  };
  auto num = [&](const char *key, int def) { return ini->ReadInteger(Section, QLatin1String(key), def); };

  p.ProjName = str("Name", QStringLiteral("Project%1").arg(index, 2, 10, QLatin1Char('0')));
  p.ProjPath = WithDelimiter(Slashed(str("Path")));
  p.ActiveFile = Slashed(str("Active"));
  p.SubDirs = Slashed(str("SubDirs"));
  p.TextTypes = str("TextTypes", QStringLiteral("htm*,htt,css,js"));
  p.BinTypes = str("BinTypes", QStringLiteral("gif,jpg,png"));
  p.CaseMode = EnumInRange(num("ChangeNames", tcNone), tcUpper, tcNone);
  const int lang = num("DictionaryLanguage", dictLangId);
  p.LangId = lang >= 0 && lang <= 0xFFFF ? quint16(lang) : dictLangId;

  // The language is read first: it is the default language of the entries.
  const int count = std::clamp(num("Count", 0), 0, MaxProjectFiles);
  p.FileList.clear();
  for (int i = 0; i < count; ++i) {
    const QString entry = str(EntryKey(i).toLatin1().constData());
    // The numbers come last and hold no "|"; the name before them may.
    const qsizetype bar = entry.lastIndexOf(u'|');
    const QString name = p.RelativeName(bar < 0 ? entry : entry.left(bar));
    if (name.isEmpty())
      continue;
    const TTextProps props = bar < 0 ? ParseEntryNumbers({}, p.LangId)
                                     : ParseEntryNumbers(QStringView(entry).mid(bar + 1), p.LangId);
    p.FileList.append(TProjectFile{name, TTextFileInfo(props)});
  }

  p.TransferMode = EnumInRange(num("TransferMode", tmOff), tmSftp, tmOff);
  if (p.TransferMode == tmFtp || p.TransferMode == tmSftp) {
    p.Host = str("Host");
    p.Port = num("Port", p.TransferMode == tmSftp ? 22 : 2121);
    p.Username = str("Username");
    p.Password = DecryptProjectPassword(str("Password"));
  }
  if (p.TransferMode == tmDirect)
    p.RemotePath = Slashed(str("RemotePath"));
  else if (p.TransferMode == tmFtp || p.TransferMode == tmSftp)
    p.RemotePath = str("RemotePath");
  if (p.TransferMode == tmSftp) {
    p.KeyFile = str("KeyFile");
    p.Passphrase = DecryptProjectPassword(str("Passphrase"));
    p.HostKeyFingerprint = str("HostKeyFingerprint");
  }
  if (p.TransferMode == tmFtp) {
    p.SecureMode = EnumInRange(num("UseTLS", 0), 3, 0);
    p.Passive = ini->ReadBool(Section, QStringLiteral("Passive"), false);
    p.CertFingerprint = str("CertFingerprint");
    p.ProxyPar.Server = str("ProxyServer");
    p.ProxyPar.Port = num("ProxyPort", 2121);
    p.ProxyPar.Username = str("ProxyUsername");
    p.ProxyPar.Password = DecryptProjectPassword(str("ProxyPassword"));
    p.ProxyPar.Mode = quint8(num("ProxyType", 0));
  }
  p.ProjEncoding = EnumInRange(num("Encoding", seAnsi), seAnsi, seAnsi);
  p.UseBom = ini->ReadBool(Section, QStringLiteral("UseBom"), true);
  return true;
}

bool WriteProjectFile(TProjectInfo &p, QString *error) {
  if (!p.Changed)
    return true;
  QString err;
  if (p.ProjFileName.isEmpty())
    err = _("The project has no file name.");
  else {
    RestrictToOwner(p.ProjFileName);
    auto ini = TUnicodeIniFile::CreateForWrite(p.ProjFileName);
    ini->SetNewFilePermissions(OwnerOnly);
    auto str = [&](const char *key, const QString &value) {
      ini->WriteString(Section, QLatin1String(key), value);
    };
    auto num = [&](const char *key, int value) { ini->WriteInteger(Section, QLatin1String(key), value); };
    auto flag = [&](const char *key, bool value) { ini->WriteBool(Section, QLatin1String(key), value); };

    // Other sections stay; the section itself is rebuilt so that keys of another transfer mode
    // do not survive.
    ini->EraseSection(Section);
    str("Name", p.ProjName);
    str("Path", p.ProjPath);
    str("Active", p.ActiveFile);
    str("SubDirs", p.SubDirs);
    str("TextTypes", p.TextTypes);
    str("BinTypes", p.BinTypes);
    num("ChangeNames", p.CaseMode);
    num("DictionaryLanguage", p.LangId);
    num("Count", int(p.FileList.size()));
    for (qsizetype i = 0; i < p.FileList.size(); ++i)
      ini->WriteString(Section, EntryKey(int(i)), EntryText(p.FileList[i]));
    num("TransferMode", p.TransferMode);
    if (p.TransferMode == tmFtp || p.TransferMode == tmSftp) {
      str("Host", p.Host);
      num("Port", p.Port);
      str("Username", p.Username);
      str("Password", EncryptProjectPassword(p.Password));
    }
    if (p.TransferMode != tmOff)
      str("RemotePath", p.RemotePath);
    if (p.TransferMode == tmSftp) {
      str("KeyFile", p.KeyFile);
      str("Passphrase", EncryptProjectPassword(p.Passphrase));
      if (!p.HostKeyFingerprint.isEmpty())
        str("HostKeyFingerprint", p.HostKeyFingerprint);
    }
    if (p.TransferMode == tmFtp) {
      num("UseTLS", p.SecureMode);
      flag("Passive", p.Passive);
      if (!p.CertFingerprint.isEmpty())
        str("CertFingerprint", p.CertFingerprint);
      str("ProxyServer", p.ProxyPar.Server);
      num("ProxyPort", p.ProxyPar.Port);
      str("ProxyUsername", p.ProxyPar.Username);
      str("ProxyPassword", EncryptProjectPassword(p.ProxyPar.Password));
      num("ProxyType", p.ProxyPar.Mode);
    }
    num("Encoding", p.ProjEncoding);
    flag("UseBom", p.UseBom);
    if (ini->UpdateFile()) {
      p.Changed = false;
      return true;
    }
    err = ini->LastError();
  }
  if (error)
    *error = err;
  return false;
}

std::unique_ptr<TProjectInfo> CreateDefaultProject(const QString &projFilePath, const QString &stdPath,
                                                   quint16 dictLangId, QString *error) {
  if (!QDir().mkpath(projFilePath) && error)
    *error = _("Cannot create the folder \"%1\".").arg(projFilePath);
  auto p = std::make_unique<TProjectInfo>(QDir(projFilePath).filePath(QStringLiteral("Default.prj")));
  ReadProjectFile(0, *p, dictLangId);
  p->ProjName = _("default");
  p->ProjPath = WithDelimiter(WithDelimiter(Slashed(stdPath)) + _("default"));
  if (!QDir().mkpath(p->ProjPath) && error)
    *error = _("Cannot create the folder \"%1\".").arg(p->ProjPath);
  p->LangId = dictLangId;
  p->Changed = true;
  return p;
}

QString ProposedProjectFileName(const QString &projFilePath, int projectCount) {
  return QDir(projFilePath)
      .filePath(QStringLiteral("Projekt%1.prj").arg(projectCount + 1, 2, 10, QLatin1Char('0')));
}

int FindProjectFile(const QList<TProjectInfo *> &projects, const QString &fileName) {
  for (qsizetype i = 0; i < projects.size(); ++i)
    if (projects[i] && !projects[i]->ProjFileName.isEmpty() && SameFile(projects[i]->ProjFileName, fileName))
      return int(i);
  return -1;
}

int ProjectOfFile(const QList<TProjectInfo *> &projects, const QString &firstFile) {
  const QString folder = QFileInfo(firstFile).absolutePath();
  for (qsizetype i = 0; i < projects.size(); ++i)
    if (projects[i] && projects[i]->ContainsFile(folder))
      return int(i);
  for (qsizetype i = 0; i < projects.size(); ++i)
    if (projects[i] && QFileInfo(projects[i]->ProjFileName).completeBaseName() == QLatin1String("Default"))
      return int(i);
  return -1;
}

// ---------------------------------------------------------------------------------------------

QString PassphrasePrompt(const QString &keyFile) {
  return FormatS(_("The key file:\r\n  %s\r\nrequires a pass phrase!"), {keyFile});
}

QString PasswordPrompt(bool proxy, const QString &host, int port, const QString &user) {
  const QString text =
      proxy ? _("The connection to proxy server:\r\n  %s:%u\r\nfor user: \"%s\" requires a password!")
            : _("The connection to server:\r\n  %s:%u\r\nfor user: \"%s\" requires a password!");
  return FormatS(text, {host, QString::number(port), user});
}

int ProxyMethodIndex(quint8 mode) {
  const int m = mode & 0x7F;
  return m >= 1 && m <= 6 ? m - 1 : 0;
}

bool ParsePort(const QString &text, int minPort, int maxPort, int &port) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok, 10);
  if (!ok || v < minPort || v > maxPort)
    return false;
  port = v;
  return true;
}

TBomBox BomBoxFor(TSynEncoding encoding, bool useBom, bool chosenByUser) {
  switch (encoding) {
  case seUTF16LE:
  case seUTF16BE:
    return {true, false};
  case seAnsi:
    return {false, false};
  case seUTF8:
    break;
  }
  return {chosenByUser ? false : useBom, true};
}
