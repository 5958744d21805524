#pragma once
// The transfer log: every publishing or removal run appends a section to one text file in code
// page Windows-1252 with CR LF line ends. A section starts with the product line (the log viewer
// finds sections by it); error lines start with "*** " (the viewer finds errors by them).
#include <QDateTime>
#include <QFile>
#include <QString>
#include <functional>

class TTransferLog {
public:
  TTransferLog() = default;
  ~TTransferLog() { Close(); }

  bool UseLog = true; // "File transfer log" on or off
  // The product line; empty: the application's name and version.
  QString Product;
  QString Version;
  // The time of "Finished:" and of section headings; tests fix it.
  std::function<QDateTime()> Now = [] { return QDateTime::currentDateTime(); };

  // Opens fileName for appending (created when missing). A failure switches logging off.
  bool Open(const QString &fileName);
  bool IsOpen() const { return FFile.isOpen(); }
  // Product line and "<title>: <date time>".
  void BeginSection(const QString &title);
  void WriteLog(int indent, const QString &text);
  void WriteLogError(int indent, const QString &text) { WriteLog(indent, QStringLiteral("*** ") + text); }
  // "Directory: <folder>", or "Root directory" for an empty folder when rootToo is set.
  void WriteLogDir(int indent, bool rootToo, const QString &folder);
  // deleted < 0: the run failed.
  void WriteLogSummary(int indent, int deleted, int copied);
  // "Finished: <date time>" and an empty line, then closes the file.
  void Close();

  // "yyyy-mm-dd hh:nn:ss", or "invalid timestamp".
  static QString FileTime(const QDateTime &t);
  // The system's short date and long time.
  static QString DateTimeText(const QDateTime &t);

private:
  QFile FFile;
};
