// Spell checker with the system's real dictionaries (en_US, de_DE, hu_HU), user word lists and
// the splitting of running text into words.
#include "DiskFull.h"
#include "core/common/SafeFile.h"
#include "core/editor/SpellCheck.h"

#include "FileSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

namespace {
const quint32 EnUs = 0x0409, DeDe = 0x0407, HuHu = 0x040E;
const QString SysDicts = QStringLiteral("/usr/share/hunspell/");

} // namespace

class TstEditorSpell : public QObject {
  Q_OBJECT

private slots:
  void initTestCase() {
    if (!QFile::exists(SysDicts + "en_US.aff") || !QFile::exists(SysDicts + "de_DE.aff") ||
        !QFile::exists(SysDicts + "hu_HU.aff"))
      QSKIP("needs hunspell-en-us, hunspell-de-de and hunspell-hu");
  }

  void words_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("words");
    QTest::newRow("plain") << "Hello, world!" << QStringList{"Hello", "world"};
    QTest::newRow("inner apostrophe") << "don't 'quoted' it’s" << QStringList{"don't", "quoted", "it’s"};
    QTest::newRow("hyphen splits") << "E-Mail well-known" << QStringList{"E", "Mail", "well", "known"};
    QTest::newRow("umlauts and accents") << "Größe árvíztűrő" << QStringList{"Größe", "árvíztűrő"};
    QTest::newRow("combining mark") << "Cafe\u0301 x" << QStringList{"Cafe\u0301", "x"};
    QTest::newRow("digits stay in the word") << "mp3 2nd 42" << QStringList{"mp3", "2nd", "42"};
    QTest::newRow("only punctuation") << " -- ... " << QStringList{};
  }
  void words() {
    QFETCH(QString, text);
    QFETCH(QStringList, words);
    QStringList got;
    for (const TWordSpan &w : SplitWords(text))
      got << text.mid(w.Start, w.Length);
    QCOMPARE(got, words);
    // NextWord walks the same words.
    QStringList walked;
    for (TWordSpan w = NextWord(text, 0); w.IsValid(); w = NextWord(text, w.Start + w.Length))
      walked << text.mid(w.Start, w.Length);
    QCOMPARE(walked, words);
  }

  void wordAtPosition() {
    const QString t = "say don't go";
    auto at = [&](qsizetype i) {
      const TWordSpan w = WordAt(t, i);
      return w.IsValid() ? t.mid(w.Start, w.Length) : QString();
    };
    QCOMPARE(at(0), QString("say"));
    QCOMPARE(at(3), QString("say"));   // just after the word
    QCOMPARE(at(6), QString("don't")); // middle, at the apostrophe
    QCOMPARE(at(7), QString("don't"));
    QCOMPARE(at(12), QString("go"));
    QCOMPARE(WordAt(QStringLiteral("a  b"), 2).IsValid(), false);
    // Mid-word start: NextWord goes to the following word.
    QCOMPARE(NextWord(t, 5).Start, qsizetype(10));
    QVERIFY(!IsCheckableWord(u"mp3"));
    QVERIFY(IsCheckableWord(u"Größe"));
  }

  void runningText_data() {
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("text"); // the running text found, pieces joined by "|"
    QTest::newRow("tags and attributes")
        << QStringList{"<p class=\"a b\">One <b title='x>y'>two</b></p>"} << "One |two";
    QTest::newRow("comment over lines") << QStringList{"a<!-- b", "c --> d"} << "a| d";
    QTest::newRow("script and style") << QStringList{"<script>x < y</script>z<style>p{}</style>w"} << "z|w";
    QTest::newRow("script over lines")
        << QStringList{"<SCRIPT type=x>", "if (a<b) c;", "</Script>e"} << "||e";
    QTest::newRow("tag over lines") << QStringList{"t<a", "href=\"u", "v\">l</a>"} << "t||l";
    QTest::newRow("lone less-than") << QStringList{"1 < 2 and <3"} << "1 < 2 and <3";
    QTest::newRow("php block") << QStringList{"a<?php echo 'b'; ?>c"} << "a|c";
    QTest::newRow("scripts not a prefix") << QStringList{"<scripts>a</scripts>"} << "a";
  }
  void runningText() {
    QFETCH(QStringList, lines);
    QFETCH(QString, text);
    THtmlScanState st, bytes;
    QStringList pieces;
    for (const QString &line : lines) {
      QList<QPair<qsizetype, qsizetype>> ranges;
      const THtmlScanState next = ScanHtml(line, st, &ranges);
      QStringList parts;
      for (const auto &[a, b] : ranges)
        parts << line.mid(a, b - a);
      pieces << parts.join("|");
      // The byte scan (used to find where each line starts) agrees with the text scan.
      bytes = ScanHtml(QByteArrayView(line.toUtf8()), bytes);
      QVERIFY(bytes == next);
      st = next;
    }
    QCOMPARE(pieces.join("|"), text);
  }

  void dictionaryList() {
    QTemporaryDir prog;
    // The program's own folder wins over the system's for the same language; a .aff without
    // .dic and an unknown locale are not dictionaries.
    QVERIFY(QFile::copy(SysDicts + "en_US.aff", prog.filePath("en_US.aff")));
    QVERIFY(QFile::copy(SysDicts + "en_US.dic", prog.filePath("en_US.dic")));
    QVERIFY(QFile::copy(SysDicts + "en_US.aff", prog.filePath("de_DE.aff")));
    QVERIFY(QFile::copy(SysDicts + "en_US.aff", prog.filePath("xx_YY.aff")));
    QVERIFY(QFile::copy(SysDicts + "en_US.dic", prog.filePath("xx_YY.dic")));
    TSynEditSpellCheck sc;
    QList<quint32> reported;
    QVERIFY(sc.LoadDictionaries(TSynEditSpellCheck::DefaultFolders(prog.path() + "/"), {},
                                [&](quint32 id) { reported << id; }));
    QHash<quint32, TDictionaryProps> byId;
    for (const TDictionaryProps &p : sc.Dictionaries()) {
      QVERIFY2(!byId.contains(p.Id), qPrintable(p.Shortname)); // one dictionary per language
      byId.insert(p.Id, p);
    }
    QCOMPARE(byId.value(EnUs).Folder, QDir(prog.path()).absolutePath() + "/");
    // de_BE/de_LU are copies of de_DE on Debian; the exact name is the one for 1031.
    QCOMPARE(byId.value(DeDe).Shortname, QString("de_DE"));
    QCOMPARE(byId.value(DeDe).Folder, SysDicts);
    QCOMPARE(byId.value(HuHu).Shortname, QString("hu_HU"));
    QCOMPARE(reported.size(), sc.LoadedDicts().size());

    // Only the chosen ids are loaded; an unloaded language cannot be selected.
    TSynEditSpellCheck only;
    QVERIFY(only.LoadDictionaries({SysDicts}, {int(DeDe)}));
    QCOMPARE(only.LoadedDicts().size(), 1);
    QVERIFY(!only.SelectDictionary(EnUs));
    QVERIFY(!only.Enabled());
    QVERIFY(only.CheckWord("Xyzzyqq")); // checking off: everything passes
    QCOMPARE(only.GetDictLanguages().size(), 1);
    QCOMPARE(only.GetDictLanguages().first().second, DeDe);

    // No folder at all: no languages, checking stays off.
    TSynEditSpellCheck none;
    QVERIFY(!none.LoadDictionaries({prog.filePath("missing")}, {}));
    QVERIFY(!none.SelectDictionary(EnUs));
  }

  void check_data() {
    QTest::addColumn<quint32>("lang");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("correct");
    QTest::newRow("en ok") << EnUs << "house" << true;
    QTest::newRow("en wrong") << EnUs << "housse" << false;
    QTest::newRow("en apostrophe") << EnUs << "don't" << true;
    QTest::newRow("en single letter ignored") << EnUs << "q" << true;
    QTest::newRow("en german word") << EnUs << "Straße" << false;
    QTest::newRow("de umlaut") << DeDe << "Größe" << true;
    QTest::newRow("de sz") << DeDe << "Straße" << true;
    QTest::newRow("de wrong") << DeDe << "Grösse" << false;
    QTest::newRow("hu accents") << HuHu << "árvíztűrő" << true;
    QTest::newRow("hu double acute") << HuHu << "tükörfúrógép" << true;
    QTest::newRow("hu wrong") << HuHu << "tükörfurógép" << false;
  }
  void check() {
    QFETCH(quint32, lang);
    QFETCH(QString, word);
    QFETCH(bool, correct);
    TSynEditSpellCheck sc;
    QVERIFY(sc.LoadDictionaries({SysDicts}, {int(EnUs), int(DeDe), int(HuHu)}));
    QVERIFY(sc.SelectDictionary(lang));
    QCOMPARE(sc.CheckWord(word), correct);
    QCOMPARE(sc.CheckWord(word), correct); // cached answer
    if (!correct)
      QVERIFY(!sc.GetSuggestions(word).isEmpty());
  }

  void suggestionsAndSwitching() {
    TSynEditSpellCheck sc;
    QVERIFY(sc.LoadDictionaries({SysDicts}, {}));
    QVERIFY(sc.SelectDictionary(HuHu));
    // Suggestions come back decoded from the dictionary's encoding.
    const QStringList hu = sc.GetSuggestions("arvizturo");
    QVERIFY2(hu.contains(QString("árvíztűrő")), qPrintable(hu.join(',')));
    QVERIFY(sc.SelectDictionary(EnUs));
    QVERIFY(sc.GetSuggestions("housse").contains("house"));
    QVERIFY(!sc.CheckWord("Größe"));
    QVERIFY(sc.SelectDictionary(DeDe));
    QVERIFY(sc.CheckWord("Größe"));
    QVERIFY(sc.SelectDictionary(quint32(0)));
    QVERIFY(sc.CheckWord("housse"));
    QVERIFY(sc.SelectDictionary(DeDe)); // back on with the same language
    QVERIFY(!sc.CheckWord("housse"));
    sc.Options &= ~sscoSuggestWords;
    QVERIFY(sc.GetSuggestions("housse").isEmpty());
  }

  void userWordList() {
    QTemporaryDir dir;
    const QString folder = dir.filePath("sub/dicts");
    const QString file = folder + "/de_DE.user.dic";
    {
      TSynEditSpellCheck sc;
      sc.SetUserDictPath(folder);
      QVERIFY(sc.LoadDictionaries({SysDicts}, {}));
      QVERIFY(sc.SelectDictionary(DeDe));
      QVERIFY(!sc.CheckWord("Quillmarkwörter"));
      QVERIFY(sc.AddDictWord(" Quillmarkwörter "));
      QVERIFY(!sc.AddDictWord("Quillmarkwörter")); // duplicates ignored
      QVERIFY(sc.AddDictWord("Ärgerwort"));
      QVERIFY(sc.AddDictWord("abcxyz"));
      QVERIFY(sc.CheckWord("Quillmarkwörter"));
      QVERIFY(sc.Modified());
      QCOMPARE(sc.UserFileName(), QString("de_DE.user.dic"));
      // Switching language saves the list (creating the folder).
      QVERIFY(sc.SelectDictionary(EnUs));
      QCOMPARE(ReadAll(file), QString("Quillmarkwörter\nabcxyz\nÄrgerwort\n").toUtf8());
      QVERIFY(sc.SelectDictionary(DeDe));
      QVERIFY(sc.RemoveDictWord("abcxyz"));
      QVERIFY(!sc.RemoveDictWord("abcxyz"));
      QVERIFY(!sc.CheckWord("abcxyz"));
    } // the destructor saves
    QCOMPARE(ReadAll(file), QString("Quillmarkwörter\nÄrgerwort\n").toUtf8());
    {
      // A new run (a restart) knows the words again; emptying the list writes an empty file.
      TSynEditSpellCheck sc;
      sc.SetUserDictPath(folder);
      QVERIFY(sc.LoadDictionaries({SysDicts}, {}));
      QVERIFY(sc.SelectDictionary(DeDe));
      QVERIFY(sc.CheckWord("Ärgerwort"));
      QCOMPARE(sc.UserDict(), QStringList({"Quillmarkwörter", "Ärgerwort"}));
      QVERIFY(sc.RemoveDictWord("Quillmarkwörter"));
      QVERIFY(sc.RemoveDictWord("Ärgerwort"));
      QVERIFY(sc.SaveUserDictionary());
    }
    QVERIFY(QFile::exists(file));
    QCOMPARE(ReadAll(file), QByteArray());
    TSynEditSpellCheck sc;
    sc.SetUserDictPath(folder);
    QVERIFY(sc.LoadDictionaries({SysDicts}, {}));
    QVERIFY(sc.SelectDictionary(DeDe));
    QVERIFY(!sc.CheckWord("Ärgerwort"));
  }

  void userWordListWriteFailure() {
    QTemporaryDir dir;
    TSynEditSpellCheck sc;
    QStringList errors;
    sc.OnError = [&](const QString &e) { errors << e; };
    sc.SetUserDictPath(dir.path());
    QVERIFY(sc.LoadDictionaries({SysDicts}, {int(EnUs)}));
    QVERIFY(sc.SelectDictionary(EnUs));
    QVERIFY(sc.AddDictWord("Quillmarkish"));
    SetSimulatedWriteError(ENOSPC);
    QVERIFY(!sc.SaveUserDictionary());
    QVERIFY(sc.Modified()); // the word is not lost: the next save tries again
    QVERIFY(!sc.SaveUserDictionary());
    QVERIFY(sc.SelectDictionary(quint32(0)));
    SetSimulatedWriteError(0);
    QCOMPARE(errors.size(), 1); // reported once, not on every try
    QVERIFY(errors.first().contains("en_US.user.dic"));
    QVERIFY(sc.SelectDictionary(EnUs));
    QVERIFY(sc.SaveUserDictionary());
    QVERIFY(!sc.Modified());
    QCOMPARE(ReadAll(dir.filePath("en_US.user.dic")), QByteArray("Quillmarkish\n"));

    // A folder that cannot be created keeps the list modified too.
    QFile blocker(dir.filePath("file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    TSynEditSpellCheck bad;
    bad.OnError = [&](const QString &e) { errors << e; };
    bad.SetUserDictPath(dir.filePath("file/sub"));
    QVERIFY(bad.LoadDictionaries({SysDicts}, {int(EnUs)}));
    QVERIFY(bad.SelectDictionary(EnUs));
    QVERIFY(bad.AddDictWord("Quillmarkish"));
    QVERIFY(!bad.SaveUserDictionary());
    QVERIFY(bad.Modified());
    QCOMPARE(errors.size(), 2);
  }

  void brokenDictionaryReportsFailure() {
    QTemporaryDir prog;
    QVERIFY(QFile::copy(SysDicts + "en_US.aff", prog.filePath("en_GB.aff")));
    QVERIFY(QFile::copy(SysDicts + "en_US.dic", prog.filePath("en_GB.dic")));
    TSynEditSpellCheck sc;
    QStringList errors;
    sc.OnError = [&](const QString &e) { errors << e; };
    QVERIFY(sc.LoadDictionaries({prog.path()}, {}));
    QVERIFY(QFile::remove(prog.filePath("en_GB.dic"))); // gone after the list was made
    QVERIFY(!sc.SelectDictionary(quint32(0x0809)));
    QCOMPARE(errors.size(), 1);
    // Selecting it again must not claim success.
    QVERIFY(!sc.SelectDictionary(quint32(0x0809)));
    QVERIFY(!sc.Enabled());
  }
};

QTEST_GUILESS_MAIN(TstEditorSpell)
#include "tst_editor_spell.moc"
