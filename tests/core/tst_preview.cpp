// The preview page beside the document, the size list, reference addresses and the page check.
#include "core/preview/PageCheck.h"
#include "core/preview/PreviewFile.h"

#include "FileSupport.h"

#include <QTemporaryDir>
#include <QTest>

class TstPreview : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;

private slots:
  void pageBesideDocument() {
    const QString dir = FDir.filePath("site one");
    QDir().mkpath(dir);
    QCOMPARE(PreviewFileName(dir, "Velmo"), dir + "/~Velmo.html");
    QCOMPARE(PreviewFileName(dir + '/', "Velmo"), dir + "/~Velmo.html");
    // The page keeps the document's encoding: "é" in ANSI is one byte, and a character ANSI cannot
    // hold does not stop the preview.
    const QByteArray utf8 = QStringLiteral("<p>caf\u00e9 \u20ac \u4e2d</p>").toUtf8();
    TPreviewWrite w = WritePreviewFile(dir, "Velmo", utf8, seAnsi, false, false);
    QVERIFY2(w.Error.isEmpty(), qPrintable(w.Error));
    QCOMPARE(w.FileName, dir + "/~Velmo.html");
    const QByteArray ansi = ReadAll(w.FileName);
    QVERIFY(ansi.startsWith("<p>caf\xe9 \x80 "));
    w = WritePreviewFile(dir, "Velmo", utf8, seUTF8, true, false);
    QCOMPARE(ReadAll(w.FileName), QByteArray("\xEF\xBB\xBF") + utf8);
  }

  void templateExpandedWithoutLeftovers() {
    const QString dir = FDir.filePath("tmpl");
    QDir().mkpath(dir);
    const QByteArray htt = "<!-- #var\ntitle = Home\n-->\n<h1>[%title]</h1>\n";
    // Twice: the second run replaces the page of the first without keeping a backup of it.
    for (const char *title : {"Home", "Start"}) {
      const TPreviewWrite w =
          WritePreviewFile(dir, "Velmo", QByteArray(htt).replace("Home", title), seUTF8, false, true);
      QVERIFY2(!w.TemplateFailed, qPrintable(w.Error));
      QCOMPARE(w.FileName, dir + "/~Velmo.html");
      QVERIFY(ReadAll(w.FileName).contains(QByteArray("<h1>") + title + "</h1>"));
      QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{"~Velmo.html"});
    }
    // Without its header the template cannot be expanded: no page, the reason given.
    const TPreviewWrite bad = WritePreviewFile(dir, "Velmo", "<h1>[%title]</h1>\n", seUTF8, false, true);
    QVERIFY(bad.TemplateFailed);
    QVERIFY(bad.FileName.isEmpty());
    QVERIFY(!bad.Error.isEmpty());
    QVERIFY(!QFileInfo::exists(dir + "/~Velmo.htmp"));
  }

  void unwritableFolderReported() {
    const TPreviewWrite w = WritePreviewFile(FDir.filePath("missing/deeper"), "Velmo", "x", seUTF8, false, false);
    QVERIFY(w.FileName.isEmpty());
    QVERIFY(!w.Error.isEmpty());
    QVERIFY(!w.TemplateFailed);
  }

  void sizeEntries_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QSize>("size");
    QTest::newRow("listed") << "800x600" << QSize(800, 600);
    QTest::newRow("blanks") << " 1024 x 768 " << QSize(1024, 768);
    QTest::newRow("zero") << "0x600" << QSize();
    QTest::newRow("huge") << "99999x600" << QSize();
    QTest::newRow("negative") << "-800x600" << QSize();
    QTest::newRow("text") << "wide" << QSize();
    QTest::newRow("three parts") << "1x2x3" << QSize();
  }
  void sizeEntries() {
    QFETCH(QString, entry);
    QFETCH(QSize, size);
    QCOMPARE(ParseSizeEntry(entry), size);
    if (size.isValid())
      QCOMPARE(ParseSizeEntry(SizeEntryText(size)), size);
    for (const QString &e : PreviewSizeEntries())
      QVERIFY(ParseSizeEntry(e).isValid());
  }

  void referenceAddresses_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("address");
    QTest::newRow("web") << "https://example.org/wiki/Start" << "https://example.org/wiki/Start";
    QTest::newRow("local") << "/usr/share/doc/ref/index.html" << "file:///usr/share/doc/ref/index.html";
    QTest::newRow("backslashes") << "/srv/ref\\html\\index.htm" << "file:///srv/ref/html/index.htm";
    QTest::newRow("blank and percent") << "/srv/my ref/100%.html" << "file:///srv/my%20ref/100%25.html";
  }
  void referenceAddresses() {
    QFETCH(QString, path);
    QFETCH(QString, address);
    QCOMPARE(ReferenceAddress(path), address);
  }

  void checkPage() {
    // A tab and a character beyond the BMP before the fault: columns are the editor's (UTF-16).
    const QByteArray page = QStringLiteral("<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n"
                                           "<p>\t\U0001F600<foo>x</foo></p>\n<img src=\"a.png\">\n"
                                           "</body></html>\n")
                                .toUtf8();
    const TPageCheck check = CheckPage(page);
    QVERIFY(check.Available);
    QVERIFY(!check.Truncated);
    bool unknown = false, alt = false;
    for (const TPageMessage &m : check.Messages) {
      if (m.Text.contains("<foo> is not recognized")) {
        unknown = true;
        QCOMPARE(m.Line, 3);
        QCOMPARE(m.Column, 7); // "<p>" 3, tab 1, emoji 2: the tag starts at 7
        QVERIFY(m.Error);
      }
      if (m.Text.contains("alt", Qt::CaseInsensitive)) {
        alt = true;
        QCOMPARE(m.Line, 4);
        QCOMPARE(m.Column, 1);
      }
    }
    QVERIFY2(unknown && alt, qPrintable(check.Messages.isEmpty() ? QString("none") : check.Messages.first().Text));
    // A clean page has nothing to say; an empty text is no crash.
    const TPageCheck clean = CheckPage("<!DOCTYPE html>\n<html lang=\"en\"><head><title>t</title></head>"
                                       "<body><p>ok</p></body></html>\n");
    QVERIFY2(clean.Messages.isEmpty(), qPrintable(clean.Messages.value(0).Text));
    CheckPage("");
  }

  void checkPageBounded() {
    // Thousands of faults: the list stops at its bound and says so.
    QByteArray page = "<!DOCTYPE html>\n<html><head><title>t</title></head><body>\n";
    for (int i = 0; i < 3000; ++i)
      page += "<foo>\n";
    page += "</body></html>\n";
    const TPageCheck check = CheckPage(page);
    QCOMPARE(check.Messages.size(), MaxPageMessages);
    QVERIFY(check.Truncated);
  }
};

QTEST_GUILESS_MAIN(TstPreview)
#include "tst_preview.moc"
