#pragma once
// A folder where writing fails with "No space left on device", in two ways: a small tmpfs filled
// to the last byte (the real file system; mounting needs the right to, as root in a container),
// and the atomic writer's seam, which works everywhere. Tests run their case with both.
#include "core/common/SafeFile.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

class TDiskFull {
public:
  enum TKind { dfTmpfs, dfSeam };

  explicit TDiskFull(TKind kind) : FKind(kind) {
    if (kind != dfTmpfs)
      return;
    if (::mount("tmpfs", QFile::encodeName(FDir.path()).constData(), "tmpfs", 0, "size=128k") != 0)
      SkipReason =
          QStringLiteral("cannot mount a tmpfs here: ") + QString::fromLocal8Bit(std::strerror(errno));
    else
      FMounted = true;
  }
  ~TDiskFull() {
    SetSimulatedWriteError(0);
    if (FMounted)
      ::umount2(QFile::encodeName(FDir.path()).constData(), MNT_DETACH);
  }
  TDiskFull(const TDiskFull &) = delete;
  TDiskFull &operator=(const TDiskFull &) = delete;

  // Not empty when this kind cannot be had here (the test skips the row).
  QString SkipReason;
  QString FilePath(const QString &name) const { return FDir.filePath(name); }

  // From now on no file in the folder can grow: the tmpfs is filled up, or the seam is set.
  bool MakeFull() {
    if (FKind == dfSeam) {
      SetSimulatedWriteError(ENOSPC);
      return true;
    }
    const int fd = ::open(QFile::encodeName(FDir.filePath(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
      return false;
    static const char block[4096] = {};
    // Big pieces first, then single bytes for the rest of the last page.
    for (size_t piece : {sizeof block, size_t(1)})
      while (::write(fd, block, piece) > 0) {
      }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
  }

  static QString NoSpaceText() { return QString::fromLocal8Bit(std::strerror(ENOSPC)); }

  // Adds the two rows (column "kind") to a _data() table.
  static void AddRows() {
    QTest::addColumn<int>("kind");
    QTest::newRow("full tmpfs") << int(dfTmpfs);
    QTest::newRow("write seam") << int(dfSeam);
  }

private:
  TKind FKind;
  QTemporaryDir FDir;
  bool FMounted = false;
};
