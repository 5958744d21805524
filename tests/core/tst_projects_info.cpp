// Project records and project files.
#include "core/common/IniFileUtils.h"
#include "core/projects/AesLib.h"
#include "core/projects/ProjectInfo.h"
#include "DiskFull.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString S = QStringLiteral("Project");
const QByteArray FtpPassword = QByteArrayLiteral("s3;\"#=\\z");

TProjectInfo FtpProject(const QString &fileName) {
  TProjectInfo p(fileName);
  p.ProjName = QStringLiteral("Shop");
  p.ProjPath = QStringLiteral("/srv/www/shop/");
  p.ActiveFile = QStringLiteral("index.htm");
  p.SubDirs = QStringLiteral("img,css");
  p.CaseMode = tcLower;
  p.LangId = 0x0407;
  p.Add(QStringLiteral("/srv/www/shop/index.htm"), TTextProps{{4, 12}, 0x0407, 2});
  p.Add(QStringLiteral("/srv/www/shop/css/site.css"), TTextProps{{1, 3}, 0x0409, 0});
  p.Add(QStringLiteral("/home/me/notes.txt"), TTextProps{{7, 1}, 0, 1});
  p.TransferMode = tmFtp;
  p.TextTypes = QStringLiteral("htm*,php");
  p.BinTypes = QStringLiteral("png,svg");
  p.RemotePath = QStringLiteral("/htdocs");
  p.Host = QStringLiteral("ftp.example.test");
  p.Username = QStringLiteral("webmaster");
  p.Password = FtpPassword;
  p.Port = 2100;
  p.SecureMode = 2;
  p.Passive = true;
  p.ProxyPar =
      TFtpProxyParams{QStringLiteral("proxy.example.test"), QStringLiteral("fw"), "pr0xy|pw", 8021, 3};
  p.ProjEncoding = seUTF8;
  p.UseBom = false;
  return p;
}

void CompareProjects(const TProjectInfo &a, const TProjectInfo &b) {
  QCOMPARE(a.ProjName, b.ProjName);
  QCOMPARE(a.ProjPath, b.ProjPath);
  QCOMPARE(a.ActiveFile, b.ActiveFile);
  QCOMPARE(a.SubDirs, b.SubDirs);
  QCOMPARE(a.FileList.size(), b.FileList.size());
  for (qsizetype i = 0; i < a.FileList.size(); ++i) {
    QCOMPARE(a.FileList[i].Name, b.FileList[i].Name);
    QVERIFY(a.FileList[i].Info.TextProps == b.FileList[i].Info.TextProps);
  }
  QCOMPARE(a.CaseMode, b.CaseMode);
  QCOMPARE(a.LangId, b.LangId);
  QCOMPARE(a.TransferMode, b.TransferMode);
  QCOMPARE(a.TextTypes, b.TextTypes);
  QCOMPARE(a.BinTypes, b.BinTypes);
  QCOMPARE(a.RemotePath, b.RemotePath);
  QCOMPARE(a.Host, b.Host);
  QCOMPARE(a.Username, b.Username);
  QCOMPARE(a.Password, b.Password);
  QCOMPARE(a.Port, b.Port);
  QCOMPARE(a.SecureMode, b.SecureMode);
  QCOMPARE(a.Passive, b.Passive);
  QVERIFY(a.ProxyPar == b.ProxyPar);
  QCOMPARE(a.ProjEncoding, b.ProjEncoding);
  QCOMPARE(a.UseBom, b.UseBom);
}

QString StoredValue(const QString &fileName, const QString &key) {
  return TUnicodeIniFile::CreateForRead(fileName)->ReadString(S, key);
}
} // namespace

class TestProjectsInfo : public QObject {
  Q_OBJECT
private slots:
  void ftpProjectRoundTrip();
  void sftpProjectRoundTrip();
  void keysOfMode_data();
  void keysOfMode();
  void passwordStorage_data();
  void passwordStorage();
  void foreignProjectFile();
  void entryLimits();
  void relativeNames_data();
  void relativeNames();
  void fileListEditing();
  void writeOnlyWhenChanged();
  void writeFailureKeepsChanged();
  void defaultProject();
  void projectLookup();
  void dialogRules();
  void leaveAndEnter();
  void namesWithPercentAndBar_data();
  void namesWithPercentAndBar();
  void fullDiskKeepsProjectFile_data();
  void fullDiskKeepsProjectFile();
  void damagedProjectFile();
};

void TestProjectsInfo::ftpProjectRoundTrip() {
  QTemporaryDir dir;
  const QString file = dir.filePath("shop.prj");
  TProjectInfo p = FtpProject(file);
  QVERIFY(p.Changed);
  QString error;
  QVERIFY2(WriteProjectFile(p, &error), qPrintable(error));
  QVERIFY(!p.Changed);

  QFile f(file);
  QVERIFY(f.open(QIODevice::ReadOnly));
  const QByteArray raw = f.readAll();
  QVERIFY(raw.startsWith(QByteArrayView("\xFF\xFE[\0", 4))); // UTF-16LE with byte-order mark
  // Only the owner may read the passwords.
  QCOMPARE(f.permissions(),
           QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);

  const QString stored = StoredValue(file, "Password");
  QCOMPARE(stored.size(), 105);
  QVERIFY(QRegularExpression("^[!-uz]+$").match(stored).hasMatch());
  QVERIFY(!stored.contains(QLatin1String(FtpPassword)));
  QCOMPARE(StoredValue(file, "Name01"), QStringLiteral("css/site.css|1,3,1033,0"));
  QCOMPARE(StoredValue(file, "Name02"), QStringLiteral("/home/me/notes.txt|7,1,0,1"));

  TProjectInfo back(file);
  QVERIFY(ReadProjectFile(5, back, 0));
  QVERIFY(!back.Changed);
  CompareProjects(back, p);

  // A second write enciphers afresh, and the new text reads back as well. A file that others
  // could read loses that on the next write.
  QVERIFY(f.setPermissions(f.permissions() | QFileDevice::ReadGroup | QFileDevice::ReadOther));
  back.Changed = true;
  QVERIFY(WriteProjectFile(back));
  QVERIFY(StoredValue(file, "Password") != stored);
  QCOMPARE(QFile::permissions(file),
           QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);
  TProjectInfo again(file);
  QVERIFY(ReadProjectFile(0, again, 0));
  CompareProjects(again, p);
}

void TestProjectsInfo::sftpProjectRoundTrip() {
  QTemporaryDir dir;
  const QString file = dir.filePath("sftp.prj");
  TProjectInfo p = FtpProject(file);
  p.TransferMode = tmSftp;
  p.Port = 2222;
  p.KeyFile = QStringLiteral("/home/me/.ssh/id_ed25519");
  p.Passphrase = "long pass phrase";
  p.HostKeyFingerprint = QStringLiteral("SHA256:f9MQCooK7MI69AbxpKxyUK5cQYs3AzkVbewpcljgzvg");
  QVERIFY(WriteProjectFile(p));
  // A build that knows only "off", "direct" and "FTP" takes any larger number for "off".
  QCOMPARE(StoredValue(file, "TransferMode"), QStringLiteral("3"));
  QVERIFY(!StoredValue(file, "Passphrase").contains(QLatin1String("pass phrase")));
  QCOMPARE(StoredValue(file, "Passphrase").size(), 105);
  TProjectInfo back(file);
  QVERIFY(ReadProjectFile(0, back, 0));
  QCOMPARE(back.TransferMode, tmSftp);
  QCOMPARE(back.Port, 2222);
  QCOMPARE(back.Password, p.Password);
  QCOMPARE(back.KeyFile, p.KeyFile);
  QCOMPARE(back.Passphrase, p.Passphrase);
  QCOMPARE(back.HostKeyFingerprint, p.HostKeyFingerprint);
  QCOMPARE(back.RemotePath, p.RemotePath);

  // Without a port the SFTP default; a mode from a newer build reads as off.
  {
    auto ini = TUnicodeIniFile::CreateForWrite(file);
    ini->DeleteKey(S, "Port");
    QVERIFY(ini->UpdateFile());
  }
  QVERIFY(ReadProjectFile(0, back, 0));
  QCOMPARE(back.Port, 22);
  {
    auto ini = TUnicodeIniFile::CreateForWrite(file);
    ini->WriteInteger(S, "TransferMode", 4);
    QVERIFY(ini->UpdateFile());
  }
  QVERIFY(ReadProjectFile(0, back, 0));
  QCOMPARE(back.TransferMode, tmOff);
}

void TestProjectsInfo::keysOfMode_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<QStringList>("keys");
  const QStringList head = {
      "Name",  "Path",   "Active", "SubDirs", "TextTypes",   "BinTypes", "ChangeNames", "DictionaryLanguage",
      "Count", "Name00", "Name01", "Name02",  "TransferMode"};
  const QStringList tail = {"Encoding", "UseBom"};
  QTest::newRow("none") << int(tmOff) << head + tail;
  QTest::newRow("direct") << int(tmDirect) << head + QStringList{"RemotePath"} + tail;
  QTest::newRow("ftp") << int(tmFtp)
                       << head + QStringList{"Host",       "Port",          "Username",      "Password",
                                             "RemotePath", "UseTLS",        "Passive",       "ProxyServer",
                                             "ProxyPort",  "ProxyUsername", "ProxyPassword", "ProxyType"} +
                              tail;
  QTest::newRow("sftp") << int(tmSftp)
                        << head + QStringList{"Host",       "Port",    "Username",  "Password",
                                              "RemotePath", "KeyFile", "Passphrase"} +
                               tail;
}

void TestProjectsInfo::keysOfMode() {
  QFETCH(int, mode);
  QFETCH(QStringList, keys);
  // The file starts as an FTP project with a section of another program part beside it; when
  // the project is written again in another mode, the keys of the FTP mode must not survive.
  QTemporaryDir dir;
  const QString file = dir.filePath("p.prj");
  TProjectInfo p = FtpProject(file);
  QVERIFY(WriteProjectFile(p));
  {
    auto ini = TUnicodeIniFile::CreateForWrite(file);
    ini->WriteString("Publish", "LastRun", "yesterday");
    QVERIFY(ini->UpdateFile());
  }
  p.TransferMode = TTransferMode(mode);
  p.Changed = true;
  QVERIFY(WriteProjectFile(p));
  const auto ini = TUnicodeIniFile::CreateForRead(file);
  QCOMPARE(ini->ReadSection(S), keys);
  QCOMPARE(ini->ReadString("Publish", "LastRun"), QStringLiteral("yesterday"));
}

void TestProjectsInfo::passwordStorage_data() {
  QTest::addColumn<QByteArray>("password");
  QTest::addColumn<int>("storedLength");
  QTest::newRow("empty is stored empty") << QByteArray() << 0;
  QTest::newRow("one character") << QByteArray("x") << 105;
  QTest::newRow("63 characters") << QByteArray(63, 'p') << 105;
  QTest::newRow("UTF-8") << QByteArray("p\xC3\xA4ssw\xC3\xB6rd") << 105;
  // Cutting at 64 would store a different password than the user typed.
  QTest::newRow("70 characters are kept whole") << QByteArray(70, 'L') << 114;
}

void TestProjectsInfo::passwordStorage() {
  QFETCH(QByteArray, password);
  QFETCH(int, storedLength);
  QTemporaryDir dir;
  const QString file = dir.filePath("pw.prj");
  TProjectInfo p = FtpProject(file);
  p.Password = password;
  p.ProxyPar.Password = password;
  QVERIFY(WriteProjectFile(p));
  QCOMPARE(StoredValue(file, "Password").size(), storedLength);
  QCOMPARE(StoredValue(file, "ProxyPassword").size(), storedLength);
  TProjectInfo back(file);
  QVERIFY(ReadProjectFile(0, back, 0));
  QCOMPARE(back.Password, password);
  QCOMPARE(back.ProxyPar.Password, password);

  // One changed character makes the stored text undecipherable: the password reads as empty.
  if (!password.isEmpty()) {
    auto ini = TUnicodeIniFile::CreateForWrite(file);
    QString t = ini->ReadString(S, "Password");
    t[60] = t[60] == u'!' ? u'#' : u'!';
    ini->WriteString(S, "Password", t);
    QVERIFY(ini->UpdateFile());
    ini.reset();
    QVERIFY(ReadProjectFile(0, back, 0));
    QVERIFY(back.Password.isEmpty());
    QCOMPARE(back.ProxyPar.Password, password);
  }
}

void TestProjectsInfo::foreignProjectFile() {
  // Written on another system: backslashes, a root without trailing delimiter, odd entries.
  TProjectInfo p(TEST_DATA_DIR "/projects/foreign.prj");
  QVERIFY(ReadProjectFile(3, p, 0x040E));
  QCOMPARE(p.ProjName, QStringLiteral("Shop site"));
  QCOMPARE(p.ProjPath, QStringLiteral("C:/Web/shop/"));
  QCOMPARE(p.ActiveFile, QStringLiteral("sub/index.htm"));
  QCOMPARE(p.SubDirs, QStringLiteral("img,sub/deep"));
  QCOMPARE(p.CaseMode, tcLower);
  QCOMPARE(p.LangId, quint16(1031));
  struct TExpected {
    const char *Name;
    TTextProps Props;
  };
  const TExpected expected[] = {
      {"sub/index.htm", {{1, 12}, 1031, 0}},
      {"readme.txt", {{1, 1}, 1031, 0}},     // name only: defaults, project language
      {"style.css", {{5, 1}, 1031, 3}},      // unreadable and missing numbers
      {"css/site.css", {{2, 3}, 1033, 1}},   // full path below the root becomes relative
      {"D:/other/page.htm", {{1, 1}, 0, 0}}, // outside the root: kept whole
  };                                         // the empty name and the root itself are skipped
  QCOMPARE(p.FileList.size(), qsizetype(std::size(expected)));
  for (qsizetype i = 0; i < p.FileList.size(); ++i) {
    QCOMPARE(p.FileList[i].Name, QString::fromLatin1(expected[i].Name));
    QVERIFY2(p.FileList[i].Info.TextProps == expected[i].Props, expected[i].Name);
  }
  QCOMPARE(p.AbsoluteName(p.FileList[0].Name), QStringLiteral("C:/Web/shop/sub/index.htm"));
  QCOMPARE(p.TransferMode, tmFtp);
  QCOMPARE(p.Port, 2121);        // no Port key
  QVERIFY(p.Password.isEmpty()); // not a valid text
  QCOMPARE(p.SecureMode, 0);     // out of range
  QVERIFY(p.Passive);
  QCOMPARE(p.ProxyPar.Port, 8021);
  QCOMPARE(p.ProxyPar.Mode, quint8(134));
  QCOMPARE(p.ProjEncoding, seUTF8);
  QVERIFY(!p.UseBom);
  QVERIFY(!p.Changed);

  // Defaults of a file without the keys.
  QTemporaryDir dir;
  const QString empty = dir.filePath("empty.prj");
  QVERIFY(QFile(empty).open(QIODevice::WriteOnly));
  TProjectInfo d(empty);
  QVERIFY(ReadProjectFile(3, d, 0x040E));
  QCOMPARE(d.ProjName, QStringLiteral("Project03"));
  QVERIFY(d.ProjPath.isEmpty()); // not "/": that would make the whole disk the project
  QCOMPARE(d.LangId, quint16(0x040E));
  QCOMPARE(d.TextTypes, QStringLiteral("htm*,htt,css,js"));
  QCOMPARE(d.ProjEncoding, seAnsi);
  QVERIFY(d.UseBom);

  // A missing file leaves the record as it was, and so does one that cannot be read (where the
  // permissions hold: not for root).
  TProjectInfo m(dir.filePath("missing.prj"));
  m.ProjName = "kept";
  QVERIFY(!ReadProjectFile(0, m, 7));
  QCOMPARE(m.ProjName, QStringLiteral("kept"));
  QVERIFY(QFile::setPermissions(empty, {}));
  if (!QFile(empty).open(QIODevice::ReadOnly)) {
    d.ProjFileName = empty;
    d.ProjName = "kept";
    QVERIFY(!ReadProjectFile(0, d, 7));
    QCOMPARE(d.ProjName, QStringLiteral("kept"));
  }
}

void TestProjectsInfo::entryLimits() {
  QTemporaryDir dir;
  const QString file = dir.filePath("many.prj");
  {
    auto ini = TUnicodeIniFile::CreateForWrite(file);
    ini->WriteString(S, "Path", dir.path());
    ini->WriteInteger(S, "Count", 150);
    for (int i = 0; i < 150; ++i)
      ini->WriteString(S, QStringLiteral("Name%1").arg(i, 2, 10, QLatin1Char('0')),
                       QStringLiteral("f%1.htm").arg(i));
    QVERIFY(ini->UpdateFile());
  }
  TProjectInfo p(file);
  QVERIFY(ReadProjectFile(0, p, 0));
  QCOMPARE(p.FileList.size(), 100);
  QCOMPARE(p.FileList.last().Name, QStringLiteral("f99.htm"));
  {
    auto ini = TUnicodeIniFile::CreateForWrite(file);
    ini->WriteInteger(S, "Count", -4);
    QVERIFY(ini->UpdateFile());
  }
  QVERIFY(ReadProjectFile(0, p, 0));
  QVERIFY(p.FileList.isEmpty());
}

void TestProjectsInfo::relativeNames_data() {
  QTest::addColumn<QString>("root");
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("relative");
  QTest::newRow("below the root") << "/w/site/"
                                  << "/w/site/css/site.css"
                                  << "css/site.css";
  QTest::newRow("root without delimiter") << "/w/site"
                                          << "/w/site/a.htm"
                                          << "a.htm";
  QTest::newRow("the root itself") << "/w/site/"
                                   << "/w/site"
                                   << "";
  QTest::newRow("the root with delimiter") << "/w/site/"
                                           << "/w/site/"
                                           << "";
  QTest::newRow("other letter case is outside") << "/w/site/"
                                                << "/w/Site/a.htm"
                                                << "/w/Site/a.htm";
  QTest::newRow("sibling with the same prefix") << "/w/site/"
                                                << "/w/sitex/a.htm"
                                                << "/w/sitex/a.htm";
  QTest::newRow("dot-dot leaves the root") << "/w/site/"
                                           << "/w/site/../other/a.htm"
                                           << "/w/other/a.htm";
  QTest::newRow("backslashes") << "C:\\web\\"
                               << "C:\\web\\sub\\index.htm"
                               << "sub/index.htm";
  QTest::newRow("already relative") << "/w/site/"
                                    << "sub\\index.htm"
                                    << "sub/index.htm";
  QTest::newRow("no root") << ""
                           << "/w/site/a.htm"
                           << "/w/site/a.htm";
}

void TestProjectsInfo::relativeNames() {
  QFETCH(QString, root);
  QFETCH(QString, file);
  QFETCH(QString, relative);
  TProjectInfo p;
  p.ProjPath = root;
  QCOMPARE(p.RelativeName(file), relative);
}

void TestProjectsInfo::fileListEditing() {
  TProjectInfo p;
  p.ProjPath = "/w/site/";
  QCOMPARE(p.Add("/w/site", TTextProps{}), -1); // the root is no document
  QVERIFY(p.Changed);
  p.Changed = false;
  QCOMPARE(p.Add("/w/site/a.htm", TTextProps{{3, 9}, 1031, 2}), 0);
  QCOMPARE(p.Add("/w/site/b.htm", TTextProps{{1, 2}, 0, 0}), 1);
  QVERIFY(p.Changed);
  p.Changed = false;
  QVERIFY(p.Remove("/w/site/a.htm") == (TTextProps{{3, 9}, 1031, 2}));
  QVERIFY(p.Changed);
  QVERIFY(p.Remove("/w/site/B.htm") == TTextProps{}); // names differ by case on this system
  QCOMPARE(p.FileList.size(), 1);
  QCOMPARE(p.FileList[0].Name, QStringLiteral("b.htm"));
  p.Changed = false;
  p.SetActiveFile("/w/site/sub/c.htm");
  QCOMPARE(p.ActiveFile, QStringLiteral("sub/c.htm"));
  QVERIFY(p.Changed);
  QCOMPARE(p.AbsoluteName(p.ActiveFile), QStringLiteral("/w/site/sub/c.htm"));
  QCOMPARE(p.AbsoluteName("/x/y.htm"), QStringLiteral("/x/y.htm"));
}

void TestProjectsInfo::writeOnlyWhenChanged() {
  QTemporaryDir dir;
  TProjectInfo p(dir.filePath("p.prj"));
  QVERIFY(WriteProjectFile(p));
  QVERIFY(!QFile::exists(p.ProjFileName));
}

void TestProjectsInfo::writeFailureKeepsChanged() {
  QTemporaryDir dir;
  TProjectInfo p(dir.filePath("no/such/folder/p.prj"));
  p.Changed = true;
  QString error;
  QVERIFY(!WriteProjectFile(p, &error));
  QVERIFY(!error.isEmpty());
  QVERIFY(p.Changed); // a later attempt still writes it
  TProjectInfo nameless;
  nameless.Changed = true;
  QVERIFY(!WriteProjectFile(nameless, &error));
}

void TestProjectsInfo::defaultProject() {
  QTemporaryDir dir;
  const QString projDir = dir.filePath("Velmo-Projects");
  // A Default.prj from an earlier run keeps its settings; name and root are set anew.
  QVERIFY(QDir().mkpath(projDir));
  TProjectInfo earlier(projDir + "/Default.prj");
  earlier.ProjName = "old";
  earlier.ProjPath = "/elsewhere/";
  earlier.TextTypes = "htm*,txt";
  earlier.Changed = true;
  QVERIFY(WriteProjectFile(earlier));

  auto p = CreateDefaultProject(projDir, dir.filePath("docs"), 0x0409);
  QVERIFY(p);
  QCOMPARE(p->ProjFileName, projDir + "/Default.prj");
  QCOMPARE(p->ProjName, QStringLiteral("default"));
  QCOMPARE(p->ProjPath, dir.filePath("docs/default/"));
  QVERIFY(QFileInfo(p->ProjPath).isDir());
  QCOMPARE(p->TextTypes, QStringLiteral("htm*,txt"));
  QCOMPARE(p->LangId, quint16(0x0409));
  QVERIFY(p->Changed);

  // Without an earlier file the folder for project files is made as well.
  auto fresh = CreateDefaultProject(dir.filePath("new/Projects"), dir.filePath("docs"), 0);
  QVERIFY(QFileInfo(dir.filePath("new/Projects")).isDir());
  QCOMPARE(fresh->TextTypes, QStringLiteral("htm*,htt,css,js"));
  QCOMPARE(ProposedProjectFileName("/p", 2), QStringLiteral("/p/Projekt03.prj"));
}

void TestProjectsInfo::projectLookup() {
  QTemporaryDir dir;
  TProjectInfo a(dir.filePath("a.prj")), b(dir.filePath("Default.prj")), c(dir.filePath("c.prj"));
  a.ProjPath = "/w/a/";
  b.ProjPath = "/w/b/";
  c.ProjPath = "/w/a/sub/";
  for (TProjectInfo *p : {&a, &b, &c}) {
    p->Changed = true;
    QVERIFY(WriteProjectFile(*p));
  }
  const QList<TProjectInfo *> list = {&a, &b, &c};
  // The same file under another spelling is found, so it is not listed twice.
  QCOMPARE(FindProjectFile(list, dir.path() + "/./c.prj"), 2);
  QCOMPARE(FindProjectFile(list, dir.filePath("d.prj")), -1);
  // Files named on the command line pick the first project whose root holds them.
  QCOMPARE(ProjectOfFile(list, "/w/a/sub/x.htm"), 0);
  QCOMPARE(ProjectOfFile(list, "/w/b/x.htm"), 1);
  QCOMPARE(ProjectOfFile(list, "/w/A/x.htm"), 1); // no root holds it: the default project
  QCOMPARE(ProjectOfFile({&a, &c}, "/elsewhere/x.htm"), -1);
}

void TestProjectsInfo::dialogRules() {
  QCOMPARE(
      PasswordPrompt(false, "ftp.example.test", 21, "me"),
      QStringLiteral(
          "The connection to server:\r\n  ftp.example.test:21\r\nfor user: \"me\" requires a password!"));
  QVERIFY(
      PasswordPrompt(true, "p", 8021, "fw").startsWith("The connection to proxy server:\r\n  p:8021\r\n"));

  // Stored proxy modes: 0 and unknown values select the first method; the top bit is ignored.
  const int modes[][2] = {{0, 0}, {1, 0}, {6, 5}, {7, 0}, {0x86, 5}, {0x80, 0}, {0xFF, 0}};
  for (const auto &m : modes)
    QCOMPARE(ProxyMethodIndex(quint8(m[0])), m[1]);

  int port = -1;
  QVERIFY(ParsePort(" 65535 ", 1, 65535, port));
  QCOMPARE(port, 65535);
  for (const char *bad : {"", "0", "65536", "21a", "-5", "0x15", "2 1"})
    QVERIFY2(!ParsePort(bad, 1, 65535, port), bad);
  QCOMPARE(port, 65535);

  // UTF-16 always writes a mark and ANSI never: the box shows that and is locked. UTF-8 keeps the
  // project's choice when the dialog opens, and starts cleared when the user picks it.
  const struct {
    TSynEncoding Enc;
    bool UseBom, ByUser;
    bool Checked, Enabled;
  } boms[] = {{seUTF16LE, false, false, true, false}, {seUTF16BE, false, true, true, false},
              {seAnsi, true, false, false, false},    {seUTF8, true, false, true, true},
              {seUTF8, false, false, false, true},    {seUTF8, true, true, false, true}};
  for (const auto &b : boms) {
    const TBomBox box = BomBoxFor(b.Enc, b.UseBom, b.ByUser);
    QCOMPARE(box.Checked, b.Checked);
    QCOMPARE(box.Enabled, b.Enabled);
  }
}

void TestProjectsInfo::leaveAndEnter() {
  QTemporaryDir dir;
  TProjectInfo p;
  p.ProjPath = dir.path() + '/';
  p.LangId = 0x040E;
  p.Add(dir.filePath("stale.htm"), TTextProps{});
  p.Changed = false;
  QVERIFY(QDir().mkpath(dir.filePath("sub")));
  for (const char *f : {"a.htm", "sub/b.css"})
    QVERIFY(QFile(dir.filePath(f)).open(QIODevice::WriteOnly));
  const TTextProps aProps{{5, 40}, 0x0407, 1};
  RememberDocuments(p,
                    {{dir.filePath("a.htm"), aProps},
                     {dir.filePath("sub/b.css"), std::nullopt},
                     {dir.filePath("gone.htm"), TTextProps{}},
                     {QString(), TTextProps{}}},
                    dir.filePath("sub/b.css"));
  QVERIFY(p.Changed);
  QCOMPARE(p.ActiveFile, QStringLiteral("sub/b.css"));
  QCOMPARE(p.FileList.size(), 3); // reverse tab order, the old list is gone, the unsaved tab skipped
  QCOMPARE(p.FileList[0].Name, QStringLiteral("gone.htm"));
  QCOMPARE(p.FileList[1].Name, QStringLiteral("sub/b.css"));
  QVERIFY(p.FileList[1].Info.TextProps == (TTextProps{{1, 1}, 0x040E, 0}));
  QVERIFY(p.FileList[2].Info.TextProps == aProps);

  p.Changed = false;
  QCOMPARE(RemoveMissingDocuments(p), 1);
  QVERIFY(p.Changed);
  QCOMPARE(p.FileList.size(), 2);
  QCOMPARE(p.FileList[0].Name, QStringLiteral("sub/b.css"));
}

void TestProjectsInfo::namesWithPercentAndBar_data() {
  QTest::addColumn<QString>("name");
  QTest::newRow("percent and digit") << "a%2Fb.html";
  QTest::newRow("percent one") << "%1.htm";
  QTest::newRow("all the place holders") << "%1%2%3%4%5.html";
  QTest::newRow("bar") << "x|y.htm";
  QTest::newRow("bar and numbers") << "a|1,2,3,4.html";
  QTest::newRow("bar at the end") << "dir/last|";
  QTest::newRow("outside the root") << "/elsewhere/50%|off.htm";
}

void TestProjectsInfo::namesWithPercentAndBar() {
  QFETCH(QString, name);
  QTemporaryDir dir;
  const QString file = dir.filePath("names.prj");
  TProjectInfo p(file);
  p.ProjPath = QStringLiteral("/srv/site/");
  p.LangId = 0x0407;
  p.Add(name.startsWith(u'/') ? name : p.ProjPath + name, TTextProps{{7, 21}, 0x040E, 2});
  p.Add(QStringLiteral("/srv/site/plain.htm"), TTextProps{{1, 2}, 0x0409, 0});
  QVERIFY(WriteProjectFile(p));
  QCOMPARE(StoredValue(file, "Name00"), name + "|7,21,1038,2");
  TProjectInfo back(file);
  QVERIFY(ReadProjectFile(0, back, 0));
  QCOMPARE(back.FileList.size(), 2);
  QCOMPARE(back.FileList[0].Name, name);
  QVERIFY(back.FileList[0].Info.TextProps == (TTextProps{{7, 21}, 0x040E, 2}));
  QCOMPARE(back.FileList[1].Name, QStringLiteral("plain.htm"));
}

void TestProjectsInfo::fullDiskKeepsProjectFile_data() { TDiskFull::AddRows(); }

void TestProjectsInfo::fullDiskKeepsProjectFile() {
  QFETCH(int, kind);
  TDiskFull disk{TDiskFull::TKind(kind)};
  if (!disk.SkipReason.isEmpty())
    QSKIP(qPrintable(disk.SkipReason));
  const QString file = disk.FilePath("shop.prj");
  TProjectInfo p = FtpProject(file);
  QVERIFY(WriteProjectFile(p));
  QFile f(file);
  QVERIFY(f.open(QIODevice::ReadOnly));
  const QByteArray before = f.readAll();
  f.close();
  QVERIFY(disk.MakeFull());
  p.ProjName = QStringLiteral("Renamed");
  p.Changed = true;
  QString error;
  QVERIFY(!WriteProjectFile(p, &error));
  QVERIFY2(error.contains(TDiskFull::NoSpaceText()), qPrintable(error));
  QVERIFY(error.contains("shop.prj"));
  QVERIFY(p.Changed);
  QVERIFY(f.open(QIODevice::ReadOnly));
  QCOMPARE(f.readAll(), before);
  // A new project on the full disk leaves no file (not even an empty one) behind.
  TProjectInfo fresh(disk.FilePath("new.prj"));
  fresh.Changed = true;
  QVERIFY(!WriteProjectFile(fresh, &error));
  QVERIFY(error.contains(TDiskFull::NoSpaceText()));
  QVERIFY(!QFile::exists(fresh.ProjFileName));
}

void TestProjectsInfo::damagedProjectFile() {
  QTemporaryDir dir;
  const QString file = dir.filePath("shop.prj");
  TProjectInfo p = FtpProject(file);
  QVERIFY(WriteProjectFile(p));
  QFile f(file);
  QVERIFY(f.open(QIODevice::ReadWrite));
  const QByteArray good = f.readAll();
  // One stray byte at the end: the project is read, and the original kept beside it.
  f.write("\n");
  f.close();
  TProjectInfo partly(file);
  QString error;
  QVERIFY(ReadProjectFile(0, partly, 0, &error));
  QVERIFY2(error.contains(file + ".damaged"), qPrintable(error));
  CompareProjects(partly, p);
  QVERIFY(QFile::exists(file + ".damaged"));
  // A byte missing inside: nothing can be read, the file goes aside and the project is left out.
  QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(good.left(101) + good.mid(102));
  f.close();
  TProjectInfo none(file);
  none.ProjName = "kept";
  QVERIFY(!ReadProjectFile(0, none, 0, &error));
  QVERIFY2(error.contains(file + ".damaged1"), qPrintable(error));
  QCOMPARE(none.ProjName, QStringLiteral("kept"));
  QVERIFY(!QFile::exists(file));
  QVERIFY(QFile::exists(file + ".damaged1"));
}

QTEST_GUILESS_MAIN(TestProjectsInfo)
#include "tst_projects_info.moc"
