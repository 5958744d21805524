// The program's message boxes: captions, buttons, placement on the screen and the time-out.
#include "ui/common/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
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
    QCOMPARE(ShowMessage(mkError, "Own caption|The text"), mrOk);
    QCOMPARE(caption, QString("Own caption"));
    QCOMPARE(text, QString("The text"));
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
