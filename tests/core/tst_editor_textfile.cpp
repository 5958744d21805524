// Document files without an editor: saving onto a full disk, the charset declaration of pages,
// the caret marker of templates and the local-anchor entries.
#include "DiskFull.h"
#include "core/common/Encodings.h"
#include "core/editor/CommandCatalogue.h"
#include "core/editor/TextFile.h"

#include "FileSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstEditorTextFile : public QObject {
  Q_OBJECT

private slots:
  void fullDiskKeepsDocument_data() { TDiskFull::AddRows(); }
  void fullDiskKeepsDocument() {
    QFETCH(int, kind);
    TDiskFull disk{TDiskFull::TKind(kind)};
    if (!disk.SkipReason.isEmpty())
      QSKIP(qPrintable(disk.SkipReason));
    const QString f = disk.FilePath("page.html");
    const QByteArray old = "<p>K\xC3\xA4se</p>\n";
    QString error;
    QVERIFY(SaveUtf8TextFile(f, old, seUTF8, false, &error));
    QVERIFY(disk.MakeFull());
    // Each encoding takes its own way to the writer; none may leave an empty file.
    const QByteArray edited = "<p>K\xC3\xA4se und Brot</p>\n";
    for (TSynEncoding enc : {seUTF8, seAnsi, seUTF16LE}) {
      error.clear();
      QVERIFY(!SaveUtf8TextFile(f, edited, enc, false, &error));
      QCOMPARE(error, TDiskFull::NoSpaceText());
      QCOMPARE(ReadAll(f), old);
    }
    error.clear();
    QVERIFY(!SaveTextFile(f, QString::fromUtf8(edited), seUTF8, true, &error));
    QCOMPARE(error, TDiskFull::NoSpaceText());
    QCOMPARE(ReadAll(f), old);
    QStringList left = QDir(QFileInfo(f).path()).entryList(QDir::Files);
    left.removeAll("filler");
    QCOMPARE(left, QStringList{"page.html"});
  }

  void charsetDeclaration_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value"); // the declared name as found in text; empty for none
    QTest::addColumn<int>("enc");
    QTest::newRow("http-equiv") << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
                                << "utf-8" << int(seUTF8);
    QTest::newRow("http-equiv, content first, upper case")
        << "<META CONTENT=\"text/html; CHARSET = UTF-16\" HTTP-EQUIV=\"content-type\">"
        << "UTF-16" << int(seUTF16LE);
    QTest::newRow("html5 quoted") << "<head><meta charset=\"utf-8\"><title>x</title>"
                                  << "utf-8" << int(seUTF8);
    QTest::newRow("html5 single quotes, self-closed") << "<meta charset='UTF-8'/>"
                                                      << "UTF-8" << int(seUTF8);
    QTest::newRow("html5 unquoted") << "<meta charset=utf-8>"
                                    << "utf-8" << int(seUTF8);
    QTest::newRow("html5 upper case, spaces") << "<META name=\"x\"\n   CHARSET = \"ISO-8859-1\" >"
                                              << "ISO-8859-1" << int(seAnsi);
    QTest::newRow("html5 unknown name") << "<meta charset=\"koi8-r\">"
                                        << "koi8-r" << int(seAnsi);
    QTest::newRow("html5 after another meta")
        << "<meta name=\"a\" content=\"charset=x\"><meta charset=\"utf-8\">"
        << "utf-8" << int(seUTF8);
    QTest::newRow("the first declaration counts")
        << "<meta charset=\"utf-8\"><meta http-equiv=\"Content-Type\" content=\"text/html; "
           "charset=ISO-8859-1\">"
        << "utf-8" << int(seUTF8);
    QTest::newRow("charset in a paragraph")
        << "<meta http-equiv=\"Content-Type\" content=\"text/html\"><p>charset=x</p>"
        << "" << int(seAnsi);
    QTest::newRow("not a meta element") << "<metadata charset=\"utf-8\"><p charset=\"utf-8\">"
                                        << "" << int(seAnsi);
    QTest::newRow("empty value") << "<meta charset=\"\">"
                                 << "" << int(seAnsi);
    QTest::newRow("value that is no plain name") << "<meta charset=\"utf-8; x\">"
                                                 << "" << int(seAnsi);
    QTest::newRow("unclosed tag") << "<meta charset=\"utf-8\""
                                  << "" << int(seAnsi);
    QTest::newRow("tag opened inside another") << "<p <meta charset=utf-8>"
                                               << "utf-8" << int(seUTF8);
  }
  void charsetDeclaration() {
    QFETCH(QString, text);
    QFETCH(QString, value);
    QFETCH(int, enc);
    const TCharsetValue v = FindCharsetDeclaration(text);
    QCOMPARE(v.Start < 0 ? QString() : text.mid(v.Start, v.Length), value);
    QCOMPARE(int(EncodingFromHeader(text)), enc);
  }

  void caretMarker_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("after"); // empty: no marker, text unchanged
    QTest::addColumn<int>("line");
    QTest::addColumn<int>("col");
    QTest::newRow("last line") << "<p>\n</p>\n$2,5"
                               << "<p>\n</p>" << 2 << 5;
    QTest::newRow("last line with break, CR LF") << "<p>\r\n$12,3\r\n</p>\r\n"
                                                 << "<p>\r\n</p>\r\n"
                                                 << 12 << 3;
    QTest::newRow("CR breaks, trailing blanks") << "a\r$1,2  \rb"
                                                << "a\rb" << 1 << 2;
    QTest::newRow("the last marker wins") << "$1,1\nx\n$3,4\ny"
                                          << "$1,1\nx\ny" << 3 << 4;
    QTest::newRow("only the marker") << "$7,8"
                                     << "" << 7 << 8;
    QTest::newRow("zero counts as one") << "x\n$0,0\n"
                                        << "x\n"
                                        << 1 << 1;
    QTest::newRow("no marker: PHP variable") << "<?php\n$a = 1;\n?>"
                                             << "" << 0 << 0;
    QTest::newRow("no marker: three numbers") << "$1,2,3\n"
                                              << "" << 0 << 0;
    QTest::newRow("no marker: ten digits") << "$1234567890,1\n"
                                           << "" << 0 << 0;
    QTest::newRow("no marker: blank before") << " $1,2\n"
                                             << "" << 0 << 0;
  }
  void caretMarker() {
    QFETCH(QString, text);
    QFETCH(QString, after);
    QFETCH(int, line);
    QFETCH(int, col);
    QString t = text;
    TBufferCoord pos{0, 0};
    const bool found = TakeCaretMarker(t, &pos);
    QCOMPARE(found, line > 0);
    QCOMPARE(t, found ? after : text);
    if (found) {
      QCOMPARE(pos.Line, line);
      QCOMPARE(pos.Char, col);
      // The marker that SaveTemplate writes is the one read here.
      QCOMPARE(CaretMarkerLine(pos), QStringLiteral("$%1,%2").arg(line).arg(col));
    }
  }

  void localAnchorEntriesKeepNames() {
    // Names and link texts are data: "%1" and "%2" in them must come through as they stand.
    const QString text = QStringLiteral("<p>\n<a name=\"a%2Fb\">50% of %1</a>\n<a name=\"x|y\"></a>");
    const QStringList entries = ReadLocalAnchors(text);
    QCOMPARE(entries, QStringList({"|a%2Fb| (2): 50% of %1", "|x|y| (3): "}));
    QCOMPARE(AnchorNameOfEntry(entries[0]), QStringLiteral("a%2Fb"));
  }
};

QTEST_GUILESS_MAIN(TstEditorTextFile)
#include "tst_editor_textfile.moc"
