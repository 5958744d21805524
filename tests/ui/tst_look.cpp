// How the program meets the desktop: icons that show without an icon theme, dialogs kept fully on
// the main window's screen, and files dropped from a file manager.
#include "core/common/IniFileUtils.h"
#include "ui/app/HauptForm.h"
#include "ui/app/HauptFormDesktop.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/Icons.h"
#include "ui/common/MessageBox.h"
#include "ui/dialogs/DialogUtils.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/ToolPage.h"

#include "TestSupport.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// True when the icon draws something at 16 px and at 200 %.
bool Draws(const QIcon &icon) {
  for (const qreal scale : {1.0, 2.0}) {
    const QImage img = icon.pixmap(QSize(16, 16), scale).toImage();
    if (img.isNull())
      return false;
    bool any = false;
    for (int y = 0; y < img.height() && !any; ++y)
      for (int x = 0; x < img.width() && !any; ++x)
        any = qAlpha(img.pixel(x, y)) > 0;
    if (!any || img.width() < int(16 * scale))
      return false;
  }
  return true;
}
} // namespace

class TstLook : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QStringList FAsked;

private slots:
  void initTestCase() {
    // As on a bare system: only the bundled drawings.
    SetThemeIconsEnabled(false);
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    QDir().mkpath(FDir.filePath("web"));
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return mrYes;
    });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
  }

  // Every button of the edit bar and the named insert commands on the tool pages show an icon.
  void documentIcons() {
    TTestHost host;
    TMDIForm form(&host, nullptr, ftHtml);
    QToolBar *bar = form.findChild<QToolBar *>(QStringLiteral("tbMain"));
    QVERIFY(bar);
    int buttons = 0;
    for (QAction *a : bar->actions()) {
      if (a->isSeparator())
        continue;
      ++buttons;
      QVERIFY2(Draws(a->icon()), qPrintable(a->objectName()));
      QVERIFY2(!a->toolTip().isEmpty(), qPrintable(a->objectName()));
    }
    QVERIFY(buttons >= 10);
    for (const char *name :
         {"ActionBold",     "ActionItalic",   "ActionULine",  "ActionSection", "ActionNewline",
          "ActionFixSpace", "ActionComment",  "ActionLink",   "ActionTarget",  "ActionImage",
          "ActionImageMap", "ActionNewTable", "ActionTabRow", "ActionTabData", "ActionUList",
          "ActionNList",    "ActionListItem", "ActionColor",  "ActionForm",    "ActionInputText",
          "ActionHorLine",  "ActionDiv",      "ActionSpan",   "ActionStyles",  "ActionStylesInclude",
          "ActionJSBody"}) {
      QAction *a = form.findChild<QAction *>(QString::fromLatin1(name));
      QVERIFY2(a, name);
      QVERIFY2(!a->icon().isNull() && Draws(a->icon()), name);
    }
    // A submenu's button is made with its page's buttons.
    form.findChild<TToolPage *>(QStringLiteral("tsFonts"))->Realize();
    auto *headings = form.findChild<QToolButton *>(QStringLiteral("tbtnFontsHeadings"));
    QVERIFY(headings);
    QVERIFY(Draws(headings->icon()));
    // A tool page button without an icon shows its caption instead.
    auto *page = form.findChild<TToolPage *>(QStringLiteral("tsTables"));
    QVERIFY(page);
    page->Realize();
    for (QAction *a : page->actions())
      if (!a->isSeparator() && a->icon().isNull())
        if (auto *b = qobject_cast<QToolButton *>(page->widgetForAction(a)))
          QVERIFY2(b->toolButtonStyle() != Qt::ToolButtonIconOnly || !b->text().isEmpty(),
                   qPrintable(a->objectName()));
  }

  // A tool page filled before it is first shown makes its buttons then: every action in the
  // page's order (insertions before another one included), a handed-over widget in its place.
  void toolPageMadeWhenShown() {
    QWidget host;
    auto *page = new TToolPage(&host);
    page->resize(600, 40);
    auto *a = page->addAction(QStringLiteral("a"));
    auto *c = page->addAction(QStringLiteral("c"));
    auto *b = new QAction(QStringLiteral("b"), page);
    page->insertAction(c, b);
    auto *box = new QLabel(QStringLiteral("widget"), &host);
    page->insertWidget(a, box);
    QVERIFY(!page->widgetForAction(a));
    host.show();
    QVERIFY(page->Realized());
    QList<int> xs;
    for (QAction *x : page->actions()) {
      QVERIFY(page->widgetForAction(x));
      xs << page->widgetForAction(x)->x();
    }
    QCOMPARE(page->actions().size(), 4);
    QVERIFY(std::is_sorted(xs.begin(), xs.end()));
    QCOMPARE(page->widgetForAction(page->actions().first()), box);
    QCOMPARE(box->parentWidget(), page);
    QVERIFY(box->isVisible());
    QCOMPARE(page->actions().mid(1), (QList<QAction *>{a, b, c}));
  }

  void fileTypeIcons() {
    QSet<QByteArray> seen;
    for (int t = ftHtml; t <= ftNone; ++t) {
      const QIcon icon = FileTypeIcon(TFileTypes(t));
      QVERIFY2(Draws(icon), qPrintable(QString::number(t)));
      const QImage img = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
      seen.insert(QByteArray(reinterpret_cast<const char *>(img.constBits()), img.sizeInBytes()));
    }
    // Each type has a drawing of its own.
    QCOMPARE(seen.size(), ftNone + 1);
  }

  // A dialog asked for at the screen's bottom-right corner (the pointer there) stays fully visible.
  void dialogAtCornerStaysOnScreen_data() {
    QTest::addColumn<int>("labels");
    QTest::newRow("small") << 1;
    QTest::newRow("tall") << 12;
  }
  void dialogAtCornerStaysOnScreen() {
    QFETCH(int, labels);
    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect avail = screen->availableGeometry();
    QDialog dlg;
    auto *l = new QVBoxLayout(&dlg);
    for (int i = 0; i < labels; ++i)
      l->addWidget(new QLabel(QStringLiteral("A value label that takes some room %1").arg(i), &dlg));
    l->addWidget(AddOkCancel(&dlg));
    PlaceDialog(&dlg, avail.bottomRight());
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTRY_VERIFY2(avail.contains(dlg.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                     .arg(dlg.frameGeometry().x())
                                                                     .arg(dlg.frameGeometry().y())
                                                                     .arg(dlg.frameGeometry().width())
                                                                     .arg(dlg.frameGeometry().height())));
    // Not thrown to the far corner either: as near to the asked point as fits.
    QVERIFY(dlg.frameGeometry().right() >= avail.right() - 1);
  }

  // Two files and a folder dropped onto the tab bar: both files open, the folder is named.
  void dropOpensFiles() {
    const QString web = FDir.filePath("web/");
    const QString ini = FDir.filePath("config/Tamrix/tst_look.ini");
    {
      auto w = TUnicodeIniFile::CreateForWrite(ini);
      w->WriteString("Config", "StdPath", web);
      QVERIFY(w->UpdateFile());
    }
    QVERIFY(WriteAll(web + "a.html", "<p>a</p>\n"));
    QVERIFY(WriteAll(web + "b.css", "p { }\n"));
    QDir().mkpath(web + "folder");
    THauptForm m({web + "a.html"});
    InstallFileDrops(&m);
    QVERIFY(m.Init());
    m.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m));
    QTabBar *tabs = m.findChild<QTabBar *>(QStringLiteral("tcFiles"));
    QVERIFY(tabs);
    QVERIFY(tabs->window() == &m);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(web + "b.css"), QUrl::fromLocalFile(web + "folder"),
                  QUrl::fromLocalFile(web + "c.html")});
    QVERIFY(WriteAll(web + "c.html", "<p>c</p>\n"));
    const QPoint at = tabs->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tabs, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tabs, &drop);
    QVERIFY(drop.isAccepted());
    QStringList names;
    QTRY_VERIFY([&] {
      names.clear();
      for (TMDIForm *d : m.Documents())
        names << QFileInfo(d->TextName).fileName();
      return names.contains("b.css") && names.contains("c.html");
    }());
    QVERIFY(names.contains("a.html"));
    QVERIFY(!names.contains("folder"));
    QVERIFY(LastMessageText().contains(QDir::toNativeSeparators(web + "folder")));
    // Text dragged without files is left to whoever takes it.
    QMimeData text;
    text.setText(QStringLiteral("<b>"));
    QDragEnterEvent textEnter(at, Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    textEnter.ignore();
    QApplication::sendEvent(tabs, &textEnter);
    QVERIFY(!textEnter.isAccepted());

    // File dialogs: the detail view, large enough for its columns (within the screen), and the size
    // the user gave the last one, which the settings keep.
    const QSize screen = m.screen()->availableGeometry().size();
    {
      QFileDialog dlg(&m, QStringLiteral("Open"), web);
      dlg.setOption(QFileDialog::DontUseNativeDialog);
      dlg.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dlg));
      QCOMPARE(dlg.viewMode(), QFileDialog::Detail);
      QVERIFY(dlg.width() >= qMin(860, int(screen.width() * 0.95) - 1));
      QVERIFY(dlg.height() >= qMin(540, int(screen.height() * 0.95) - 1));
      dlg.resize(640, 420);
      dlg.hide();
    }
    QCOMPARE(m.Settings.Form.FileDlgWidth, 640);
    QCOMPARE(m.Settings.Form.FileDlgHeight, 420);
    {
      QFileDialog again(&m, QStringLiteral("Save"), web);
      again.setOption(QFileDialog::DontUseNativeDialog);
      again.show();
      QVERIFY(QTest::qWaitForWindowExposed(&again));
      QCOMPARE(again.size(), QSize(640, 420));
      again.hide();
    }
    m.close();
  }
};

QTEST_MAIN(TstLook)
#include "tst_look.moc"
