// The texts the link, URL and image dialogs produce: URLs, relative links, link and image
// attribute texts, anchor choices, filters and the decoder an image name selects.
#include "core/common/IniFileUtils.h"
#include "core/common/Settings.h"
#include "core/dialogs/LinkTags.h"

#include <QTemporaryDir>
#include <QTest>

class TstDialogsTags : public QObject {
  Q_OBJECT

private slots:
  void isUrl_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::newRow("http") << "http://x.org/a.png" << 1;
    QTest::newRow("upper case") << "HTTP://X" << 1;
    QTest::newRow("ftp") << "ftp://host/f" << 2;
    QTest::newRow("mailto") << "mailto:a@b" << 3;
    QTest::newRow("news") << "news:comp.lang" << 4;
    QTest::newRow("ldap") << "ldap:x" << 5;
    QTest::newRow("telnet") << "telnet://h" << 6;
    QTest::newRow("https is a URL too") << "https://example.org/i.png" << 7;
    QTest::newRow("relative file") << "img/http.png" << 0;
    QTest::newRow("absolute file") << "/srv/http://x" << 0;
    QTest::newRow("empty") << "" << 0;
  }
  void isUrl() {
    QFETCH(QString, text);
    QFETCH(int, kind);
    QCOMPARE(IsURL(text), kind);
  }

  void linkToFile_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("linkCase");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blank kept") << "/site/docs/a b.html"
                                << "/site" << int(lcUnchanged) << "docs/a b.html";
    QTest::newRow("lower case") << "/web/Img/Logo.PNG"
                                << "/web/" << int(lcLower) << "img/logo.png";
    QTest::newRow("upper case") << "/web/img/logo.png"
                                << "/web" << int(lcUpper) << "IMG/LOGO.PNG";
    QTest::newRow("beside the folder") << "/web/other/x.html"
                                       << "/web/site" << int(lcUnchanged) << "../other/x.html";
    QTest::newRow("same folder") << "/web/index.html"
                                 << "/web" << int(lcUnchanged) << "index.html";
  }
  void linkToFile() {
    QFETCH(QString, file);
    QFETCH(QString, folder);
    QFETCH(int, linkCase);
    QFETCH(QString, expected);
    QCOMPARE(LinkToFile(file, folder, linkCase), expected);
  }

  void addressFile() {
    QCOMPARE(AddressFile(QStringLiteral("sub/page.html#top"), QStringLiteral("/web")),
             QStringLiteral("/web/sub/page.html"));
    QCOMPARE(AddressFile(QStringLiteral("#top"), QStringLiteral("/web")), QString());
    QCOMPARE(AddressFile(QStringLiteral("a#b#c"), QStringLiteral("/web"), false), QStringLiteral("/web/a"));
  }

  // Title and target come out of the old text and go back in a fixed order; everything else
  // of the old text is dropped.
  void linkAttributes_data() {
    QTest::addColumn<QString>("attrs");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("rebuilt");
    QTest::newRow("empty") << ""
                           << "" << 0 << "";
    QTest::newRow("both") << " target=\"_blank\" title=\"Home\""
                          << "Home" << 1 << " title=\"Home\" target=\"_blank\"";
    QTest::newRow("target case") << " TARGET=\"_TOP\""
                                 << "" << 4 << " target=\"_top\"";
    QTest::newRow("unknown target") << " target=\"main\""
                                    << "" << 0 << "";
    QTest::newRow("other attributes dropped") << " class=\"x\" title=\"T\""
                                              << "T" << 0 << " title=\"T\"";
    QTest::newRow("unclosed title ignored") << " title=\"abc"
                                            << "" << 0 << "";
    QTest::newRow("empty title") << " title=\"\" target=\"_self\""
                                 << "" << 2 << " target=\"_self\"";
  }
  void linkAttributes() {
    QFETCH(QString, attrs);
    QFETCH(QString, title);
    QFETCH(int, target);
    QFETCH(QString, rebuilt);
    const TLinkAttributes a = ParseLinkAttributes(attrs);
    QCOMPARE(a.Title, title);
    QCOMPARE(a.Target, target);
    QCOMPARE(BuildLinkAttributes(a), rebuilt);
    // What was written reads back the same.
    QCOMPARE(BuildLinkAttributes(ParseLinkAttributes(rebuilt)), rebuilt);
  }

  void anchorChoice_data() {
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("name");
    QTest::newRow("with text") << "intro (Introduction)"
                               << "intro";
    QTest::newRow("plain") << " top "
                           << "top";
    QTest::newRow("empty") << ""
                           << "";
  }
  void anchorChoice() {
    QFETCH(QString, entry);
    QFETCH(QString, name);
    QCOMPARE(AnchorChoice(entry), name);
  }

  void filterIndexOf_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("index");
    QTest::newRow("html") << "a.html" << 0;
    QTest::newRow("htm upper") << "A.HTM" << 0;
    QTest::newRow("pdf with anchor") << "doc.pdf#page" << 1;
    QTest::newRow("unknown") << "x.zip" << 2;
    QTest::newRow("no extension") << "README" << 2;
    QTest::newRow("htm does not match html") << "x.ht" << 2;
  }
  void filterIndexOf() {
    QFETCH(QString, file);
    QFETCH(int, index);
    QCOMPARE(FilterIndexOf(QStringLiteral("HTML document|*.htm;*.html|PDF document|*.pdf|all|*.*"), file),
             index);
  }

  void imageAttributes_data() {
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("new element: border 0 only") << ""
                                                << " border=\"0\"";
    QTest::newRow("full order") << " vspace=\"3\" hspace=\"4\" border=\"2\" align=\"RIGHT\" height=\"20\" "
                                   "width=\"10\" title=\"T\" alt=\"A\""
                                << " alt=\"A\" title=\"T\" width=\"10\" height=\"20\" align=\"right\" "
                                   "border=\"2\" hspace=\"4\" vspace=\"3\"";
    QTest::newRow("usemap and onclick kept at the end")
        << " alt=\"Logo\" usemap=\"#m\" onclick=\"go()\""
        << " alt=\"Logo\" border=\"0\" usemap=\"#m\" onclick=\"go()\"";
    QTest::newRow("unknown align dropped") << " align=\"center\""
                                           << " border=\"0\"";
    QTest::newRow("empty alt reads empty") << " alt=\"\" width=\"5\""
                                           << " width=\"5\" border=\"0\"";
    QTest::newRow("name without value skipped") << " alt width=\"5\""
                                                << " width=\"5\" border=\"0\"";
    QTest::newRow("no integer reads 0") << " border=\"x\" hspace=\"2px\""
                                        << " border=\"0\"";
    QTest::newRow("values trimmed") << " alt=\"  a b  \""
                                    << " alt=\"a b\" border=\"0\"";
    QTest::newRow("blanks around =") << " width = \"7\""
                                     << " width=\"7\" border=\"0\"";
    QTest::newRow("name inside a value is no attribute")
        << " title=\"width=&quot;\" height=\"3\""
        << " title=\"width=&quot;\" height=\"3\" border=\"0\"";
    QTest::newRow("data-alt is not alt") << " data-alt=\"x\""
                                         << " border=\"0\"";
  }
  void imageAttributes() {
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(BuildImageAttributes(ParseImageAttributes(in)), out);
  }

  void imageAttributeChoices() {
    TImageAttributes a;
    a.Width = QStringLiteral("10");
    a.Height = QStringLiteral("20");
    a.Align = iaLeft;
    a.HSpace = SpacingForAlign(a.Align, a.HSpace);
    QCOMPARE(BuildImageAttributes(a),
             QStringLiteral(" width=\"10\" height=\"20\" align=\"left\" border=\"0\" hspace=\"5\""));
    QCOMPARE(SpacingForAlign(iaTop, 0), 0);
    QCOMPARE(SpacingForAlign(iaRight, 8), 8);
    a.Border = -1;
    a.Align = iaNone;
    a.HSpace = 0;
    QCOMPARE(BuildImageAttributes(a), QStringLiteral(" width=\"10\" height=\"20\""));
  }

  void imageFormat_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("format");
    QTest::newRow("jpg") << "a.jpg" << int(ifJpeg);
    QTest::newRow("jpeg") << "a.JPEG" << int(ifJpeg);
    QTest::newRow("gif") << "img/a.gif" << int(ifGif);
    QTest::newRow("png upper") << "A.PNG" << int(ifPng);
    QTest::newRow("webp") << "a.webp" << int(ifWebp);
    QTest::newRow("svg") << "a.svg" << int(ifSvg);
    QTest::newRow("bmp") << "a.bmp" << int(ifNone);
    QTest::newRow("part of a name") << "a.jp" << int(ifNone);
    QTest::newRow("no extension") << "png" << int(ifNone);
  }
  void imageFormat() {
    QFETCH(QString, name);
    QFETCH(int, format);
    QCOMPARE(int(ImageFormatOf(name)), format);
  }

  // The URL may name the suffix, never the folder or the name of the copy.
  void downloadFileName_data() {
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << "http://h/img/a.png"
                         << "/cfg/~Velmo.png";
    QTest::newRow("query ignored") << "http://h/a.gif?x=../../y"
                                   << "/cfg/~Velmo.gif";
    QTest::newRow("path in suffix") << "http://h/a.png%2F..%2Fb"
                                    << "/cfg/~Velmo";
    QTest::newRow("long suffix") << "http://h/a.abcdefghij"
                                 << "/cfg/~Velmo";
    QTest::newRow("no suffix") << "https://h/image"
                               << "/cfg/~Velmo";
    QTest::newRow("dot folder") << "http://h/a.d/img"
                                << "/cfg/~Velmo";
  }
  void downloadFileName() {
    QFETCH(QString, url);
    QFETCH(QString, name);
    QCOMPARE(DownloadFileName(QStringLiteral("/cfg"), QStringLiteral("Velmo"), url), name);
  }

  // The dialogs' histories, the URL dialog's filter and the map editor's place in the settings.
  void settingsRoundTrip() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Velmo.ini"));
    TAppSettings s;
    QCOMPARE(s.UrlFileFilter, QStringLiteral("HTML document|*.htm;*.html|PDF document|*.pdf|all|*.*"));
    s.UrlList = {QStringLiteral("a.html"), QStringLiteral("b.html#x")};
    s.LinkList = {QStringLiteral("style.css")};
    s.ImageList = {QStringLiteral("img/a.png")};
    s.UrlFileFilter = QStringLiteral("all|*.*");
    s.ImageMap = {10, 20, 300, 200, 0};
    {
      auto ini = TUnicodeIniFile::CreateForWrite(file);
      s.Write(*ini, true);
      QVERIFY(ini->UpdateFile());
    }
    // A maximised editor keeps the size it had in the file.
    {
      TAppSettings m = s;
      m.ImageMap = {0, 0, 1920, 1080, 2};
      auto ini = TUnicodeIniFile::CreateForWrite(file);
      m.Write(*ini, true);
      QVERIFY(ini->UpdateFile());
    }
    TAppSettings r;
    r.Read(*TUnicodeIniFile::CreateForRead(file), true);
    QCOMPARE(r.UrlList, s.UrlList);
    QCOMPARE(r.LinkList, s.LinkList);
    QCOMPARE(r.ImageList, s.ImageList);
    QCOMPARE(r.UrlFileFilter, s.UrlFileFilter);
    QCOMPARE(r.ImageMap.Width, 300);
    QCOMPARE(r.ImageMap.Left, 10);
    QCOMPARE(r.ImageMap.State, 2);
  }
};

QTEST_GUILESS_MAIN(TstDialogsTags)
#include "tst_dialogs_tags.moc"
