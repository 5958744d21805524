#pragma once
// Writing files without ever leaving a half-written one behind.
#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// Writes data to a temporary file in the same folder, flushes it, then renames it over fileName
// (keeping the permissions of an existing file; a new file gets newFilePermissions when given).
// On failure the old file is untouched and error (when given) says why, in the system's words
// ("No space left on device").
bool WriteFileAtomically(const QString &fileName, QByteArrayView data, QString *error = nullptr,
                         std::optional<QFileDevice::Permissions> newFilePermissions = std::nullopt);

// Tests only: while set to a non-zero errno value, every WriteFileAtomically fails after creating
// its temporary file as if writing the data had failed with that error. 0 turns it off.
void SetSimulatedWriteError(int errnoValue);
