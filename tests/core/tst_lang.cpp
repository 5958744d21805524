// Interface languages without a window: the MO reader (also on damaged catalogues), the choice of
// the language at start-up, and the list of offered languages.
#include "core/app/LanguageList.h"
#include "core/common/IniFileUtils.h"
#include "core/common/MoFile.h"
#include "core/common/Translate.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

namespace {
// An MO file written by hand, so that byte order and the order of the originals can be chosen.
QByteArray BuildMo(QList<QPair<QByteArray, QByteArray>> pairs, bool bigEndian, bool sorted) {
  if (sorted)
    std::sort(pairs.begin(), pairs.end());
  const quint32 n = quint32(pairs.size());
  QByteArray out;
  auto put = [&](quint32 v) {
    for (int i = 0; i < 4; ++i)
      out.append(char(bigEndian ? (v >> (24 - 8 * i)) & 0xFF : (v >> (8 * i)) & 0xFF));
  };
  const quint32 orig = 28, trans = orig + 8 * n;
  quint32 data = trans + 8 * n;
  put(0x950412de);
  put(0);
  put(n);
  put(orig);
  put(trans);
  put(0);
  put(data);
  QByteArray strings;
  QList<quint32> origTable, transTable;
  for (const auto &p : pairs) {
    origTable << quint32(p.first.size()) << data + quint32(strings.size());
    strings += p.first + '\0';
  }
  for (const auto &p : pairs) {
    transTable << quint32(p.second.size()) << data + quint32(strings.size());
    strings += p.second + '\0';
  }
  for (quint32 v : origTable)
    put(v);
  for (quint32 v : transTable)
    put(v);
  return out + strings;
}

const QList<QPair<QByteArray, QByteArray>> Sample = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"&File", "&Datei"},
    {"Close", "Schlie\xc3\x9f" "en"},
    {"%s file(s)", "%s Datei(en)"},
    {"Untranslated", ""},
    {QByteArray("One file\0%s files", 17), QByteArray("Eine Datei\0%s Dateien", 21)},
    {"Zebra", "Zebra (de)"},
};

QString RunMsgfmt(const QString &po, const QString &mo) {
  QProcess p;
  p.start(QStringLiteral("msgfmt"), {QStringLiteral("-o"), mo, po});
  if (!p.waitForFinished(30000) || p.exitCode() != 0)
    return QString::fromLocal8Bit(p.readAllStandardError()) + p.errorString();
  return QString();
}
} // namespace

class TstLang : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;

private slots:
  void moLookups_data() {
    QTest::addColumn<bool>("bigEndian");
    QTest::addColumn<bool>("sorted");
    QTest::newRow("little endian, sorted") << false << true;
    QTest::newRow("big endian, sorted") << true << true;
    QTest::newRow("little endian, unsorted") << false << false;
    QTest::newRow("big endian, unsorted") << true << false;
  }
  void moLookups() {
    QFETCH(bool, bigEndian);
    QFETCH(bool, sorted);
    TMoCatalog cat;
    QVERIFY2(cat.Load(BuildMo(Sample, bigEndian, sorted)), qPrintable(cat.Error()));
    QCOMPARE(cat.Lookup("&File"), QStringLiteral("&Datei"));
    QCOMPARE(cat.Lookup("Close"), QStringLiteral("Schließen"));
    QCOMPARE(cat.Lookup("Zebra"), QStringLiteral("Zebra (de)"));
    QCOMPARE(cat.Lookup("One file"), QStringLiteral("Eine Datei")); // plural: the first form
    QVERIFY(cat.Lookup("Untranslated").isNull());                     // empty translation
    QVERIFY(cat.Lookup("&file").isNull());                            // case matters
    QVERIFY(cat.Lookup("Clos").isNull());
    QVERIFY(cat.Lookup("").startsWith(QLatin1String("Content-Type")));
  }

  // The catalogues the build makes come from msgfmt: its output must read the same way.
  void moFromMsgfmt() {
    const QString po = FDir.filePath(QStringLiteral("t.po")), mo = FDir.filePath(QStringLiteral("t.mo"));
    QFile f(po);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
            "msgid \"Error: %s\\r\\nLoading of %s canceled!\"\nmsgstr \"Hiba: %s\\r\\nA(z) %s bet\xc3\xb6lt\xc3\xa9se "
            "megszak\xc3\xadtva!\"\n\nmsgid \"&Up\"\nmsgstr \"&Fel \xc5\x91\xc5\xb1\"\n");
    f.close();
    const QString err = RunMsgfmt(po, mo);
    if (err.contains(QLatin1String("No such file")) || err.contains(QLatin1String("not found")))
      QSKIP("msgfmt is not installed");
    QVERIFY2(err.isEmpty(), qPrintable(err));
    TMoCatalog cat;
    QVERIFY(cat.LoadFile(mo));
    QCOMPARE(cat.Lookup("Error: %s\r\nLoading of %s canceled!"),
             QStringLiteral("Hiba: %s\r\nA(z) %s betöltése megszakítva!"));
    QCOMPARE(cat.Lookup("&Up"), QStringLiteral("&Fel őű"));
  }

  // Every cut of a catalogue is refused (its last string reaches the end), and no damage to its
  // bytes makes the reader read outside them: lookups give a text or nothing.
  void moDamaged() {
    const QByteArray good = BuildMo(Sample, false, true);
    TMoCatalog cat;
    for (qsizetype len = 0; len < good.size(); ++len)
      QVERIFY2(!cat.Load(good.left(len)), qPrintable(QString::number(len)));
    QVERIFY(cat.IsEmpty());
    QVERIFY(cat.Lookup("&File").isNull());

    QRandomGenerator rng(19);
    const char *const ids[] = {"&File", "Close", "Zebra", "One file", "", "x"};
    for (int round = 0; round < 3000; ++round) {
      QByteArray bad = good;
      const int hits = 1 + int(rng.bounded(4));
      for (int h = 0; h < hits; ++h)
        bad[qsizetype(rng.bounded(quint32(bad.size())))] = char(rng.bounded(256));
      if (cat.Load(bad))
        for (const char *id : ids)
          cat.Lookup(id); // must neither crash nor read past the data
    }
    // Offsets and counts far beyond the data.
    QByteArray huge = good;
    huge[8] = char(0xFF), huge[9] = char(0xFF), huge[10] = char(0xFF), huge[11] = char(0x7F);
    QVERIFY(!cat.Load(huge));
    QByteArray farOffset = good;
    farOffset[28 + 12] = char(0xF0); // the offset of the second original
    farOffset[28 + 15] = char(0x7F);
    QVERIFY(!cat.Load(farOffset));
    QByteArray revision = good;
    revision[6] = 2; // major revision 2 is unknown
    QVERIFY(!cat.Load(revision));
    QVERIFY(!cat.Load(QByteArray(64, 'x')));
  }

  void chooseLanguage_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("fileCode"); // written to the default language file first
    QTest::addColumn<QStringList>("env");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("langFile"); // relative to the temporary folder
    const QStringList deLocale{QStringLiteral("LANG=de_DE.UTF-8")};
    QTest::newRow("-l:de beats the file") << QStringList{"-l:de"} << "hu" << deLocale << "de" << "app/Velmo.cfg";
    QTest::newRow("--lang:HU in capitals") << QStringList{"--lang:HU"} << "" << deLocale << "hu"
                                           << "app/Velmo.cfg";
    QTest::newRow("the file beats the locale") << QStringList{} << "hu" << deLocale << "hu" << "app/Velmo.cfg";
    QTest::newRow("LANG") << QStringList{} << "" << deLocale << "de" << "app/Velmo.cfg";
    QTest::newRow("LANGUAGE first") << QStringList{} << "" << QStringList{"LANGUAGE=hu:de", "LANG=de_DE.UTF-8"}
                                    << "hu" << "app/Velmo.cfg";
    QTest::newRow("LC_ALL before LANG") << QStringList{} << "" << QStringList{"LC_ALL=hu_HU", "LANG=de_DE"} << "hu"
                                        << "app/Velmo.cfg";
    QTest::newRow("LC_MESSAGES before LANG")
        << QStringList{} << "" << QStringList{"LC_MESSAGES=de_AT@euro", "LANG=hu_HU.UTF-8"} << "de"
        << "app/Velmo.cfg";
    QTest::newRow("C locale is English") << QStringList{} << "" << QStringList{"LC_ALL=C.UTF-8"} << "en"
                                         << "app/Velmo.cfg";
    QTest::newRow("no locale at all") << QStringList{} << "" << QStringList{} << "en" << "app/Velmo.cfg";
    QTest::newRow("-ini with a bare name") << QStringList{"-ini:other"} << "hu" << deLocale << "hu"
                                           << "app/Velmo.cfg";
    QTest::newRow("-ini with a folder") << QStringList{"-i:@/cfgdir/"} << "" << deLocale << "de"
                                        << "cfgdir/Velmo.cfg";
    QTest::newRow("-ini absolute") << QStringList{"-ini:@/elsewhere/my.ini"} << "hu" << deLocale << "de"
                                   << "elsewhere/Velmo.cfg";
    QTest::newRow("-ini with %VAR%") << QStringList{"-ini:%QMTEST%/my.ini"} << "" << deLocale << "de"
                                     << "fromenv/Velmo.cfg";
    QTest::newRow("-portable") << QStringList{"-portable"} << "" << deLocale << "de" << "prog/Velmo.cfg";
    QTest::newRow("-portable with a relative -ini") << QStringList{"-p", "-ini:sub/my.ini"} << "" << deLocale
                                                    << "de" << "prog/sub/my.cfg";
    QTest::newRow("-lang without a value") << QStringList{"-lang"} << "hu" << deLocale << "hu"
                                           << "app/Velmo.cfg";
  }
  void chooseLanguage() {
    QFETCH(QStringList, args);
    QFETCH(QString, fileCode);
    QFETCH(QStringList, env);
    QFETCH(QString, code);
    QFETCH(QString, langFile);
    QTemporaryDir dir;
    const QString root = dir.path();
    QDir(root).mkpath(QStringLiteral("app"));
    if (!fileCode.isEmpty())
      QVERIFY(WriteLanguageFile(root + QStringLiteral("/app/Velmo.cfg"), fileCode));
    QProcessEnvironment e;
    for (const QString &kv : env)
      e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    e.insert(QStringLiteral("QMTEST"), root + QStringLiteral("/fromenv"));
    for (QString &a : args)
      a.replace(u'@', root);
    const TLanguageChoice c =
        ChooseLanguage(args, root + QStringLiteral("/app"), root + QStringLiteral("/prog/"), QStringLiteral("Velmo"), e);
    QCOMPARE(c.Code, code);
    QCOMPARE(c.LangFile, QDir::cleanPath(root + u'/' + langFile));
  }

  // Choosing a language keeps the rest of the language file; a file that cannot be read or holds
  // no code counts as no choice.
  void languageFile() {
    const QString name = FDir.filePath(QStringLiteral("Velmo.cfg"));
    auto ini = TUnicodeIniFile::CreateForWrite(name);
    ini->WriteString(QStringLiteral("Other"), QStringLiteral("Key"), QStringLiteral("kept"));
    QVERIFY(ini->UpdateFile());
    QVERIFY(WriteLanguageFile(name, QStringLiteral("hu")));
    QCOMPARE(ReadLanguageFile(name), QStringLiteral("hu"));
    QCOMPARE(TUnicodeIniFile::CreateForRead(name)->ReadString(QStringLiteral("Other"), QStringLiteral("Key")),
             QStringLiteral("kept"));
    QVERIFY(WriteLanguageFile(name, QString())); // the system default
    QCOMPARE(ReadLanguageFile(name), QString());
    QFile junk(FDir.filePath(QStringLiteral("junk.cfg")));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray("\x00\xff[Language]\nLangID=\x01\x02", 24));
    junk.close();
    QCOMPARE(ReadLanguageFile(junk.fileName()), QString());
    QCOMPARE(ReadLanguageFile(FDir.filePath(QStringLiteral("missing.cfg"))), QString());
  }

  // The list as shipped: the system default first, then the languages that are not commented out.
  void builtInList() {
    QFile f(QStringLiteral(TEST_SOURCE_DIR "/data/languages.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    QVERIFY(data.startsWith("\xFF\xFE"));
    TLanguageList list;
    list.LoadFromText(QString::fromUtf16(reinterpret_cast<const char16_t *>(data.constData() + 2),
                                         (data.size() - 2) / 2));
    QStringList names, codes;
    for (int i = 0; i < list.Count(); ++i) {
      names << list.Entries()[i].Name;
      codes << list.GetLangCode(i);
    }
    QCOMPARE(names, (QStringList{"&System default", "English", "German", "Hungarian"}));
    QCOMPARE(codes, (QStringList{"", "en", "de", "hu"}));
    QCOMPARE(list.IndexOfCode(QStringLiteral("fr")), -1);
    list.SetSelectedLanguageCode(QStringLiteral("hu"));
    QCOMPARE(list.SelectedLanguageCode(), QStringLiteral("hu"));
    QCOMPARE(list.CurrentLanguage(), QStringLiteral("Hungarian"));
    list.SetSelectedLanguageCode(QStringLiteral("fr")); // not offered: the choice stays
    QCOMPARE(list.SelectedLanguageCode(), QStringLiteral("hu"));
  }

  void listLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("entries"); // code=name, after the system default
    QTest::newRow("comments and blanks") << "# heading\r\n\r\nde=German # the comment\r\n#fr=French\r\n"
                                         << QStringList{"de=German"};
    QTest::newRow("sorted by name") << "hu=Hungarian\nde=German\nen=English\n"
                                    << QStringList{"en=English", "de=German", "hu=Hungarian"};
    QTest::newRow("no name or code") << "de=\n=German\nxx\nhu = Hungarian \n" << QStringList{"hu=Hungarian"};
    QTest::newRow("long code cut to two letters") << "deu=German\n" << QStringList{"de=German"};
  }
  void listLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, entries);
    TLanguageList list;
    list.LoadFromText(text);
    QStringList got;
    for (int i = 1; i < list.Count(); ++i)
      got << list.GetLangCode(i) + u'=' + list.Entries()[i].Name;
    QCOMPARE(list.GetLangCode(0), QString());
    QCOMPARE(got, entries);
  }

  void codeValues() {
    QCOMPARE(LangCodeValue(QStringLiteral("de")), quint16(('d' << 8) | 'e'));
    QCOMPARE(LangCodeValue(QStringLiteral("DE")), quint16(('d' << 8) | 'e'));
    QCOMPARE(LangCodeValue(QString()), quint16(0));
    QCOMPARE(LangCodeValue(QStringLiteral("d1")), quint16(0));
    QCOMPARE(LangCodeText(LangCodeValue(QStringLiteral("hu"))), QStringLiteral("hu"));
    QCOMPARE(LangCodeText(0), QString());
  }
};

QTEST_GUILESS_MAIN(TstLang)
#include "tst_lang.moc"
