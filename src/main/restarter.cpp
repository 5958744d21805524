// velmo-restart <pid> <program> [args...]: waits until process <pid> has ended (at most one
// minute), then starts <program> again with its arguments.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cerrno>
#include <cstdio>

// True while the process exists and has not ended (a zombie waiting for its parent has ended).
static bool Running(qint64 pid) {
  if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
    return false;
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (stat.open(QIODevice::ReadOnly)) {
    const QByteArray s = stat.readAll();
    const qsizetype close = s.lastIndexOf(')');
    if (close > 0 && close + 2 < s.size() && s[close + 2] == 'Z')
      return false;
  }
  return true;
}

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 3) {
    std::fprintf(stderr, "usage: velmo-restart <pid> <program> [arguments]\n");
    return 2;
  }
  bool ok = false;
  const qint64 pid = args[1].toLongLong(&ok);
  if (ok && pid > 0) {
    for (int i = 0; i < 600 && Running(pid); ++i)
      QThread::msleep(100);
  }
  if (!QProcess::startDetached(args[2], args.mid(3))) {
    std::fprintf(stderr, "velmo-restart: cannot start %s\n", qPrintable(args[2]));
    return 1;
  }
  return 0;
}
