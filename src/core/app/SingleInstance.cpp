#include "core/app/SingleInstance.h"
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char Magic[4] = {'Q', 'M', 'H', '1'};
constexpr char Ack = '+';
constexpr int HeaderBytes = 8; // magic, payload length

void PutUInt(QByteArray &out, quint32 v) {
  char b[4];
  qToBigEndian(v, b);
  out.append(b, 4);
}

quint32 GetUInt(const QByteArray &in, qsizetype at) {
  return qFromBigEndian<quint32>(in.constData() + at);
}

} // namespace

QByteArray EncodeHandOver(const QStringList &files) {
  QByteArray payload;
  PutUInt(payload, quint32(files.size()));
  for (const QString &f : files) {
    const QByteArray u = f.toUtf8();
    PutUInt(payload, quint32(u.size()));
    payload += u;
  }
  QByteArray out(Magic, 4);
  PutUInt(out, quint32(payload.size()));
  return out + payload;
}

std::optional<QStringList> DecodeHandOver(const QByteArray &data, bool *complete) {
  auto incomplete = [&](bool c) -> std::optional<QStringList> {
    if (complete)
      *complete = c;
    return std::nullopt;
  };
  if (data.size() < HeaderBytes)
    return data.startsWith(QByteArray(Magic, int(qMin<qsizetype>(4, data.size())))) ? incomplete(false)
                                                                                    : incomplete(true);
  if (!data.startsWith(QByteArray(Magic, 4)))
    return incomplete(true);
  const quint32 length = GetUInt(data, 4);
  if (length > TSingleInstance::MaxMessageBytes || length < 4)
    return incomplete(true);
  if (data.size() < HeaderBytes + qsizetype(length))
    return incomplete(false);
  if (data.size() > HeaderBytes + qsizetype(length))
    return incomplete(true);
  qsizetype at = HeaderBytes;
  const qsizetype end = HeaderBytes + length;
  const quint32 count = GetUInt(data, at);
  at += 4;
  if (count > quint32(TSingleInstance::MaxFiles))
    return incomplete(true);
  QStringList files;
  for (quint32 i = 0; i < count; ++i) {
    if (end - at < 4)
      return incomplete(true);
    const quint32 n = GetUInt(data, at);
    at += 4;
    if (n > quint32(end - at))
      return incomplete(true);
    const QString name = QString::fromUtf8(data.constData() + at, n);
    at += n;
    // Only absolute names of this machine are meaningful here; a NUL never is.
    if (name.isEmpty() || !QDir::isAbsolutePath(name) || name.contains(QChar(0)))
      return incomplete(true);
    files << name;
  }
  if (at != end)
    return incomplete(true);
  if (complete)
    *complete = true;
  return files;
}

TSingleInstance::TSingleInstance(const QString &settingsFile, QObject *parent)
    : QObject(parent), FKey(KeyOf(settingsFile)), FSettingsFile(QFileInfo(settingsFile).absoluteFilePath()) {}

TSingleInstance::~TSingleInstance() {
  if (FServer)
    FServer->close();
  // Removed while still locked; a start that opened it just before tries the name again.
  if (FLockFd >= 0) {
    ::unlink(QFile::encodeName(FSettingsFile + QStringLiteral(".lock")).constData());
    ::close(FLockFd);
  }
}

QString TSingleInstance::KeyOf(const QString &settingsFile) {
  // The folder's real path, so that two spellings of one file (a link, "..") meet; the file itself
  // may not exist yet on a first start.
  const QFileInfo fi(settingsFile);
  const QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
  const QString path = (dir.isEmpty() ? fi.absolutePath() : dir) + u'/' + fi.fileName();
  const QByteArray hash =
      QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(20);
  return QStringLiteral("velmo-%1-%2").arg(QString::number(getuid()), QString::fromLatin1(hash));
}

TSingleInstance::TRole TSingleInstance::Start(const QStringList &files, int answerTimeoutMs, bool listen) {
  // The lock lives beside the settings file, so every process that could write that file meets it,
  // whatever its environment.
  QDir().mkpath(QFileInfo(FSettingsFile).absolutePath());
  // An advisory lock on the open file: the system drops it when the process ends, however it
  // ends, so there is no stale lock to judge (and nothing is synced to disk on every start).
  const QByteArray lockName = QFile::encodeName(FSettingsFile + QStringLiteral(".lock"));
  int fd = -1;
  bool locked = false, held = false;
  // The holder removes the file when it ends: a lock got on a file that was removed meanwhile
  // is no lock on the name, so then the name is tried again.
  for (int attempt = 0; attempt < 5 && !locked && !held; ++attempt) {
    fd = ::open(lockName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
      break;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      struct stat opened {}, named {};
      locked = ::fstat(fd, &opened) == 0 && ::stat(lockName.constData(), &named) == 0 &&
               opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
    } else {
      held = errno == EWOULDBLOCK;
    }
    if (!locked) {
      ::close(fd);
      fd = -1;
    }
  }
  if (locked) {
    // Who holds it, for a person looking at the file.
    const QByteArray who = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) != 0 || ::write(fd, who.constData(), size_t(who.size())) < 0)
      qWarning("Cannot note the process in %s", lockName.constData());
  }
  // Where no lock can be made at all (a read-only folder) no settings can be written either.
  if (!held) {
    FLockFd = fd;
    FPrimary = true;
    if (listen)
      Listen();
    return irPrimary;
  }

  // The running process may have taken the lock a moment ago and not listen yet: try for a while.
  QDeadlineTimer deadline(answerTimeoutMs);
  QLocalSocket socket;
  while (true) {
    socket.connectToServer(FKey);
    if (socket.waitForConnected(qMax(1, int(qMin<qint64>(500, deadline.remainingTime())))))
      break;
    if (deadline.hasExpired())
      return irNoAnswer;
    QThread::msleep(50);
  }
  socket.write(EncodeHandOver(files));
  while (socket.bytesToWrite() > 0 && !deadline.hasExpired())
    socket.waitForBytesWritten(qMax(1, int(deadline.remainingTime())));
  while (socket.bytesAvailable() < 1 && !deadline.hasExpired())
    if (!socket.waitForReadyRead(qMax(1, int(deadline.remainingTime()))))
      break;
  const bool taken = socket.bytesAvailable() > 0 && socket.read(1) == QByteArray(1, Ack);
  socket.disconnectFromServer();
  return taken ? irHandedOver : irNoAnswer;
}

void TSingleInstance::Accept() {
  while (QLocalSocket *socket = FServer->nextPendingConnection()) {
    socket->setParent(this);
    // A client that neither finishes nor leaves is dropped.
    auto *timer = new QTimer(socket);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, socket, [socket] { socket->abort(); });
    timer->start(10000);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (socket->bytesAvailable() > 0)
      Read(socket);
  }
}

void TSingleInstance::Read(QLocalSocket *socket) {
  QByteArray buffer = socket->property("handover").toByteArray();
  buffer += socket->read(MaxMessageBytes + HeaderBytes + 1 - buffer.size());
  bool complete = false;
  const std::optional<QStringList> files = DecodeHandOver(buffer, &complete);
  if (!complete) {
    socket->setProperty("handover", buffer);
    return;
  }
  socket->setProperty("handover", QByteArray());
  if (!files) {
    socket->abort();
    return;
  }
  socket->write(QByteArray(1, Ack));
  socket->flush();
  socket->disconnectFromServer();
  Deliver(*files);
}

void TSingleInstance::Deliver(const QStringList &files) {
  if (FHandler)
    FHandler(files);
  else
    FPending << files;
}

void TSingleInstance::Listen() {
  if (!FPrimary || FServer)
    return;
  FServer = new QLocalServer(this);
  FServer->setSocketOptions(QLocalServer::UserAccessOption);
  // A socket file left by a crashed first process would make listen() fail: we hold the lock,
  // so nobody else uses that name.
  QLocalServer::removeServer(FKey);
  if (!FServer->listen(FKey))
    qWarning("Cannot listen for later starts on %s: %s", qPrintable(FKey),
             qPrintable(FServer->errorString()));
  connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

void TSingleInstance::SetHandler(std::function<void(const QStringList &)> handler) {
  FHandler = std::move(handler);
  const QList<QStringList> pending = std::exchange(FPending, {});
  for (const QStringList &files : pending)
    Deliver(files);
}
