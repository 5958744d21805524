#include "core/publish/TransferLog.h"

#include "core/common/Encodings.h"
#include "core/common/Translate.h"

#include <QCoreApplication>
#include <QLocale>

bool TTransferLog::Open(const QString &fileName) {
  if (FFile.isOpen())
    FFile.close();
  if (!UseLog)
    return false;
  FFile.setFileName(fileName);
  if (!FFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
    UseLog = false;
    return false;
  }
  return true;
}

void TTransferLog::WriteLog(int indent, const QString &text) {
  if (!UseLog || !FFile.isOpen())
    return;
  // One line per entry whatever the text holds: a name with a line break must not forge a
  // section start or an error line.
  QString line = QString(qMax(0, indent), u' ') + text;
  line.replace(u'\r', u' ');
  line.replace(u'\n', u' ');
  FFile.write(EncodeAnsi(line) + "\r\n");
  FFile.flush();
}

void TTransferLog::WriteLogDir(int indent, bool rootToo, const QString &folder) {
  if (folder.isEmpty()) {
    if (rootToo)
      WriteLog(indent, _("Root directory"));
    return;
  }
  WriteLog(indent, _("Directory: ") + folder);
}

void TTransferLog::BeginSection(const QString &title) {
  const QString product = Product.isEmpty() ? QCoreApplication::applicationName() : Product;
  const QString version = Version.isEmpty() ? QCoreApplication::applicationVersion() : Version;
  WriteLog(0, product + QStringLiteral(" (Vers. ") + version + u')');
  WriteLog(0, title + QStringLiteral(": ") + DateTimeText(Now()));
}

void TTransferLog::WriteLogSummary(int indent, int deleted, int copied) {
  if (deleted < 0) {
    WriteLog(indent, _("Error on file transfer!"));
    return;
  }
  if (deleted > 0)
    WriteLog(indent, FormatS(_("%u file(s) deleted"), {QString::number(deleted)}));
  if (copied > 0)
    WriteLog(indent, FormatS(_("%u file(s) copied"), {QString::number(copied)}));
  if (deleted == 0 && copied == 0)
    WriteLog(indent, _("Nothing to do!"));
}

void TTransferLog::Close() {
  if (!FFile.isOpen())
    return;
  WriteLog(0, _("Finished: ") + DateTimeText(Now()));
  WriteLog(0, QString());
  FFile.close();
}

QString TTransferLog::FileTime(const QDateTime &t) {
  if (!t.isValid() || t.date().year() < 1)
    return _("invalid timestamp");
  return t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString TTransferLog::DateTimeText(const QDateTime &t) {
  const QLocale l = QLocale::system();
  // The long time format may end in the zone name ("t"); the log never showed one.
  QString timeFormat = l.timeFormat(QLocale::LongFormat);
  timeFormat.remove(QLatin1String(" t"));
  timeFormat.remove(u't');
  return l.toString(t.date(), QLocale::ShortFormat) + u' ' + l.toString(t.time(), timeFormat.trimmed());
}
