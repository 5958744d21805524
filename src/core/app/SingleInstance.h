#pragma once
// One running program per settings file. The first process holds a lock beside the settings file
// and listens on a local socket named after the file's absolute path; a later start with the same
// settings file hands its file names over that socket and ends, so that only one process ever
// writes the settings. The lock is the system's lock on an open file, which ends with its process:
// after a crash the next start simply gets it (and takes over the socket file left behind).
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

class TSingleInstance : public QObject {
  Q_OBJECT
public:
  enum TRole {
    irPrimary,    // this process runs the program and receives later starts' files
    irHandedOver, // another process runs it and took the files: end at once
    irNoAnswer    // another process holds the lock but did not take the files
  };

  explicit TSingleInstance(const QString &settingsFile, QObject *parent = nullptr);
  ~TSingleInstance() override;

  // Becomes the primary process, or hands files (absolute names) to the running one. The primary
  // process listens for later starts at once, or (listen false) from Listen() on: a later start
  // keeps trying for a while, so the program may first put its window on the screen.
  TRole Start(const QStringList &files, int answerTimeoutMs = 5000, bool listen = true);
  void Listen();

  // Files handed over by later starts go to handler; those that came before it was set are
  // handed on when it is set.
  void SetHandler(std::function<void(const QStringList &)> handler);

  // The name both the lock and the socket are derived from (a hash of the settings file's path).
  static QString KeyOf(const QString &settingsFile);
  QString ServerName() const { return FKey; }

  // Bounds of one hand-over: anything larger or slower is dropped.
  static constexpr qint64 MaxMessageBytes = 1 << 20;
  static constexpr int MaxFiles = 1000;

private:
  void Accept();
  void Read(QLocalSocket *socket);
  void Deliver(const QStringList &files);

  QString FKey, FSettingsFile;
  int FLockFd = -1; // the open, locked file while this process is the primary one
  bool FPrimary = false;
  QLocalServer *FServer = nullptr;
  std::function<void(const QStringList &)> FHandler;
  QList<QStringList> FPending;
};

// The message a later start sends, and its reading (nothing when it is damaged or too large).
QByteArray EncodeHandOver(const QStringList &files);
std::optional<QStringList> DecodeHandOver(const QByteArray &data, bool *complete = nullptr);
