#include "core/common/SafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace {
std::atomic<int> SimulatedWriteError{0};

QString SystemErrorText(int err) {
  return QString::fromLocal8Bit(std::strerror(err));
}

// The device's message, unless it has none worth showing: then the system's own text for errno.
QString ErrorOf(const QFileDevice &f, int err) {
  const QString s = f.errorString();
  if (err != 0 && (s.isEmpty() || s == QLatin1String("Unknown error")))
    return SystemErrorText(err);
  return s;
}
} // namespace

void SetSimulatedWriteError(int errnoValue) {
  SimulatedWriteError = errnoValue;
}

bool WriteFileAtomically(const QString &fileName, QByteArrayView data, QString *error,
                         std::optional<QFileDevice::Permissions> newFilePermissions) {
  auto fail = [&](const QString &why) {
    if (error)
      *error = why;
    return false;
  };
  const bool existed = QFileInfo::exists(fileName);
  QSaveFile f(fileName);
  // Writing into the folder directly would leave a partial file on failure.
  f.setDirectWriteFallback(false);
  // Unbuffered: QSaveFile::commit() of Qt 6.4 ignores a failed flush of its write buffer and would
  // rename an empty temporary file over the old one on a full disk. Without the buffer every
  // write reaches the system at once and its failure is seen here.
  errno = 0;
  if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return fail(ErrorOf(f, errno));
  if (!existed && newFilePermissions && !f.setPermissions(*newFilePermissions)) {
    const QString why = ErrorOf(f, errno);
    f.cancelWriting();
    return fail(why);
  }
  if (const int simulated = SimulatedWriteError.load()) {
    f.cancelWriting();
    return fail(SystemErrorText(simulated));
  }
  qsizetype done = 0;
  while (done < data.size()) {
    errno = 0;
    const qint64 n = f.write(data.data() + done, data.size() - done);
    if (n <= 0) {
      const QString why = ErrorOf(f, errno);
      f.cancelWriting();
      return fail(why);
    }
    done += n;
  }
  errno = 0;
  if (!f.flush()) {
    const QString why = ErrorOf(f, errno);
    f.cancelWriting();
    return fail(why);
  }
  errno = 0;
  if (!f.commit())
    return fail(ErrorOf(f, errno));
  return true;
}
