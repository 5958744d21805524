#pragma once
// Starts sshd_server.sh (OpenSSH's sshd on a free loopback port, SFTP only) as a child process
// in its own process group, reads what it announces and stops the whole group again. Every wait
// is bounded.
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

#include <csignal>
#include <sys/prctl.h>
#include <sys/types.h>
#include <unistd.h>

class TTestSshServer {
public:
  QString Root, User, Password, KeyFile, PhraseKeyFile, Phrase, Fingerprint, Error;
  int Port = 0;

  ~TTestSshServer() { Stop(); }

  bool Start(int timeoutMs = 20000) {
    Stop();
    FProc.setChildProcessModifier([] {
      ::setsid();
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    FProc.start(QStringLiteral("/bin/sh"), {QStringLiteral(TEST_SOURCE_DIR "/tests/servers/sshd_server.sh")});
    if (!FProc.waitForStarted(5000)) {
      Error = QStringLiteral("cannot start /bin/sh");
      return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
      while (FProc.canReadLine()) {
        const QString line = QString::fromUtf8(FProc.readLine()).trimmed();
        const QString value = line.section(u'=', 1);
        if (line.startsWith(u"ROOT="))
          Root = value;
        else if (line.startsWith(u"USER="))
          User = value;
        else if (line.startsWith(u"PASSWORD="))
          Password = value;
        else if (line.startsWith(u"KEY="))
          KeyFile = value;
        else if (line.startsWith(u"PKEY="))
          PhraseKeyFile = value;
        else if (line.startsWith(u"PHRASE="))
          Phrase = value;
        else if (line.startsWith(u"FINGERPRINT="))
          Fingerprint = value;
        else if (line.startsWith(u"PORT="))
          Port = value.toInt();
        else if (line.startsWith(u"ERROR=")) {
          Error = value;
          Stop();
          return false;
        } else if (line == u"READY")
          return Port > 0;
      }
      if (deadline.hasExpired() || FProc.state() == QProcess::NotRunning) {
        Error = QStringLiteral("sshd did not start: ") + QString::fromUtf8(FProc.readAllStandardError());
        Stop();
        return false;
      }
      FProc.waitForReadyRead(100);
    }
  }

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
