#pragma once
// File helpers for every test, with or without widgets.
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

inline QByteArray ReadAll(const QString &f) {
  QFile file(f);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes d to f, making the folders it needs.
inline bool WriteAll(const QString &f, const QByteArray &d) {
  QDir().mkpath(QFileInfo(f).absolutePath());
  QFile file(f);
  return file.open(QIODevice::WriteOnly) && file.write(d) == d.size();
}

inline bool SetTime(const QString &f, const QDateTime &t) {
  QFile file(f);
  return file.open(QIODevice::ReadWrite) && file.setFileTime(t, QFileDevice::FileModificationTime);
}
