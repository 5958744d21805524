// Settings store, encodings, history lists, command line and main-window settings.
#include "core/common/AppPaths.h"
#include "core/common/Encodings.h"
#include "core/common/HListBox.h"
#include "core/common/IniFileUtils.h"
#include "core/common/Settings.h"

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
