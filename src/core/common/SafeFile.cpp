#include "core/common/SafeFile.h"

#include <QFileInfo>
#include <QSaveFile>

bool WriteFileAtomically(const QString &fileName, QByteArrayView data, QString *error) {
  QSaveFile f(fileName);
  // Writing into the folder directly would leave a partial file on failure.
  f.setDirectWriteFallback(false);
  if (!f.open(QIODevice::WriteOnly)) {
    if (error)
      *error = f.errorString();
    return false;
  }
  if (f.write(data.data(), data.size()) != data.size()) {
    if (error)
      *error = f.errorString();
    f.cancelWriting();
    return false;
  }
  if (!f.commit()) {
    if (error)
      *error = f.errorString();
    return false;
  }
  return true;
}
