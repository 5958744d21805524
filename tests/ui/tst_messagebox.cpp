// The program's message boxes: captions, buttons, placement on the screen and the time-out.
#include "ui/common/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>

class TstMessageBox : public QObject {
  Q_OBJECT

  // Runs check on the box once it is shown, then presses the given button.
  static void WhenShown(std::function<void(QMessageBox *)> check, QMessageBox::StandardButton press) {
    QTimer::singleShot(50, [check, press] {
      auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
      if (!box)
        return;
      check(box);
      if (QAbstractButton *b = box->button(press))
        b->click();
    });
  }

private slots:
  void initTestCase() { SetMessageOwner(nullptr, "Velmo (Version 1.0.0)"); }

  void captionAndButtons() {
    QString caption, text;
    int buttons = 0;
    WhenShown(
        [&](QMessageBox *b) {
          caption = b->windowTitle();
          text = b->text();
          buttons = int(b->standardButtons());
        },
        QMessageBox::No);
    QCOMPARE(ShowMessage(mkConfirmCancel, "Save x?"), mrNo);
    QCOMPARE(caption, QString("Velmo (Version 1.0.0)"));
    QCOMPARE(text, QString("Save x?"));
    QCOMPARE(buttons, int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel));

    WhenShown([&](QMessageBox *b) { caption = b->windowTitle(), text = b->text(); }, QMessageBox::Ok);
    TMsgOptions own;
    own.CaptionInText = true;
    QCOMPARE(ShowMessage(mkError, "Own caption|The text", own), mrOk);
    QCOMPARE(caption, QString("Own caption"));
    QCOMPARE(text, QString("The text"));
  }

  // User data in a message (file names, search texts) may hold a '|': it never splits the text.
  void barInUserDataIsText() {
    QString caption, text;
    WhenShown([&](QMessageBox *b) { caption = b->windowTitle(), text = b->text(); }, QMessageBox::Ok);
    QCOMPARE(ShowMessage(mkError, "\"cat|dog\" not found!"), mrOk);
    QCOMPARE(caption, QString("Velmo (Version 1.0.0)"));
    QCOMPARE(text, QString("\"cat|dog\" not found!"));
    // Answered without a box, the text is the same.
    SetMessageResponder([](TMsgKind, const QString &) { return mrOk; });
    ShowMessage(mkError, "File: \"a|b.html\"\r\nnot found");
    SetMessageResponder({});
    QCOMPARE(LastMessageText(), QString("File: \"a|b.html\"\r\nnot found"));
  }

  // The box shows every line of its text whole and is at least as wide as its caption plus 50
  // pixels; text that looks like HTML is shown as it is.
  void wholeTextShown_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::newRow("about box, short caption") << "Velmo"
                                              << "Quillmark (Version 0.1.0) - 10.12.26\nQuillmark, an editor "
                                                 "for hand-written web pages. Free to use "
                                                 "and share.\nE-Mail: quillmark@example.org";
    QTest::newRow("long question")
        << ""
        << "The text contains characters that cannot be saved as ANSI Latin 1 (the first one in line 12, "
           "column 7).\nSave the file as UTF-8 instead?";
    QTest::newRow("long caption, short text") << "Project: a project with a rather long name indeed"
                                              << "Close?";
    QTest::newRow("html is text") << ""
                                  << "Decoded text:\n<b>bold</b> &amp; <a href=\"x\">link</a>";
    QTest::newRow("long file name") << ""
                                    << "Cannot read file:\n/home/user/" +
                                           QString("a-rather-long-folder-name/").repeated(12) + "index.html";
    QTest::newRow("CR LF lines") << ""
                                 << "Error: disk full\r\nLoading of /tmp/x.html canceled!";
  }
  void wholeTextShown() {
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QString shown, failure;
    WhenShown(
        [&](QMessageBox *b) {
          auto *label = b->findChild<QLabel *>("qt_msgbox_label");
          if (!label) {
            failure += "no label; ";
            return;
          }
          shown = label->text();
          const QRect r = label->contentsRect();
          const QFontMetrics fm(label->font());
          if (label->wordWrap()) {
            if (label->heightForWidth(r.width()) > r.height())
              failure += "wrapped text is taller than its label; ";
            for (const QString &word : shown.split(QRegularExpression("[\\s\\x{200B}]+")))
              if (fm.horizontalAdvance(word) > r.width())
                failure += "word cut: " + word + "; ";
          } else {
            for (const QString &line : shown.split(u'\n'))
              if (fm.horizontalAdvance(line) > r.width())
                failure += "line cut: " + line + "; ";
            if (fm.lineSpacing() * int(shown.count(u'\n') + 1) > r.height() + fm.leading())
              failure += "lines cut off below; ";
          }
          const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
          if (b->width() < title.horizontalAdvance(b->windowTitle()) + 50)
            failure += "narrower than the caption; ";
          if (label->textFormat() != Qt::PlainText)
            failure += "not plain text; ";
        },
        QMessageBox::Ok);
    TMsgOptions o;
    o.Caption = caption;
    ShowMessage(mkInformation, text, o);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    // Long names may carry invisible break chances; the text is the same.
    QCOMPARE(shown.remove(QChar(0x200B)), QString(text).replace("\r\n", "\n"));
  }

  void placedOnScreenAndTimesOut() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QPoint at;
    QTimer::singleShot(50, [&] {
      if (auto *b = QApplication::activeModalWidget())
        at = b->pos();
    });
    TMsgOptions o;
    o.Place = mpPoint;
    o.At = screen.bottomRight() + QPoint(500, 500); // far outside: kept on the screen
    o.TimeoutSeconds = 1;
    QElapsedTimer t;
    t.start();
    QCOMPARE(ShowMessage(mkConfirm, "Closes by itself", o), mrOk);
    QVERIFY(t.elapsed() < 5000);
    QVERIFY(screen.contains(at));
  }

  void keepOnScreen() {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(KeepOnScreen(screen.topLeft() - QPoint(40, 40), {100, 50}), screen.topLeft());
    const QPoint p = KeepOnScreen(screen.bottomRight(), {100, 50});
    QVERIFY(screen.contains(QRect(p, QSize(100, 50)).bottomRight()));
  }
};

QTEST_MAIN(TstMessageBox)
#include "tst_messagebox.moc"
