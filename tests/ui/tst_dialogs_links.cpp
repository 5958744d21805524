// The link, URL and image dialogs and the image map editor on real widgets: image sizes from
// files and from a loopback HTTP server, the texts the dialogs return, and shapes drawn with
// the mouse.
#include "../TestSupport.h"
#include "core/dialogs/LinkTags.h"
#include "ui/common/HistoryCombo.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/ImageDlg.h"
#include "ui/dialogs/ImageLoad.h"
#include "ui/dialogs/ImageMapEditor.h"
#include "ui/dialogs/UrlDlg.h"
#include "ui/editor/ConversionCommands.h"
#include "ui/editor/InsertCommands.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {
bool WriteImage(const QString &file, int w, int h, const char *format) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img.save(file, format);
}

bool WriteText(const QString &file, const QByteArray &text) {
  QFile f(file);
  return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

// Qt reads GIF but cannot write it: a one-colour GIF of any size, its pixel data coded with a
// clear code before every second pixel so that every code stays three bits wide.
bool WriteGif(const QString &file, int w, int h) {
  QByteArray g("GIF89a");
  const auto word = [&g](int v) { g.append(char(v & 0xFF)).append(char(v >> 8)); };
  word(w);
  word(h);
  g.append(char(0x80)).append('\0').append('\0'); // global table of 2 colours
  g.append("\xFF\xFF\xFF\x00\x00\x00", 6);
  g.append(',');
  word(0);
  word(0);
  word(w);
  word(h);
  g.append('\0').append(char(2)); // no local table; minimum code size 2
  QByteArray data;
  quint32 acc = 0;
  int bits = 0;
  const auto code = [&](int c) {
    acc |= quint32(c) << bits;
    bits += 3;
    while (bits >= 8) {
      data.append(char(acc & 0xFF));
      acc >>= 8;
      bits -= 8;
    }
  };
  for (int i = 0; i < w * h; ++i) {
    if (i % 2 == 0)
      code(4); // clear
    code(0);
  }
  code(5); // end of information
  if (bits > 0)
    data.append(char(acc & 0xFF));
  for (qsizetype i = 0; i < data.size(); i += 255) {
    const QByteArray block = data.mid(i, 255);
    g.append(char(block.size())).append(block);
  }
  g.append('\0').append(';');
  return WriteText(file, g);
}

// A loopback server in a child process: "http" serves folder with Python's http.server, "slow"
// accepts connections and never answers. Stopped with the test.
class TLoopServer {
public:
  int Port = 0;
  ~TLoopServer() {
    if (FProc.state() != QProcess::NotRunning) {
      FProc.kill();
      FProc.waitForFinished(3000);
    }
  }
  bool Start(const QString &kind, const QString &folder) {
    QStringList args;
    if (kind == u"http")
      args << QStringLiteral("-u") << QStringLiteral("-m") << QStringLiteral("http.server")
           << QStringLiteral("0") << QStringLiteral("--bind") << QStringLiteral("127.0.0.1")
           << QStringLiteral("--directory") << folder;
    else if (kind == u"https") // folder/cert.pem and folder/key.pem
      args << QStringLiteral("-u") << QStringLiteral("-c")
           << QStringLiteral("import functools, http.server, ssl, sys\n"
                             "d=sys.argv[1]\n"
                             "h=functools.partial(http.server.SimpleHTTPRequestHandler, directory=d)\n"
                             "s=http.server.HTTPServer(('127.0.0.1',0),h)\n"
                             "c=ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)\n"
                             "c.load_cert_chain(d+'/cert.pem', d+'/key.pem')\n"
                             "s.socket=c.wrap_socket(s.socket, server_side=True)\n"
                             "print('Serving HTTPS on 127.0.0.1 port %d' % s.server_address[1], flush=True)\n"
                             "s.serve_forever()\n")
           << folder;
    else
      args << QStringLiteral("-u") << QStringLiteral("-c")
           << QStringLiteral("import socket\n"
                             "s=socket.socket(); s.bind(('127.0.0.1',0)); s.listen(5)\n"
                             "print('Serving HTTP on 127.0.0.1 port %d' % s.getsockname()[1], flush=True)\n"
                             "keep=[]\n"
                             "while True: keep.append(s.accept())\n");
    FProc.start(QStringLiteral("/usr/bin/python3"), args);
    if (!FProc.waitForStarted(5000))
      return false;
    static const QRegularExpression re(QStringLiteral("port (\\d+)"));
    QByteArray out;
    for (int i = 0; i < 100 && Port == 0; ++i) {
      FProc.waitForReadyRead(100);
      out += FProc.readAllStandardOutput();
      const QRegularExpressionMatch m = re.match(QString::fromUtf8(out));
      if (m.hasMatch())
        Port = m.captured(1).toInt();
    }
    return Port > 0;
  }

private:
  QProcess FProc;
};
} // namespace

class TstDialogsLinks : public QObject {
  Q_OBJECT

  QTemporaryDir FDir;
  QStringList FMessages;

  QString Path(const QString &name) const { return FDir.filePath(name); }

private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    QVERIFY(QDir(FDir.path()).mkpath(QStringLiteral("img")));
    QVERIFY(QDir(FDir.path()).mkpath(QStringLiteral("sub")));
    QVERIFY(WriteImage(Path("img/a.png"), 30, 20, "PNG"));
    QVERIFY(WriteImage(Path("img/b.jpg"), 41, 17, "JPEG"));
    QVERIFY(WriteImage(Path("img/c.jpeg"), 12, 34, "JPEG"));
    QVERIFY(WriteGif(Path("img/d.gif"), 15, 9));
    QVERIFY(WriteImage(Path("img/e.bmp"), 5, 5, "BMP"));
    QVERIFY(WriteImage(Path("img/png-named.jpg"), 5, 5, "PNG"));
    QVERIFY(WriteImage(Path("img/Logo.PNG"), 8, 6, "PNG"));
    QVERIFY(WriteImage(Path("img/map.png"), 300, 200, "PNG"));
    QVERIFY(WriteText(Path("img/f.svg"),
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"48\">"
                      "<rect width=\"10\" height=\"10\"/></svg>"));
    QVERIFY(WriteText(Path("img/g.svg"), "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 120 90\">"
                                         "<rect width=\"10\" height=\"10\"/></svg>"));
    QVERIFY(WriteText(Path("sub/page.html"), "<html><body><a name=\"intro\">Introduction</a>"
                                             "<a name=\"end\">End</a></body></html>"));
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FMessages << text;
      return mrYes;
    });
  }

  void init() { FMessages.clear(); }

  void imageSize_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("error");
    QTest::newRow("png") << "img/a.png" << QSize(30, 20) << "";
    QTest::newRow("jpg") << "img/b.jpg" << QSize(41, 17) << "";
    QTest::newRow("jpeg") << "img/c.jpeg" << QSize(12, 34) << "";
    QTest::newRow("gif") << "img/d.gif" << QSize(15, 9) << "";
    QTest::newRow("svg width and height") << "img/f.svg" << QSize(64, 48) << "";
    QTest::newRow("svg viewBox") << "img/g.svg" << QSize(120, 90) << "";
    QTest::newRow("bmp") << "img/e.bmp" << QSize() << "Invalid image format!";
    QTest::newRow("png named jpg") << "img/png-named.jpg" << QSize() << "Invalid image format!";
    QTest::newRow("missing") << "img/none.png" << QSize() << "not found!";
  }
  void imageSize() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QString, error);
    const TImageLoad r = LoadImageFile(Path(file));
    QCOMPARE(r.Image.size(), size.isValid() ? size : QSize(0, 0));
    QVERIFY2(error.isEmpty() ? r.Error.isEmpty() : r.Error.endsWith(error), qPrintable(r.Error));
  }

  void webpSize() {
    if (!QImageWriter::supportedImageFormats().contains("webp"))
      QSKIP("no WebP plugin (qt6-image-formats-plugins)");
    QVERIFY(WriteImage(Path("img/h.webp"), 33, 22, "WEBP"));
    QCOMPARE(LoadImageFile(Path("img/h.webp")).Image.size(), QSize(33, 22));
  }

  // The file button of a new element: size and border 0, nothing else; the link in lower case.
  void imageDialogNewFile() {
    TImageDialog d;
    d.LinkCase = lcLower;
    d.Begin(FDir.path(), QString(), QString());
    d.FileChosen(Path("img/Logo.PNG"));
    QCOMPARE(d.URLCombo->currentText(), QStringLiteral("img/logo.png"));
    QString image, attrs;
    d.End(image, attrs);
    QCOMPARE(image, QStringLiteral("img/logo.png"));
    QCOMPARE(attrs, QStringLiteral(" width=\"8\" height=\"6\" border=\"0\""));
    QCOMPARE(d.History()->Item(0), QStringLiteral("img/logo.png"));

    // An invalid file empties the size fields with the message.
    d.FileChosen(Path("img/e.bmp"));
    QCOMPARE(FMessages, QStringList{QStringLiteral("Invalid image format!")});
    QVERIFY(d.edWidth->text().isEmpty());
  }

  void imageDialogEdit() {
    TImageDialog d;
    d.Begin(FDir.path(), QStringLiteral("img/a.png"),
            QStringLiteral(" alt=\"Logo\" align=\"center\" usemap=\"#m\" onclick=\"go()\""));
    QCOMPARE(d.PaintBox->Image().size(), QSize(30, 20));
    QCOMPARE(d.cbAlign->currentIndex(), 0);
    d.cbAlign->setCurrentIndex(1); // "left" gives spacing 5
    QCOMPARE(d.udHSpace->value(), 5);
    QString image, attrs;
    d.End(image, attrs);
    QCOMPARE(image, QStringLiteral("img/a.png"));
    QCOMPARE(attrs,
             QStringLiteral(
                 " alt=\"Logo\" align=\"left\" border=\"0\" hspace=\"5\" usemap=\"#m\" onclick=\"go()\""));
    d.udBorder->setValue(-1);
    d.Reset();
    QCOMPARE(d.udBorder->value(), 0);
  }

  void previewKeepsAspect_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("drawn");
    QTest::newRow("fits") << QSize(100, 50) << QRect(0, 0, 100, 50);
    QTest::newRow("wide") << QSize(414, 100) << QRect(0, 0, 207, 50);
    QTest::newRow("tall") << QSize(100, 484) << QRect(0, 0, 50, 242);
  }
  void previewKeepsAspect() {
    QFETCH(QSize, picture);
    QFETCH(QRect, drawn);
    QCOMPARE(TImagePreview::PictureRect(picture, QSize(207, 242)), drawn);
  }

  void imageUrl() {
    TLoopServer server;
    QVERIFY(server.Start(QStringLiteral("http"), FDir.path()));
    QTemporaryDir data;
    TImageDialog d;
    d.DataFolder = data.path();
    const QString base = QStringLiteral("http://127.0.0.1:") + QString::number(server.Port);
    d.Begin(FDir.path(), base + QStringLiteral("/img/b.jpg"), QString());
    QCOMPARE(d.PaintBox->Image().size(), QSize(41, 17));
    QVERIFY(QFileInfo::exists(data.filePath(QStringLiteral("~Velmo.jpg"))));
    QVERIFY(FMessages.isEmpty());

    d.URLCombo->setEditText(base + QStringLiteral("/img/none.png"));
    d.CalcSize();
    QCOMPARE(FMessages.size(), 2); // the transfer's error, then "not available"
    QVERIFY2(FMessages[0].contains(QLatin1String("404")) || FMessages[0].contains(QLatin1String("ot found")),
             qPrintable(FMessages[0]));
    QCOMPARE(FMessages[1], QStringLiteral("Image dimensions not available!"));
  }

  // An https image from a loopback server whose certificate the test trusts.
  void imageUrlHttps() {
    if (!QSslSocket::supportsSsl())
      QSKIP("no TLS backend");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
                   QStringLiteral("-keyout"), Path("key.pem"), QStringLiteral("-out"), Path("cert.pem")});
    QVERIFY(openssl.waitForFinished(30000));
    QCOMPARE(openssl.exitCode(), 0);
    const QList<QSslCertificate> certs = QSslCertificate::fromPath(Path("cert.pem"));
    QCOMPARE(certs.size(), 1);
    TLoopServer server;
    QVERIFY(server.Start(QStringLiteral("https"), FDir.path()));
    const QString url =
        QStringLiteral("https://127.0.0.1:") + QString::number(server.Port) + QStringLiteral("/img/d.gif");
    // A certificate nobody vouches for is an error, never silently accepted.
    QTemporaryDir data;
    QVERIFY(!DownloadFile(url, data.filePath(QStringLiteral("x")), 5000).isEmpty());
    QVERIFY(!QFileInfo::exists(data.filePath(QStringLiteral("x"))));
    const QSslConfiguration old = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = old;
    trusting.addCaCertificate(certs[0]);
    QSslConfiguration::setDefaultConfiguration(trusting);
    TImageDialog d;
    d.DataFolder = data.path();
    d.Begin(FDir.path(), url, QString());
    QSslConfiguration::setDefaultConfiguration(old);
    QVERIFY2(FMessages.isEmpty(), qPrintable(FMessages.join(u'\n')));
    QCOMPARE(d.PaintBox->Image().size(), QSize(15, 9));
  }

  void imageUrlFailures_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("closed port") << "closed";
    QTest::newRow("slow server") << "slow";
  }
  void imageUrlFailures() {
    QFETCH(QString, kind);
    TLoopServer server;
    int port = 0;
    if (kind == u"slow") {
      QVERIFY(server.Start(kind, FDir.path()));
      port = server.Port;
    } else {
      QTcpServer probe;
      QVERIFY(probe.listen(QHostAddress::LocalHost));
      port = probe.serverPort();
    }
    QTemporaryDir data;
    const QString url =
        QStringLiteral("http://127.0.0.1:") + QString::number(port) + QStringLiteral("/a.png");
    const QString error = DownloadFile(url, data.filePath(QStringLiteral("x")), 500);
    QVERIFY(!error.isEmpty());
    if (kind == u"slow")
      QVERIFY2(error.contains(QLatin1String("time-out")), qPrintable(error));
    QVERIFY(!QFileInfo::exists(data.filePath(QStringLiteral("x"))));
  }

  // "Insert reference" with a file and one of its anchors; title and target come back.
  void urlDialog() {
    TURLEingabeDialog d;
    d.BeginHtmlRef(QStringLiteral("Insert reference"), FDir.path(),
                   QStringLiteral(" target=\"_top\" title=\"T\""), QStringLiteral("text"), QString());
    QCOMPARE(d.edHinweis->text(), QStringLiteral("T"));
    QCOMPARE(d.cbTarget->currentIndex(), 4);
    QVERIFY(!d.btnAnchor->isEnabled());
    d.FileChosen(Path("sub/page.html"));
    QCOMPARE(d.URLCombo->currentText(), QStringLiteral("sub/page.html"));
    QVERIFY(d.btnAnchor->isEnabled());
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QString::number(QFileInfo(Path("sub/page.html")).size()) + " B");
    QStringList offered;
    QString shownFile;
    d.SelectAnchor = [&](const QString &description, const QStringList &items, QString &chosen) {
      offered = items;
      shownFile = description;
      chosen = items.value(0);
      return 1;
    };
    d.AddAnchor();
    QCOMPARE(shownFile, QStringLiteral("page.html"));
    QCOMPARE(offered.size(), 2);
    QVERIFY2(!offered[0].contains(u'|'), qPrintable(offered[0]));
    QCOMPARE(d.URLCombo->currentText(), QStringLiteral("sub/page.html#intro"));
    QString attrs, text, address;
    d.EndHtmlRef(attrs, text, address);
    QCOMPARE(QStringLiteral("<a href=\"") + address + u'"' + attrs + u'>' + text + QStringLiteral("</a>"),
             QStringLiteral("<a href=\"sub/page.html#intro\" title=\"T\" target=\"_top\">text</a>"));
    QCOMPARE(d.LastLocalFile, QStringLiteral("sub/page.html"));

    // An https address is no local file.
    d.BeginHtmlRef(QStringLiteral("x"), FDir.path(), {}, {}, QStringLiteral("https://example.org/#a"));
    d.EndHtmlRef(attrs, text, address);
    QCOMPARE(attrs, QString());
    QCOMPARE(d.LastLocalFile, QStringLiteral("sub/page.html"));

    // Without anchors in the file, the caller's anchors; Prompt asks for a name.
    d.BeginAreaRef(QStringLiteral("Link for selected region"), FDir.path(), QStringLiteral("t"),
                   QStringLiteral("a"), QStringLiteral("#"), {QStringLiteral("|top| (1): Top")});
    QVERIFY(d.btnAnchor->isEnabled());
    d.SelectAnchor = [&](const QString &, const QStringList &items, QString &) {
      offered = items;
      return 6;
    };
    d.AskAnchorName = [](QString &name) {
      name = QStringLiteral(" bottom (typed)");
      return true;
    };
    d.AddAnchor();
    QCOMPARE(offered, QStringList{QStringLiteral("top (1): Top")});
    QCOMPARE(d.URLCombo->currentText(), QStringLiteral("#bottom"));
    QString title, alt;
    d.EndAreaRef(title, alt, address);
    QCOMPARE(title, QStringLiteral("t"));
    QCOMPARE(alt, QStringLiteral("a"));
    QCOMPARE(address, QStringLiteral("#bottom"));
  }

  void linkDialog() {
    TLinkDialog d;
    d.Begin(QStringLiteral("Frame contents"), QStringLiteral("Name:"), QStringLiteral("main"), QString(),
            FDir.path(), QStringLiteral("all|*.*"));
    d.cbLink->setEditText(Path("sub/page.html"));
    QString text, link;
    d.End(text, link);
    QCOMPARE(link, QStringLiteral("sub/page.html"));
    QCOMPARE(text, QStringLiteral("main"));
    d.cbLink->setEditText(QStringLiteral("http://x.org/a.html"));
    d.End(text, link);
    QCOMPARE(link, QStringLiteral("http://x.org/a.html"));
    QCOMPARE(d.History()->Count(), 2);
  }

  // Shapes drawn with the mouse on the editor's picture.
  void mapEditorMouse() {
    TImageMapEditor ed;
    TAreaList areas;
    QVERIFY(ed.Begin(FDir.path(), QStringLiteral("img/map.png"), areas, {}, QStringLiteral("nav")));
    QCOMPARE(ed.windowTitle(), QStringLiteral("Image-Map-Editor - Map: nav"));
    QCOMPARE(ed.Canvas->size(), QSize(301, 201));
    ed.ActionCircle->trigger();
    QTest::mousePress(ed.Canvas, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(ed.Canvas, QPoint(140, 110));
    // The rubber band is XOR-ed: white on the white picture turns black.
    QCOMPARE(ed.Canvas->Render().pixelColor(100, 120), QColor(Qt::black));
    QCOMPARE(ed.edKoord->text(), QStringLiteral("M=(120,120) R=20"));
    QTest::mouseRelease(ed.Canvas, Qt::LeftButton, {}, QPoint(140, 110));
    QCOMPARE(areas.size(), 1);
    // A stored area tints the picture.
    QCOMPARE(ed.Canvas->Render().pixelColor(120, 120), QColor(176, 219, 252));

    // The handle example: a circle r=50 at (100,100) grown from its lower-right handle.
    areas = {};
    TAreaDataObject c;
    c.Shape = asCircle;
    c.Points = {QPoint(150, 100), QPoint(50, 0)};
    areas << c;
    ed.ActionCursor->trigger();
    QTest::mousePress(ed.Canvas, Qt::LeftButton, {}, QPoint(185, 135));
    QTest::mouseMove(ed.Canvas, QPoint(210, 160));
    QTest::mouseRelease(ed.Canvas, Qt::LeftButton, {}, QPoint(210, 160));
    QCOMPARE(areas[0].Points, (QList<QPoint>{{165, 115}, {65, 0}}));

    ed.ActionRect->trigger();
    QTest::mousePress(ed.Canvas, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(ed.Canvas, QPoint(60, 40));
    QTest::mouseRelease(ed.Canvas, Qt::LeftButton, {}, QPoint(60, 40));
    ed.Finish(true);
    QCOMPARE(MapText(QStringLiteral("nav"), areas, 4),
             QStringLiteral("<map name=\"nav\">\r\n"
                            "    <area shape=\"circle\" coords=\"165,115,65\" alt=\"Bereich 1\">\r\n"
                            "    <area shape=\"rect\" coords=\"10,10,60,40\" alt=\"Bereich 2\">\r\n"
                            "</map>"));
  }

  void mapEditorBadImage_data() {
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("message");
    QTest::newRow("bmp") << "img/e.bmp"
                         << "Invalid image format!\r\nimg/e.bmp";
    QTest::newRow("missing") << "img/none.png"
                             << "not found!";
  }
  void mapEditorBadImage() {
    QFETCH(QString, image);
    QFETCH(QString, message);
    TImageMapEditor ed;
    TAreaList areas;
    QVERIFY(!ed.Begin(FDir.path(), image, areas, {}, QStringLiteral("m")));
    QCOMPARE(FMessages.size(), 1);
    QVERIFY2(FMessages[0].endsWith(message), qPrintable(FMessages[0]));
  }

  // The commands of a document window with the dialogs behind their hooks.
  void insertAndEditReference() {
    TTestHost host;
    host.Root = FDir.path() + u'/';
    TMDIForm doc(&host, nullptr, ftHtml);
    doc.TextPath = host.Root;
    doc.TextName = host.Root + QStringLiteral("index.html");
    doc.TextBuffer->LoadContent(QStringLiteral("see text here\n"), QStringLiteral("\n"));
    doc.TextBuffer->SetSelection({5, 1}, {9, 1});
    TURLEingabeDialog url;
    int step = 0;
    url.SelectAnchor = [](const QString &, const QStringList &items, QString &chosen) {
      chosen = items.value(0);
      return 1;
    };
    TInsertDialogs &d = InsertDialogs();
    d.Reference = [&](QPoint, const QString &caption, const QString &folder, QString &attrs, QString &text,
                      QString &address) {
      url.BeginHtmlRef(caption, folder, attrs, text, address);
      if (step == 0) {
        url.FileChosen(Path("sub/page.html"));
        url.AddAnchor();
      } else if (step == 1) {
        url.cbTarget->setCurrentIndex(1);
        url.edHinweis->setText(QStringLiteral("Intro"));
      } // the second edit changes nothing: what the first wrote must be read back
      ++step;
      url.EndHtmlRef(attrs, text, address);
      return true;
    };
    doc.Action(QStringLiteral("ActionLink"))->trigger();
    QCOMPARE(doc.TextBuffer->Text(), QStringLiteral("see <a href=\"sub/page.html#intro\">text</a> here\n"));

    // "Edit link" gets the same dialog; title and target come back on the next edit.
    for (int round = 0; round < 2; ++round) {
      MarkTagAt(&doc, {8, 1});
      doc.Action(QStringLiteral("ActionEditTag"))->trigger();
    }
    QCOMPARE(doc.TextBuffer->Text(),
             QStringLiteral(
                 "see <a href=\"sub/page.html#intro\" title=\"Intro\" target=\"_blank\">text</a> here\n"));
    ResetInsertDialogs();
  }

  void imageMapCommand() {
    TTestHost host;
    host.Root = FDir.path() + u'/';
    TMDIForm doc(&host, nullptr, ftHtml);
    doc.TextPath = host.Root;
    doc.TextName = host.Root + QStringLiteral("index.html");
    doc.TextBuffer->setTabWidth(2);
    doc.TextBuffer->LoadContent(QStringLiteral("<p>\n<img src=\"img/map.png\" alt=\"x\">\n"),
                                QStringLiteral("\n"));
    doc.TextBuffer->SetCaretXY({8, 2});
    TImageMapEditor ed;
    QList<int> seen;
    TInsertDialogs &d = InsertDialogs();
    d.ImageMap = [](QPoint, QString &name) {
      name = QStringLiteral("nav");
      return true;
    };
    d.MapEditor = [&](const QString &folder, const QString &image, TAreaList &areas, const QStringList &,
                      const QString &mapName) {
      seen << int(areas.size());
      if (!ed.Begin(folder, image, areas, {}, mapName))
        return false;
      ed.ActionCircle->trigger();
      const QPoint from(100 + 50 * int(areas.size()), 100);
      QTest::mousePress(ed.Canvas, Qt::LeftButton, {}, from);
      QTest::mouseMove(ed.Canvas, from + QPoint(40, 10));
      QTest::mouseRelease(ed.Canvas, Qt::LeftButton, {}, from + QPoint(40, 10));
      ed.Finish(true);
      return true;
    };
    doc.Action(QStringLiteral("ActionImageMap"))->trigger();
    QCOMPARE(doc.TextBuffer->Text(),
             QStringLiteral("<p>\n<map name=\"nav\">\n"
                            "  <area shape=\"circle\" coords=\"120,120,20\" alt=\"Bereich 1\">\n"
                            "</map>\n"
                            "<img src=\"img/map.png\" alt=\"x\" usemap=\"#nav\">\n"));
    // Again on the same image: the map is read back and rewritten in place.
    doc.TextBuffer->SetCaretXY({8, 5});
    doc.Action(QStringLiteral("ActionImageMap"))->trigger();
    QCOMPARE(seen, (QList<int>{0, 1}));
    QCOMPARE(doc.TextBuffer->Text(),
             QStringLiteral("<p>\n<map name=\"nav\">\n"
                            "  <area shape=\"circle\" coords=\"120,120,20\" alt=\"Bereich 1\">\n"
                            "  <area shape=\"circle\" coords=\"170,120,20\" alt=\"Bereich 2\">\n"
                            "</map>\n"
                            "<img src=\"img/map.png\" alt=\"x\" usemap=\"#nav\">\n"));
    ResetInsertDialogs();
  }
};

QTEST_MAIN(TstDialogsLinks)
#include "tst_dialogs_links.moc"
