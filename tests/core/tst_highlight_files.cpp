// Highlighting files: built-in colours, the shipped default and the user's file, damaged values,
// and the texts of the settings dialog.
#include "core/common/IniFileUtils.h"
#include "core/highlight/HighlightSet.h"

#include "FileSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

class TstHighlight : public QObject {
  Q_OBJECT
private slots:
  void userFileThenShippedThenBuiltIn() {
    QTemporaryDir dir;
    const QString user = dir.filePath("user"), prog = dir.filePath("prog");
    QVERIFY(QDir().mkpath(user) && QDir().mkpath(prog));
    const QString ini = user + "/X.ini";
    const THighlightSet builtIn = THighlightSet::BuiltIn(ftCss);
    QCOMPARE(LoadHighlightSet(ftCss, ini, prog, "Velmo"), builtIn);

    // The shipped default names its attributes in part; the rest keep their built-in values.
    {
      auto w = TUnicodeIniFile::CreateForWrite(prog + "/Velmo-CSS.hlt");
      w->WriteInteger("Property", "Foreground", 255);
      w->WriteString("Comment", "Foreground", "junk");   // unreadable: kept
      w->WriteInteger("Comment", "Style", 99);           // out of range: kept
      w->WriteInt64("Comment", "Background", 0x1000000); // not a colour: kept
      w->WriteInteger("Nonsense", "Foreground", 1);      // unknown attribute: ignored
      QVERIFY(w->UpdateFile());
    }
    THighlightSet shipped = LoadHighlightSet(ftCss, ini, prog, "Velmo");
    QCOMPARE(shipped.Find("Property")->Foreground, 255u);
    QCOMPARE(*shipped.Find("Comment"), *builtIn.Find("Comment"));
    QCOMPARE(shipped.Attributes().size(), builtIn.Attributes().size());

    // OK in the dialog writes the user's file, which wins from then on.
    shipped.Find("Value")->Background = 0x00FF00;
    shipped.Find("Value")->Style = 5;
    QVERIFY(SaveHighlightSet(shipped, ini));
    QCOMPARE(HighlightFileName(ini, ftCss), user + "/X-CSS.hlt");
    QCOMPARE(LoadHighlightSet(ftCss, ini, prog, "Velmo"), shipped);
    const auto r = TUnicodeIniFile::CreateForRead(user + "/X-CSS.hlt");
    for (const THighlightAttr &a : builtIn.Attributes())
      QVERIFY2(r->ValueExists(a.Name, "Style"), qPrintable(a.Name));
    QCOMPARE(r->ReadInt64("Text", "Background"), qint64(536870911));
    // Plain text has no file.
    QVERIFY(LoadHighlightSet(ftText, ini, prog, "Velmo").IsEmpty());
    QVERIFY(SaveHighlightSet(THighlightSet::BuiltIn(ftText), ini));
    QVERIFY(!QFileInfo::exists(user + "/X-Text.hlt"));
  }

  // A damaged file is moved aside by the INI class and the colours stay the built-in ones.
  void damagedFileGivesBuiltInColours() {
    QTemporaryDir dir;
    const QString ini = dir.filePath("X.ini");
    QVERIFY(WriteAll(dir.filePath("X-HTML.hlt"), QByteArray("\xFF\xFE\x00\xD8garbage", 11)));
    QCOMPARE(LoadHighlightSet(ftHtml, ini, dir.path(), "Velmo"), THighlightSet::BuiltIn(ftHtml));
  }

  // Every entry of the dialog names an attribute of its type.
  void entriesNameAttributes() {
    for (int t = ftHtml; t <= ftText; ++t) {
      const THighlightSet set = THighlightSet::BuiltIn(TFileTypes(t));
      QCOMPARE(HighlightEntries(TFileTypes(t)).empty(), t == ftText);
      for (const THighlightEntry &e : HighlightEntries(TFileTypes(t)))
        QVERIFY2(set.Find(e.Attribute), e.Caption);
    }
  }

  void sampleText_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("sample");
    QTest::newRow("inside parentheses") << "Comment (<!-- .. --!>)"
                                        << "<!-- .. --!>";
    QTest::newRow("quotes kept") << "Values (\"http;//..\")"
                                 << "\"http;//..\"";
    QTest::newRow("two blanks before") << "Entities  (&nbsp;)"
                                       << "&nbsp;";
    QTest::newRow("no parentheses") << "Unknown Tags"
                                    << "Unknown Tags";
  }
  void sampleText() {
    QFETCH(QString, entry);
    QFETCH(QString, sample);
    QCOMPARE(HighlightSampleText(entry), sample);
  }

  void typeListIsTrimmedAndLowered() { QCOMPARE(NormaliseTypeList(" HTM, Html "), QString("htm, html")); }
};

QTEST_APPLESS_MAIN(TstHighlight)
#include "tst_highlight_files.moc"
