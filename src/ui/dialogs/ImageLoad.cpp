#include "ui/dialogs/ImageLoad.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"
#include "core/dialogs/LinkTags.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

TImageLoad LoadImageFile(const QString &fileName) {
  TImageLoad r;
  if (!QFileInfo(fileName).isFile()) {
    r.Error = QString(_("File: \"%s\"\r\nnot found!")).replace(QLatin1String("%s"), fileName);
    return r;
  }
  const TImageFormat f = ImageFormatOf(fileName);
  if (f != ifNone) {
    QImageReader reader(fileName, ImageFormatName(f));
    // The name decides: a PNG renamed to .jpg is not silently read as PNG.
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    r.Image = reader.read();
  }
  if (r.Image.isNull())
    r.Error = _("Invalid image format!");
  return r;
}

QString DownloadFile(const QString &url, const QString &target, int timeoutMs, qint64 maxBytes) {
  QNetworkAccessManager manager;
  QNetworkRequest request{QUrl(url)};
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setMaximumRedirectsAllowed(10);
  // Without progress for this long the transfer is abandoned (a server that never answers).
  request.setTransferTimeout(timeoutMs);
  QNetworkReply *reply = manager.get(request);
  QByteArray body;
  bool tooLarge = false;
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
    if (!tooLarge)
      body += reply->readAll();
    if (body.size() > maxBytes) {
      tooLarge = true;
      reply->abort();
    }
  });
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  // A last guard for a server that trickles bytes forever.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, reply, &QNetworkReply::abort);
  guard.start(std::max(timeoutMs * 8, 60000));
  if (!reply->isFinished())
    loop.exec();
  if (reply->isOpen() && !tooLarge)
    body += reply->readAll();
  QString error;
  if (tooLarge)
    error = _("The image is too large.");
  else if (reply->error() == QNetworkReply::OperationCanceledError ||
           reply->error() == QNetworkReply::TimeoutError)
    error = _("No answer from the server (time-out).") + QStringLiteral("\r\n") + url;
  else if (reply->error() != QNetworkReply::NoError)
    error = reply->errorString();
  else if (body.isEmpty())
    error = _("The server sent no data.") + QStringLiteral("\r\n") + url;
  reply->deleteLater();
  if (error.isEmpty() && !WriteFileAtomically(target, body, &error) && error.isEmpty())
    error = target;
  return error;
}
