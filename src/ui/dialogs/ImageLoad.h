#pragma once
// Loading the picture of an image file or image URL for the image dialog and the map editor.
// The decoder is chosen by the file's extension alone; a file the decoder cannot read is an
// "Invalid image format!", whatever its content would suggest.
#include <QImage>
#include <QString>

struct TImageLoad {
  QImage Image;  // null on failure
  QString Error; // the message for the user on failure
  bool Ok() const { return !Image.isNull(); }
};

// "File: \"name\"\r\nnot found!" for a missing file, "Invalid image format!" otherwise.
TImageLoad LoadImageFile(const QString &fileName);

// Downloads url (http or https, redirects followed) into target, replacing it. Gives up after
// timeoutMs without progress and for bodies above maxBytes. Empty on success, else the message.
QString DownloadFile(const QString &url, const QString &target, int timeoutMs = 15000,
                     qint64 maxBytes = 64 * 1024 * 1024);
