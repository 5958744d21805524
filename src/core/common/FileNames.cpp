#include "core/common/FileNames.h"

#include <QDir>
#include <QFileInfo>

QString NormalizedPath(const QString &fileName) {
  if (fileName.isEmpty())
    return {};
  return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

bool SameFileName(const QString &a, const QString &b) {
  if (NormalizedPath(a) == NormalizedPath(b))
    return true;
  // A symbolic link (to the file or to a folder on its way) and its target are one file.
  const QString ca = QFileInfo(a).canonicalFilePath();
  return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

bool IsInFolder(const QString &path, const QString &folder) {
  if (folder.isEmpty())
    return false;
  const QString p = NormalizedPath(path), f = NormalizedPath(folder);
  return p == f || p.startsWith(f == QLatin1String("/") ? f : f + u'/');
}

QString RelativeToFolder(const QString &path, const QString &folder) {
  if (!IsInFolder(path, folder))
    return path;
  return QDir(NormalizedPath(folder)).relativeFilePath(NormalizedPath(path));
}

QString FolderOf(const QString &fileName) { return WithTrailingSlash(QFileInfo(fileName).absolutePath()); }

QString WithTrailingSlash(const QString &folder) {
  if (folder.isEmpty() || folder.endsWith(u'/'))
    return folder;
  return folder + u'/';
}
