#pragma once
// A second connection that sends files alongside the publishing walk's session. Most of the time
// of a small file is spent waiting for the server's answers; two sessions keep the server busy
// while either waits.
//
// The helper only sends scratch files (see TPublisher::SendScratch): the walk's own session still
// checks, times and renames every file, in order, so the log and the rules for placing files stay
// as they are. Whatever the helper cannot do is handed back undone and the walk's session sends
// it itself: a server that refuses a second login, a lost connection, a refused file. After its
// first failure the helper takes no more files.
//
// The helper's session is connected, used and dropped on the helper's own thread.
#include "core/publish/RemoteSession.h"

#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class TUploadHelper {
public:
  struct TJob {
    QString Dir;    // absolute remote folder
    QString Source; // local file
    QString Temp;   // scratch name (before the case change)
  };
  struct TDone {
    int Result = -1;       // a transfer result code; -1: not tried
    bool Leftover = false; // a scratch file may be left on the server
  };

  // Starts connecting at once. stop: the walk's cancel flag; the helper starts no file once it is
  // set and ends a running transfer when it sees it.
  TUploadHelper(std::unique_ptr<TRemoteSession> session, const std::atomic<bool> &stop);
  // Waits for the running file and the logout.
  ~TUploadHelper();
  TUploadHelper(const TUploadHelper &) = delete;
  TUploadHelper &operator=(const TUploadHelper &) = delete;

  // True when the helper is logged on, still willing and has fewer than `depth` files in hand.
  bool Accepts(int depth) const;
  // Hands over a file; its number among the files handed over since the last Collect().
  int Queue(TJob job);
  // Waits until every file handed over is done and returns their results in order.
  QList<TDone> Collect();
  // Thread-safe: ends the running transfer.
  void Abort();
  // Starts the logout without waiting for it (the destructor waits); a logon still under way is
  // broken off.
  void Finish();

private:
  void Run();
  TDone Send(const TJob &job);

  std::unique_ptr<TRemoteSession> FSession; // the helper thread's; dropped under FLock
  const std::atomic<bool> &FStop;
  mutable std::mutex FLock;
  std::condition_variable FWake, FDoneCv;
  enum TState { hsConnecting, hsReady, hsGone } FState = hsConnecting;
  bool FQuit = false;
  QList<TJob> FJobs;
  QList<TDone> FResults;
  int FNext = 0; // the first job not finished
  std::thread FThread;
};
