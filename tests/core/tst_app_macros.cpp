// Text macros: the list's rules and the macro file, byte for byte, including the lines the plain
// format cannot tell from headers, and files that are damaged or cannot be written.
#include "core/app/MacroList.h"
#include "core/common/SafeFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>

namespace {
QByteArray ReadBytes(const QString &f) {
  QFile file(f);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
bool WriteBytes(const QString &f, const QByteArray &d) {
  QFile file(f);
  return file.open(QIODevice::WriteOnly) && file.write(d) == d.size();
}
const QByteArray Bom("\xEF\xBB\xBF");
} // namespace

using TMacros = QList<TMacro>;
Q_DECLARE_METATYPE(TMacro)

class TstAppMacros : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString Path(const QString &name) const { return FDir.filePath(name); }

private slots:
  void fileBytes() {
    TMacroList l;
    QCOMPARE(l.Add(QStringLiteral("Greeting"), QStringLiteral("Hello\nWorld\n")), 0);
    QCOMPARE(l.Add(QStringLiteral(" Hash "), QStringLiteral("#not a header\r\nplain")), 1);
    QCOMPARE(l.FileBytes(), Bom + "#Greeting\r\nHello\r\nWorld\r\n\r\n#Hash\r\n\\#not a header\r\nplain\r\n");
  }

  // Every text survives a save and a load, and the second save writes the same bytes.
  void roundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");
    QTest::newRow("three lines, the last one empty") << "a\r\nb\r\n"
                                                     << "a\r\nb\r\n";
    QTest::newRow("LF from the editor becomes CR LF") << "a\nb\n"
                                                      << "a\r\nb\r\n";
    QTest::newRow("lone CR") << "a\rb"
                             << "a\r\nb";
    QTest::newRow("line starting with #") << "x\r\n#include <a>\r\n#"
                                          << "x\r\n#include <a>\r\n#";
    QTest::newRow("backslash before #") << "\\#x\r\n\\\\#y"
                                        << "\\#x\r\n\\\\#y";
    QTest::newRow("backslashes only") << "\\\r\n\\\\"
                                      << "\\\r\n\\\\";
    QTest::newRow("leading empty line") << "\r\nabc"
                                        << "\r\nabc";
    QTest::newRow("only line breaks") << "\r\n\r\n"
                                      << "\r\n\r\n";
    QTest::newRow("empty lines inside and at the end") << "a\r\n\r\n\r\nb\r\n\r\n"
                                                       << "a\r\n\r\n\r\nb\r\n\r\n";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Grüße € ő 😀") << QString::fromUtf8("Grüße € ő 😀");
    QTest::newRow("blanks kept") << "  indented\t\r\n  "
                                 << "  indented\t\r\n  ";
  }
  void roundTrip() {
    QFETCH(QString, text);
    QFETCH(QString, stored);
    TMacroList l;
    QCOMPARE(l.Add(QStringLiteral("first"), QStringLiteral("one")), 0);
    QCOMPARE(l.Add(QStringLiteral("under test"), text), 1);
    QCOMPARE(l.Add(QStringLiteral("last"), QStringLiteral("#two")), 2);
    QCOMPARE(l.At(1).Text, stored);
    const QString f = Path(QStringLiteral("round.mac"));
    QString error;
    QVERIFY2(l.Save(f, &error), qPrintable(error));
    const QByteArray written = ReadBytes(f);
    TMacroList back;
    QVERIFY2(back.Load(f, &error), qPrintable(error));
    QCOMPARE(back.Macros(), l.Macros());
    QVERIFY(back.Save(f, &error));
    QCOMPARE(ReadBytes(f), written);
  }

  void reading_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<TMacros>("macros");
    QTest::newRow("without BOM: Windows-1252")
        << QByteArray("#Euro\r\n\x80 and \xE9\r\n") << TMacros{{"Euro", QString::fromUtf8("€ and é")}};
    QTest::newRow("UTF-8 BOM") << Bom + QString::fromUtf8("#Ö\r\n€\r\n").toUtf8()
                               << TMacros{{QString::fromUtf8("Ö"), QString::fromUtf8("€")}};
    QTest::newRow("UTF-16LE BOM") << QByteArray("\xFF\xFE#\0a\0\r\0\n\0x\0", 12) << TMacros{{"a", "x"}};
    QTest::newRow("lines before the first header are dropped")
        << QByteArray("junk\r\n#a\r\nx\r\n") << TMacros{{"a", "x"}};
    QTest::newRow("empty text or name: dropped, text of a nameless one too")
        << QByteArray("#empty\r\n#\r\norphan\r\n#   \r\nx\r\n#ok\r\ny\r\n") << TMacros{{"ok", "y"}};
    QTest::newRow("empty lines before the text of older files")
        << QByteArray("#a\r\n\r\n\r\nx\r\n\r\n") << TMacros{{"a", "x\r\n"}};
    QTest::newRow("LF-only file, name trimmed") << QByteArray("#  a b \nx\ny") << TMacros{{"a b", "x\r\ny"}};
    QTest::newRow("protected lines") << QByteArray("#a\r\n\\\r\n\\#x\r\n\\y\r\n")
                                     << TMacros{{"a", "\r\n#x\r\n\\y"}};
  }
  void reading() {
    QFETCH(QByteArray, data);
    QFETCH(TMacros, macros);
    TMacros got;
    QString error;
    QVERIFY2(TMacroList::ParseFile(data, got, &error), qPrintable(error));
    QCOMPARE(got, macros);
  }

  void listRules() {
    TMacroList l;
    QCOMPARE(l.Add(QStringLiteral("Header"), QStringLiteral("h")), 0);
    QCOMPARE(l.Add(QStringLiteral("hEADER"), QStringLiteral("x")), -1); // same name: the caller asks first
    QCOMPARE(l.IndexOf(QStringLiteral("  HEADER ")), 0);
    QCOMPARE(l.Add(QStringLiteral("  \r\n "), QStringLiteral("x")), -1);
    QCOMPARE(l.Add(QStringLiteral("two\nlines"), QStringLiteral("x")), 1);
    QCOMPARE(l.At(1).Name, QStringLiteral("two lines"));
    QVERIFY(!l.Rename(0, QStringLiteral(" ")));
    QVERIFY(l.Rename(0, QStringLiteral("Top")));
    QCOMPARE(l.Add(QStringLiteral("c"), QStringLiteral("x")), 2);
    QCOMPARE(l.MoveUp(0), -1);
    QCOMPARE(l.MoveDown(2), -1);
    QCOMPARE(l.MoveDown(0), 1);
    QCOMPARE(l.Names(), (QStringList{"two lines", "Top", "c"}));
    QCOMPARE(l.MoveUp(2), 1);
    QCOMPARE(l.Names(), (QStringList{"two lines", "c", "Top"}));
    QCOMPARE(l.Delete(2), 1); // the last one: the new last is selected
    QCOMPARE(l.Delete(0), 0);
    QCOMPARE(l.Delete(0), -1); // the only one: nothing left to select
    QVERIFY(l.IsEmpty());
    QCOMPARE(TMacroList::MacroFileName(QStringLiteral("/home/u/.config/Tamrix/Velmo.ini")),
             QStringLiteral("/home/u/.config/Tamrix/Velmo.mac"));
  }

  void missingFileIsEmpty() {
    TMacroList l;
    QVERIFY(l.Load(Path(QStringLiteral("none.mac"))));
    QVERIFY(l.IsEmpty());
  }

  // A file that cannot be read is never replaced by less than it held.
  void damagedFile_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<qint64>("sparseSize");
    QTest::newRow("invalid UTF-8 after the BOM") << Bom + "#a\r\n\xC3(\r\n" << qint64(0);
    QTest::newRow("zero bytes") << QByteArray("#a\r\n\0\0\0\0", 8) << qint64(0);
    QTest::newRow("too large") << QByteArray() << TMacroList::MaxFileSize + 1;
  }
  void damagedFile() {
    QFETCH(QByteArray, data);
    QFETCH(qint64, sparseSize);
    QTemporaryDir dir;
    const QString f = dir.filePath(QStringLiteral("Velmo.mac"));
    QVERIFY(WriteBytes(f, data));
    if (sparseSize)
      QVERIFY(QFile::resize(f, sparseSize));
    const qint64 size = QFileInfo(f).size();
    TMacroList l;
    QString error;
    QVERIFY(!l.Load(f, &error));
    QVERIFY(error.contains(f));
    QVERIFY(l.IsEmpty());
    QVERIFY(l.Save(f, &error)); // unchanged: the file is left alone
    QCOMPARE(QFileInfo(f).size(), size);
    QCOMPARE(l.Add(QStringLiteral("new"), QStringLiteral("text")), 0);
    QString kept;
    QVERIFY2(l.Save(f, &error, &kept), qPrintable(error));
    QCOMPARE(kept, f + QStringLiteral(".damaged"));
    QCOMPARE(QFileInfo(kept).size(), size);
    if (!sparseSize)
      QCOMPARE(ReadBytes(kept), data);
    QCOMPARE(ReadBytes(f), Bom + "#new\r\ntext\r\n");
  }

  void failedWriteKeepsFile() {
    const QString f = Path(QStringLiteral("full.mac"));
    TMacroList l;
    l.Add(QStringLiteral("a"), QStringLiteral("x"));
    QVERIFY(l.Save(f));
    l.Add(QStringLiteral("b"), QStringLiteral("y"));
    SetSimulatedWriteError(ENOSPC);
    QString error;
    const bool ok = l.Save(f, &error);
    SetSimulatedWriteError(0);
    QVERIFY(!ok);
    QVERIFY(error.contains(f));
    QVERIFY(l.Modified());
    QCOMPARE(ReadBytes(f), Bom + "#a\r\nx\r\n");
  }
};

QTEST_GUILESS_MAIN(TstAppMacros)
#include "tst_app_macros.moc"
