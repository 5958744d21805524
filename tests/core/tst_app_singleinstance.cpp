// One running program per settings file: a later start hands its files over and ends, another
// settings file runs on its own, a crashed first process (its lock and socket file left behind)
// does not block the next start, a running but silent one is not taken for gone, and the
// hand-over message is read with bounds.
#include "core/app/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// A later start, run on its own thread: it blocks while the first one answers on this thread.
TSingleInstance::TRole StartElsewhere(const QString &ini, const QStringList &files, int timeoutMs = 5000) {
  TSingleInstance::TRole role = TSingleInstance::irNoAnswer;
  bool done = false;
  QThread *t = QThread::create([&] {
    TSingleInstance later(ini);
    role = later.Start(files, timeoutMs);
    done = true;
  });
  t->start();
  // The first process's event loop keeps running meanwhile.
  while (!t->wait(10))
    QCoreApplication::processEvents();
  delete t;
  Q_ASSERT(done);
  return role;
}
} // namespace

class TstAppSingleInstance : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString Ini(const QString &name = QStringLiteral("Velmo.ini")) const { return FDir.filePath(name); }

private slots:
  void handOverReachesTheFirstProcess() {
    TSingleInstance first(Ini());
    QCOMPARE(first.Start({}), TSingleInstance::irPrimary);
    QList<QStringList> got;
    // Files that arrive before the main window is ready wait for it.
    const QStringList files{QStringLiteral("/web/a.html"), QStringLiteral("/web/b c ä.html")};
    QCOMPARE(StartElsewhere(Ini(), files), TSingleInstance::irHandedOver);
    QTRY_VERIFY(got.isEmpty());
    first.SetHandler([&](const QStringList &f) { got << f; });
    QTRY_COMPARE(got.size(), 1);
    QCOMPARE(got.first(), files);
    // A start without files only brings the running one up.
    QCOMPARE(StartElsewhere(Ini(), {}), TSingleInstance::irHandedOver);
    QTRY_COMPARE(got.size(), 2);
    QVERIFY(got.last().isEmpty());
    // Another spelling of the same settings file meets the same process.
    QDir().mkpath(FDir.filePath(QStringLiteral("sub")));
    QCOMPARE(StartElsewhere(FDir.filePath(QStringLiteral("sub/../Velmo.ini")), {QStringLiteral("/x.css")}),
             TSingleInstance::irHandedOver);
    QTRY_COMPARE(got.size(), 3);
  }

  void otherSettingsFileRunsOnItsOwn() {
    TSingleInstance first(Ini(QStringLiteral("one.ini")));
    QCOMPARE(first.Start({}), TSingleInstance::irPrimary);
    TSingleInstance second(Ini(QStringLiteral("two.ini")));
    QCOMPARE(second.Start({QStringLiteral("/a.html")}, 500), TSingleInstance::irPrimary);
    QVERIFY(first.ServerName() != second.ServerName());
  }

  // A first process that crashed left its lock and its socket file: the next start takes over.
  void crashedFirstProcessIsTakenOver() {
    const QString ini = Ini(QStringLiteral("crashed.ini"));
    const QString socketPath = QDir::tempPath() + u'/' + TSingleInstance::KeyOf(ini);
    const pid_t child = fork();
    if (child == 0) {
      QLockFile lock(ini + QStringLiteral(".lock"));
      lock.tryLock(0);
      const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      const QByteArray p = socketPath.toLocal8Bit();
      memcpy(addr.sun_path, p.constData(), qMin<size_t>(p.size(), sizeof(addr.sun_path) - 1));
      ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr));
      ::listen(fd, 1);
      _exit(0); // no clean-up: the lock file and the socket file stay
    }
    QVERIFY(child > 0);
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(QFile::exists(ini + QStringLiteral(".lock")));
    QVERIFY(QFile::exists(socketPath));

    TSingleInstance next(ini);
    QCOMPARE(next.Start({}), TSingleInstance::irPrimary);
    QStringList got;
    next.SetHandler([&](const QStringList &f) { got = f; });
    QCOMPARE(StartElsewhere(ini, {QStringLiteral("/p.html")}), TSingleInstance::irHandedOver);
    QTRY_COMPARE(got, QStringList{QStringLiteral("/p.html")});
  }

  // The program listens only once its window is up: a start in the meantime waits for that.
  void laterListenStillTakesTheFiles() {
    const QString ini = Ini(QStringLiteral("late.ini"));
    TSingleInstance first(ini);
    QCOMPARE(first.Start({}, 5000, false), TSingleInstance::irPrimary);
    QStringList got;
    first.SetHandler([&](const QStringList &f) { got = f; });
    QTimer::singleShot(300, &first, &TSingleInstance::Listen);
    QCOMPARE(StartElsewhere(ini, {QStringLiteral("/late.html")}), TSingleInstance::irHandedOver);
    QTRY_COMPARE(got, QStringList{QStringLiteral("/late.html")});
  }

  // A first process that runs but does not answer is not taken for gone: the later start
  // does not become a second writer of the settings.
  void silentFirstProcessIsNotReplaced() {
    const QString ini = Ini(QStringLiteral("silent.ini"));
    TSingleInstance first(ini);
    QCOMPARE(first.Start({}), TSingleInstance::irPrimary);
    TSingleInstance later(ini);
    // No event loop runs here: the first process cannot answer.
    QCOMPARE(later.Start({QStringLiteral("/a.html")}, 300), TSingleInstance::irNoAnswer);
  }

  void message_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<bool>("valid");
    const QByteArray good = EncodeHandOver({QStringLiteral("/a.html"), QStringLiteral("/b.html")});
    QTest::newRow("whole") << good << true << true;
    QTest::newRow("half") << good.left(good.size() / 2) << false << false;
    QTest::newRow("magic only") << good.left(3) << false << false;
    QTest::newRow("trailing bytes") << good + "x" << true << false;
    QByteArray wrongMagic = good;
    wrongMagic[0] = 'X';
    QTest::newRow("other magic") << wrongMagic << true << false;
    QByteArray huge = good;
    huge[4] = char(0x7f); // a length of about 2 GB
    QTest::newRow("huge length") << huge << true << false;
    QByteArray tooMany = good;
    tooMany[8] = char(0x7f);
    QTest::newRow("huge count") << tooMany << true << false;
    QTest::newRow("relative name") << EncodeHandOver({QStringLiteral("a.html")}) << true << false;
    QTest::newRow("empty name") << EncodeHandOver({QString()}) << true << false;
    QTest::newRow("NUL in name") << EncodeHandOver({QString::fromUtf16(u"/a\0b", 4)}) << true << false;
    QByteArray longName = good;
    longName[15] = char(0x40); // the first name claims more bytes than follow
    QTest::newRow("name past the end") << longName << true << false;
  }
  void message() {
    QFETCH(QByteArray, data);
    QFETCH(bool, complete);
    QFETCH(bool, valid);
    bool c = false;
    const auto files = DecodeHandOver(data, &c);
    QCOMPARE(c, complete);
    QCOMPARE(files.has_value(), valid);
    if (valid)
      QCOMPARE(*files, (QStringList{QStringLiteral("/a.html"), QStringLiteral("/b.html")}));
  }
};

QTEST_GUILESS_MAIN(TstAppSingleInstance)
#include "tst_app_singleinstance.moc"
