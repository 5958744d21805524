// velmo-restart <pid> <program> [args...]: waits until process <pid> has ended (at most one
// minute), then starts <program> again with its arguments.
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <cerrno>
#include <cstdio>

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
    for (int i = 0; i < 600; ++i) {
      if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
        break;
      QThread::msleep(100);
    }
  }
  if (!QProcess::startDetached(args[2], args.mid(3))) {
    std::fprintf(stderr, "velmo-restart: cannot start %s\n", qPrintable(args[2]));
    return 1;
  }
  return 0;
}
