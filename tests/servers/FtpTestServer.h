#pragma once
// Starts one of the test FTP servers of this folder as a child process in its own process
// group, reads what it announces (ROOT=, PORT=, USER=, PASSWORD=, READY) and stops the whole
// group again. Every wait is bounded.
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <csignal>
#include <sys/prctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

class TTestFtpServer {
public:
  QString Root;
  QString CertFile; // the server's self-signed certificate (TLS modes of pyftpd_server.py)
  QString User = QStringLiteral("user");
  QString Password = QStringLiteral("secret");
  int Port = 0;
  QString Error;
  QStringList Output; // lines printed after READY (the recording proxy's log)

  ~TTestFtpServer() { Stop(); }

  static QString Script(const QString &name) {
    return QStringLiteral(TEST_SOURCE_DIR "/tests/servers/") + name;
  }

  // kind: "pyftpd" (args passed to pyftpd_server.py), "vsftpd" (args: plain|explicit|implicit),
  // "proxy" (recording_proxy.py) or "hostile" (hostile_ftp.py, args: the scenario).
  bool Start(const QString &kind, const QStringList &args, int timeoutMs = 20000) {
    Stop();
    QString program;
    QStringList all;
    if (kind == u"vsftpd") {
      program = QStringLiteral("/bin/sh");
      all << Script(QStringLiteral("vsftpd_server.sh")) << args;
    } else {
      program = QStringLiteral("/usr/bin/python3");
      all << Script(kind == u"proxy"     ? QStringLiteral("recording_proxy.py")
                    : kind == u"hostile" ? QStringLiteral("hostile_ftp.py")
                                         : QStringLiteral("pyftpd_server.py"))
          << args;
    }
    // Own process group (stopped as a whole), and ended with us should the test crash.
    FProc.setChildProcessModifier([] {
      ::setsid();
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    FProc.setProcessChannelMode(QProcess::SeparateChannels);
    FProc.start(program, all);
    if (!FProc.waitForStarted(5000)) {
      Error = QStringLiteral("cannot start ") + program;
      return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
      while (FProc.canReadLine()) {
        const QString line = QString::fromUtf8(FProc.readLine()).trimmed();
        if (line.startsWith(u"ROOT="))
          Root = line.mid(5);
        else if (line.startsWith(u"CERT="))
          CertFile = line.mid(5);
        else if (line.startsWith(u"PORT="))
          Port = line.mid(5).toInt();
        else if (line.startsWith(u"USER="))
          User = line.mid(5);
        else if (line.startsWith(u"PASSWORD="))
          Password = line.mid(9);
        else if (line.startsWith(u"ERROR=")) {
          Error = line.mid(6);
          Stop();
          return false;
        } else if (line == u"READY")
          return Port > 0;
      }
      if (deadline.hasExpired() || FProc.state() == QProcess::NotRunning) {
        Error = QStringLiteral("server did not start: ") + QString::fromUtf8(FProc.readAllStandardError());
        Stop();
        return false;
      }
      FProc.waitForReadyRead(100);
    }
  }

  // Lines the server printed since READY.
  QStringList ReadOutput(int waitMs = 0) {
    QDeadlineTimer deadline(waitMs);
    do {
      FProc.waitForReadyRead(qMax(0, int(qMin<qint64>(50, deadline.remainingTime()))));
      while (FProc.canReadLine())
        Output << QString::fromUtf8(FProc.readLine()).trimmed();
    } while (!deadline.hasExpired());
    return Output;
  }

  // False once the server has ended (the hostile server ends by itself after its lifetime).
  bool Running() { return FProc.state() == QProcess::Running && !FProc.waitForFinished(0); }

  void Stop() {
    if (FProc.state() == QProcess::NotRunning)
      return;
    const pid_t pid = pid_t(FProc.processId());
    if (pid > 0)
      ::kill(-pid, SIGTERM);
    if (!FProc.waitForFinished(3000)) {
      if (pid > 0)
        ::kill(-pid, SIGKILL);
      FProc.waitForFinished(2000);
    }
  }

private:
  QProcess FProc;
};
