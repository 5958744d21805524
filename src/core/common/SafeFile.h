#pragma once
// Writing files without ever leaving a half-written one behind.
#include <QByteArray>
#include <QString>

// Writes data to a temporary file in the same folder, flushes it, then renames it over fileName
// (keeping the permissions of an existing file). On failure the old file is untouched and
// error (when given) says why.
bool WriteFileAtomically(const QString &fileName, QByteArrayView data, QString *error = nullptr);
