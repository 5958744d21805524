// Settings store, encodings, history lists, command line, main-window settings and libraries
// opened on first use.
#include "core/common/AppPaths.h"
#include "core/common/Encodings.h"
#include "core/common/HListBox.h"
#include "core/common/IniFileUtils.h"
#include "core/common/LazyLibrary.h"
#include "core/common/Settings.h"
#include "DiskFull.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstCommon : public QObject {
  Q_OBJECT
  static QByteArray ReadAll(const QString &f) {
    QFile file(f);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static void WriteAll(const QString &f, const QByteArray &d) {
    QFile file(f);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(d);
  }

private slots:
  void iniRoundTripFormat() {
    QTemporaryDir dir;
    const QString f = dir.filePath("a.ini");
    {
      auto ini = TUnicodeIniFile::CreateForWrite(f);
      ini->WriteString("Config", "StdPath", "/home/ä/web/");
      ini->WriteInteger("Form", "Left", -5);
      ini->WriteBool("Form", "Flag", true);
      ini->WriteString("Form", "Multi", "first\r\nsecond"); // an INI value holds one line
      QVERIFY(ini->UpdateFile());
    }
    const QByteArray bytes = ReadAll(f);
    QVERIFY(bytes.startsWith("\xFF\xFE"));
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + 2),
                                            (bytes.size() - 2) / 2);
    QVERIFY(text.startsWith("[Unicode]\r\nEncoding=UTF-16LE\r\n"));
    QVERIFY(text.contains("[Config]\r\nStdPath=/home/ä/web/\r\n"));
    QVERIFY(!text.contains(QRegularExpression("[^\r]\n")));
    auto r = TUnicodeIniFile::CreateForRead(f);
    QCOMPARE(r->ReadString("config", "stdpath"), QString("/home/ä/web/"));
    QCOMPARE(r->ReadInteger("Form", "Left", 0), -5);
    QCOMPARE(r->ReadBool("Form", "Flag", false), true);
    QCOMPARE(r->ReadString("Form", "Multi"), QString("first"));
    QCOMPARE(r->ReadInteger("Form", "Missing", 42), 42);
  }

  void iniHexAndForeignSections() {
    QTemporaryDir dir;
    const QString f = dir.filePath("b.ini");
    // A hand-edited UTF-8 file with a section of its own and a comment.
    WriteAll(f, "[Mine]\n; keep me\nKey=Value\n[Config]\nBig=0x1F\nColor=$FFFFFF\nBad=0x\n");
    {
      auto ini = TUnicodeIniFile::CreateForWrite(f);
      QCOMPARE(ini->ReadInt64("Config", "Big", 0), 31);
      QCOMPARE(ini->ReadInteger("Config", "Color", 0), 0xFFFFFF);
      QCOMPARE(ini->ReadInt64("Config", "Bad", 7), 7);
      ini->EraseSection("Config");
      ini->WriteString("Config", "X", "1");
      QVERIFY(ini->UpdateFile());
    }
    auto r = TUnicodeIniFile::CreateForRead(f);
    QCOMPARE(r->ReadString("Mine", "Key"), QString("Value"));
    QVERIFY(r->ToText().contains("; keep me"));
    QVERIFY(!r->ValueExists("Config", "Big"));
  }

  void iniWritersShareOneStore() {
    QTemporaryDir dir;
    const QString f = dir.filePath("c.ini");
    auto main = TUnicodeIniFile::CreateForWrite(f);
    {
      // A second writer (a history box being destroyed) while the first is open.
      auto other = TUnicodeIniFile::CreateForWrite(f);
      other->WriteString("FileFind", "History0", "needle");
    }
    QVERIFY(!QFile::exists(f)); // the last writer writes, not the first to go
    main->WriteString("Config", "StdPath", "/w/");
    QVERIFY(main->UpdateFile());
    auto r = TUnicodeIniFile::CreateForRead(f);
    QCOMPARE(r->ReadString("FileFind", "History0"), QString("needle"));
    QCOMPARE(r->ReadString("Config", "StdPath"), QString("/w/"));
  }

  void iniWriteFailureIsReported() {
    QTemporaryDir dir;
    const QString sub = dir.filePath("gone");
    QVERIFY(QDir().mkpath(sub));
    auto ini = TUnicodeIniFile::CreateForWrite(sub + "/x.ini");
    ini->WriteString("A", "B", "C");
    QVERIFY(QDir(sub).removeRecursively());
    QVERIFY(!ini->UpdateFile());
    QVERIFY(ini->LastError().contains("x.ini"));
  }

  void iniFullDiskKeepsFile_data() { TDiskFull::AddRows(); }
  void iniFullDiskKeepsFile() {
    // A settings file far below 16 KiB: the size that a buffered write left empty on a full disk.
    QFETCH(int, kind);
    TDiskFull disk{TDiskFull::TKind(kind)};
    if (!disk.SkipReason.isEmpty())
      QSKIP(qPrintable(disk.SkipReason));
    const QString f = disk.FilePath("Velmo.ini");
    {
      auto ini = TUnicodeIniFile::CreateForWrite(f);
      ini->WriteString("Config", "StdPath", "/home/me/web/");
      QVERIFY(ini->UpdateFile());
    }
    const QByteArray before = ReadAll(f);
    auto ini = TUnicodeIniFile::CreateForWrite(f);
    ini->WriteString("Config", "StdPath", "/elsewhere/");
    QVERIFY(disk.MakeFull());
    QVERIFY(!ini->UpdateFile());
    QVERIFY2(ini->LastError().contains(TDiskFull::NoSpaceText()), qPrintable(ini->LastError()));
    QVERIFY(ini->LastError().contains("Velmo.ini"));
    QCOMPARE(ReadAll(f), before);
    ini.reset(); // the last writer tries again on release, and fails the same way
    QCOMPARE(ReadAll(f), before);
    // No temporary file is left behind either.
    QStringList left = QDir(QFileInfo(f).path()).entryList(QDir::Files);
    left.removeAll("filler");
    QCOMPARE(left, QStringList{"Velmo.ini"});
  }

  void iniUnreadableFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("stdPath"); // what is read; empty when nothing can be
    QTest::addColumn<bool>("keptAside");  // a .damaged copy (read in part) or the file itself (unreadable)
    const QString text =
        QStringLiteral("; mine\r\n[Config]\r\nStdPath=/w/K\u00E4se\u0151/\r\n[Projects]\r\nCount=0\r\n");
    QByteArray le, be;
    for (QChar c : text) {
      le += char(c.unicode() & 0xFF);
      le += char(c.unicode() >> 8);
      be += char(c.unicode() >> 8);
      be += char(c.unicode() & 0xFF);
    }
    const QString path = QStringLiteral("/w/K\u00E4se\u0151/");
    QTest::newRow("UTF-16LE with mark") << QByteArray("\xFF\xFE") + le << path << false;
    QTest::newRow("UTF-16LE without mark") << le << path << false;
    QTest::newRow("UTF-16BE without mark") << be << path << false;
    QTest::newRow("UTF-16LE with mark, odd byte count") << QByteArray("\xFF\xFE") + le + '\n' << path << true;
    QTest::newRow("UTF-16LE without mark, odd byte count") << le + '\n' << path << true;
    QTest::newRow("UTF-16BE with mark, odd byte count") << QByteArray("\xFE\xFF") + be + 'x' << path << true;
    QByteArray shifted = QByteArray("\xFF\xFE") + le;
    shifted.insert(40, '!'); // a byte put in by hand: the rest is out of step
    QTest::newRow("UTF-16 out of step") << shifted << QString() << true;
    QTest::newRow("NUL bytes without a pattern")
        << QByteArray("[Config]\r\nStdPath=\0\0\0/w/\r\n", 24) << QString() << true;
    QTest::newRow("UTF-8") << text.toUtf8() << path << false;
  }
  void iniUnreadableFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, stdPath);
    QFETCH(bool, keptAside);
    QTemporaryDir dir;
    const QString f = dir.filePath("Velmo.ini");
    WriteAll(f, bytes);
    {
      auto r = TUnicodeIniFile::CreateForRead(f);
      QCOMPARE(r->ReadString("Config", "StdPath"), stdPath);
      QCOMPARE(r->Loaded(), !stdPath.isEmpty());
      QCOMPARE(r->LoadError().isEmpty(), !keptAside);
      if (keptAside)
        QVERIFY2(r->LoadError().contains(f + ".damaged"), qPrintable(r->LoadError()));
    }
    // Nothing is lost: an unreadable file went aside whole, a file read in part has a copy.
    QCOMPARE(QFile::exists(f + ".damaged"), keptAside);
    if (keptAside)
      QCOMPARE(ReadAll(f + ".damaged"), bytes);
    QCOMPARE(QFile::exists(f), !keptAside || !stdPath.isEmpty());
    // Reading again (every reader does) makes no second copy; writing keeps what was read.
    {
      auto w = TUnicodeIniFile::CreateForWrite(f);
      w->WriteString("Form", "Left", "5");
      QVERIFY(w->UpdateFile());
    }
    QVERIFY(!QFile::exists(f + ".damaged1"));
    auto r = TUnicodeIniFile::CreateForRead(f);
    QVERIFY(r->LoadError().isEmpty());
    QCOMPARE(r->ReadString("Config", "StdPath"), stdPath);
    QCOMPARE(r->ReadString("Projects", "Count"), stdPath.isEmpty() ? QString() : QString("0"));
    QCOMPARE(r->ToText().contains("; mine"), !stdPath.isEmpty());
  }

  void iniDamagedCopiesAreNeverReplaced() {
    QTemporaryDir dir;
    const QString f = dir.filePath("p.prj");
    WriteAll(f + ".damaged", "first");
    WriteAll(f + ".damaged1", "second");
    WriteAll(f, QByteArray("\0\0\0x", 4));
    QVERIFY(!TUnicodeIniFile::CreateForRead(f)->Loaded());
    QCOMPARE(ReadAll(f + ".damaged"), QByteArray("first"));
    QCOMPARE(ReadAll(f + ".damaged1"), QByteArray("second"));
    QCOMPARE(ReadAll(f + ".damaged2"), QByteArray("\0\0\0x", 4));
    QVERIFY(!QFile::exists(f));
  }

  void iniManyKeysKeepOrderAndCase() {
    // Keys are hashed; file order, case of the first spelling and comments must not change.
    QTemporaryDir dir;
    const QString f = dir.filePath("m.ini");
    WriteAll(f, "[A]\r\n; note\r\nKey0=x\r\n[b]\r\nz=1\r\n[A]\r\nkey0=last wins\r\n");
    auto ini = TUnicodeIniFile::CreateForWrite(f);
    QCOMPARE(ini->ReadString("a", "KEY0"), QString("last wins"));
    for (int i = 1; i < 300; ++i)
      ini->WriteString("A", QString("Key%1").arg(i), QString::number(i));
    for (int i = 0; i < 300; i += 2)
      ini->DeleteKey("a", QString("key%1").arg(i));
    ini->WriteString("A", "Key0", "again"); // a deleted key comes back at the end
    ini->WriteString("A", "Key1", "one");   // an existing one stays in place
    QStringList expected;
    for (int i = 1; i < 300; i += 2)
      expected << QString("Key%1").arg(i);
    expected << "Key0";
    QCOMPARE(ini->ReadSection("A"), expected);
    QCOMPARE(ini->ReadString("A", "key299"), QString("299"));
    QCOMPARE(ini->ReadString("A", "key298"), QString());
    QVERIFY(!ini->ValueExists("A", "Key2"));
    QCOMPARE(ini->ReadSections(), QStringList({"A", "b", "Unicode"}));
    ini->EraseSection("B");
    ini->WriteString("B", "y", "2");
    QCOMPARE(ini->ReadSections(), QStringList({"A", "Unicode", "B"}));
    QVERIFY(ini->ToText().startsWith("[A]\r\n; note\r\nKey1=one\r\nKey3=3\r\n"));
    QVERIFY(ini->ToText().contains("Key299=299\r\nKey0=again\r\n\r\n[Unicode]"));
  }

  void detectEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("enc");
    QTest::addColumn<bool>("bom");
    QTest::newRow("utf8 bom") << QByteArray("\xEF\xBB\xBFK\xC3\xA4se") << int(seUTF8) << true;
    QTest::newRow("utf8 plain") << QByteArray("K\xC3\xA4se") << int(seUTF8) << false;
    QTest::newRow("7-bit is ansi") << QByteArray("plain") << int(seAnsi) << false;
    QTest::newRow("latin1") << QByteArray("K\xE4se") << int(seAnsi) << false;
    QTest::newRow("utf16le") << QByteArray("\xFF\xFEK\x00", 4) << int(seUTF16LE) << true;
    QTest::newRow("utf16be") << QByteArray("\xFE\xFF\x00K", 4) << int(seUTF16BE) << true;
    QTest::newRow("overlong is not utf8") << QByteArray("\xC0\xAF") << int(seAnsi) << false;
    QTest::newRow("surrogate is not utf8") << QByteArray("\xED\xA0\x80") << int(seAnsi) << false;
    QByteArray cut = QByteArray(16383, 'a') + "\xC3\xA4";
    QTest::newRow("sequence across the scan window") << cut << int(seUTF8) << false;
    // The whole text decides, however late its first letter beyond ASCII comes.
    const QByteArray ascii(20000, 'a');
    QTest::newRow("utf8 after 20 KB of ASCII") << ascii + "K\xC3\xA4se" << int(seUTF8) << false;
    QTest::newRow("utf8 after 1 MiB of ASCII") << QByteArray(1 << 20, 'a') + "\xE2\x82\xAC" << int(seUTF8) << false;
    QTest::newRow("latin1 after 20 KB of ASCII") << ascii + "K\xE4se" << int(seAnsi) << false;
    QTest::newRow("utf8 first, latin1 later") << "K\xC3\xA4se" + ascii + "\xE4" << int(seAnsi) << false;
  }
  void detectEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, enc);
    QFETCH(bool, bom);
    const TDetectedEncoding d = DetectEncoding(bytes);
    QCOMPARE(int(d.Encoding), enc);
    QCOMPARE(d.Bom, bom);
  }

  void ansiIsReversible() {
    QByteArray all;
    for (int b = 1; b < 256; ++b)
      all += char(b);
    const QString s = DecodeAnsi(all);
    QCOMPARE(s.at(0x80 - 1), QChar(0x20AC));
    QCOMPARE(s.at(0x81 - 1), QChar(0x81));
    QCOMPARE(FirstNonAnsiChar(s), -1);
    QCOMPARE(EncodeAnsi(s), all);
    QCOMPARE(FirstNonAnsiChar(u"ab\u0151c"), 2); // ő is not in the code page
    // The same through the editor's UTF-8 form, in runs long enough for the word-wise paths.
    const QByteArray longer = all + QByteArray(37, 'x') + all;
    QCOMPARE(AnsiToUtf8(longer), DecodeAnsi(longer).toUtf8());
    QCOMPARE(Utf8ToAnsi(AnsiToUtf8(longer)), longer);
    qsizetype bad = 0;
    QCOMPARE(Utf8ToAnsi(QStringLiteral("abcdefghij\u0151\U0001F600").toUtf8(), &bad), QByteArray("abcdefghij??"));
    QCOMPARE(bad, 10);
    QVERIFY(IsValidUtf8("plain ascii text long enough \xC3\xA4"));
    QVERIFY(!IsValidUtf8("plain ascii text long enough \xC3"));
  }

  void historyList() {
    THistoryList h(nullptr, 15);
    for (int i = 1; i <= 16; ++i)
      h.AddString(QString("e%1").arg(i));
    QCOMPARE(h.Count(), 15);
    QCOMPARE(h.Item(0), QString("e16"));
    QCOMPARE(h.IndexOf("e1"), -1); // the oldest went
    h.AddString("E5");
    QCOMPARE(h.Item(0), QString("E5")); // moved to the top with the new spelling
    QCOMPARE(h.IndexOf("e5"), 0);
    QCOMPARE(h.Count(), 15);
    h.AddString("");
    QCOMPARE(h.Count(), 15);
    QCOMPARE(THistoryList::MenuCaption(9, "x"), QString("A x"));
    QCOMPARE(THistoryList::MenuCaption(15, "x"), QString("10 x"));
    QCOMPARE(THistoryList::MenuCaption(0, "a&b", false), QString("1 a&&b"));
    QCOMPARE(THistoryList::IndexOfCaption("&F y"), 14);
    h.SetMaxLen(3);
    QCOMPARE(h.Count(), 3);
    h.SetMaxLen(0); // out of range: ignored
    QCOMPARE(h.MaxLen(), 3);
  }

  void historyStorage() {
    QTemporaryDir dir;
    const QString f = dir.filePath("h.ini");
    {
      auto ini = TUnicodeIniFile::CreateForWrite(f);
      ini->WriteString("H", "History0", "a");
      ini->WriteString("H", "History2", "c"); // a gap
      QVERIFY(ini->UpdateFile());
    }
    THistoryList h;
    h.LoadFromIni(f, "H");
    QCOMPARE(h.Strings(), QStringList({"a", "c"}));
    h.AddString(" ");
    QVERIFY(h.SaveToIni(f, "H", true));
    QCOMPARE(TUnicodeIniFile::CreateForRead(f)->ReadString("H", "History0"), QString("?"));
    THistoryList back;
    back.LoadFromIni(f, "H");
    QCOMPARE(back.Strings(), QStringList({" ", "a", "c"}));
  }

  void commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("ini");
    QTest::addColumn<QStringList>("files");
    const QString cwd = QDir::currentPath();
    QTest::newRow("short option, relative") << QStringList{"-i:work.ini"} << "/cfg/Tamrix/work.ini" << QStringList{};
    QTest::newRow("absolute without extension") << QStringList{"-ini:/tmp/x/cfg"} << "/tmp/x/cfg.ini" << QStringList{};
    QTest::newRow("double dash") << QStringList{"--in:other"} << "/cfg/Tamrix/other.ini" << QStringList{};
    QTest::newRow("absolute path is a file") << QStringList{"/srv/web/a,b.html"} << QString()
                                             << QStringList{"/srv/web/a,b.html"};
    QTest::newRow("relative file") << QStringList{"p.html"} << QString() << QStringList{cwd + "/p.html"};
    QTest::newRow("empty key matches nothing") << QStringList{"-:x.ini"} << QString() << QStringList{};
    QTest::newRow("other option skipped") << QStringList{"-lang:de", "-x"} << QString() << QStringList{};
  }
  void commandLine() {
    QFETCH(QStringList, args);
    QFETCH(QString, ini);
    QFETCH(QStringList, files);
    const TCommandLine cl = ParseCommandLine(args, "/cfg/Tamrix");
    QCOMPARE(cl.IniName, ini);
    QCOMPARE(cl.Files, files);
  }

  void settingsDefaultsAndRules() {
    QTemporaryDir dir;
    const QString f = dir.filePath("Velmo.ini");
    const QString p1 = dir.filePath("one.prj"), p3 = dir.filePath("three.prj");
    WriteAll(p1, "x");
    WriteAll(p3, "x");
    {
      auto ini = TUnicodeIniFile::CreateForWrite(f);
      ini->WriteInteger("Form", "EditSplit", 50);
      ini->WriteInteger("Printer", "Orientation", 7);
      ini->WriteInteger("Projects", "Count", 3);
      ini->WriteInteger("Projects", "Active", 2);
      ini->WriteString("Projects", "Name00", p1);
      ini->WriteString("Projects", "Name01", dir.filePath("missing.prj"));
      ini->WriteString("Projects", "Name02", p3);
      QVERIFY(ini->UpdateFile());
    }
    TAppSettings s;
    s.Read(*TUnicodeIniFile::CreateForRead(f), true);
    QCOMPARE(s.Form.EditSplit, 200);
    QCOMPARE(s.PrText.Ori, 1);
    QCOMPARE(s.ProjectFiles, QStringList({p1, p3}));
    QCOMPARE(s.ProjectIndex, 1); // still the third project, not another one
    QCOMPARE(s.SynProps[ftText].Highlight, false);
    QCOMPARE(s.SynProps[ftHtml].Options, DefaultEditorOptions);
    QCOMPARE(s.IdeDecComma, false);

    s.Form = {10, 20, 300, 200, 2};
    auto w = TUnicodeIniFile::CreateForWrite(f);
    w->WriteInteger("Form", "Left", 77);
    s.Write(*w, false); // maximised: the normal geometry in the file stays
    QVERIFY(w->UpdateFile());
    auto r = TUnicodeIniFile::CreateForRead(f);
    QCOMPARE(r->ReadInteger("Form", "Left", 0), 77);
    QCOMPARE(r->ReadInteger("Form", "State", 0), 2);
    for (const char *section : {"Config", "Form", "HTML", "CSS", "JS", "PHP", "VBS", "PL", "Text", "Printer"})
      QVERIFY2(r->SectionExists(section), section);
    QCOMPARE(r->ReadString("HTML", "Types"), QString("html,htm,htt"));
    QCOMPARE(r->ReadInteger("Projects", "Active", -1), 1);
  }

  void lazyLibrary() {
    // The first name that opens wins; a missing library is an error naming it, asked for again
    // without trying twice.
    TLazyLibrary missing("made-up", {"libquillmark-none.so.7"});
    QVERIFY(!missing.Load());
    QVERIFY(missing.Error().contains("made-up"));
    QVERIFY(missing.Error().contains("libquillmark-none.so.7"));
    QVERIFY(!missing.Load());
    TLazyLibrary zlib("zlib", {"libquillmark-none.so.7", "libz.so.1"});
    QVERIFY(zlib.Load());
    QVERIFY(zlib.Error().isEmpty());
    using TVersion = const char *(*)();
    const auto version = reinterpret_cast<TVersion>(zlib.Required("zlibVersion"));
    QVERIFY(version && QByteArray(version()).startsWith("1."));
  }

  void keyFileSize_data() {
    QTest::addColumn<qint64>("size");
    QTest::addColumn<quint32>("count");
    QTest::addColumn<bool>("fits");
    QTest::newRow("exact") << qint64(24) << quint32(2) << true;
    QTest::newRow("short") << qint64(23) << quint32(2) << false;
    QTest::newRow("overflowing count") << qint64(4) << quint32(0x1999999A) << false;
    QTest::newRow("empty") << qint64(0) << quint32(0) << false;
  }
  void keyFileSize() {
    QFETCH(qint64, size);
    QFETCH(quint32, count);
    QFETCH(bool, fits);
    QCOMPARE(KeyFileSizeFits(size, count), fits);
  }
};

QTEST_GUILESS_MAIN(TstCommon)
#include "tst_common.moc"
