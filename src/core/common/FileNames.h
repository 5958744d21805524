#pragma once
// File-name comparisons. File names on this system are case-sensitive, so names are compared
// as cleaned absolute paths, case-sensitively; this is the one place that decides it.
#include <QString>

QString NormalizedPath(const QString &fileName);
// Same file: equal cleaned paths, or (for existing files) the same target of symbolic links.
bool SameFileName(const QString &a, const QString &b);
// True when path lies in folder (or is the folder); folder may end with '/'.
bool IsInFolder(const QString &path, const QString &folder);
// path relative to folder when it lies inside it, else path unchanged.
QString RelativeToFolder(const QString &path, const QString &folder);
// Folder of a file name with a trailing '/'.
QString FolderOf(const QString &fileName);
QString WithTrailingSlash(const QString &folder);
