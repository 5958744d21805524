#include "core/preview/PreviewFile.h"
#include "core/common/FileNames.h"
#include "core/editor/TextFile.h"
#include "core/publish/Templates.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

QString PreviewFileName(const QString &folder, const QString &programBase) {
  return WithTrailingSlash(folder) + u'~' + programBase + QStringLiteral(".html");
}

TPreviewWrite WritePreviewFile(const QString &folder, const QString &programBase, QByteArrayView utf8,
                               TSynEncoding enc, bool bom, bool isTemplate) {
  TPreviewWrite r;
  const QString page = PreviewFileName(folder, programBase);
  const QString target = isTemplate ? page.chopped(4) + QStringLiteral("htmp") : page;
  QString err;
  if (!SaveUtf8TextFile(target, utf8, enc, bom, &err, nullptr, true)) {
    r.Error = err;
    return r;
  }
  if (!isTemplate) {
    r.FileName = page;
    return r;
  }
  QString why;
  const QString expanded = ProcessTemplate(target, {}, &why);
  QFile::remove(target);
  // The expansion keeps the previous page as a backup; of a scratch page nobody needs one.
  QFile::remove(page + QStringLiteral(".bak"));
  if (expanded.isEmpty()) {
    r.TemplateFailed = true;
    r.Error = why;
    return r;
  }
  r.FileName = expanded;
  return r;
}

QStringList PreviewSizeEntries() {
  return {QStringLiteral("640x480"), QStringLiteral("800x600"), QStringLiteral("1024x768"),
          QStringLiteral("1280x960")};
}

QSize ParseSizeEntry(const QString &entry) {
  const QStringList parts = entry.trimmed().split(u'x');
  if (parts.size() != 2)
    return {};
  bool okW = false, okH = false;
  const int w = parts[0].trimmed().toInt(&okW), h = parts[1].trimmed().toInt(&okH);
  // Beyond any screen: a damaged settings value must not make a window of a million pixels.
  if (!okW || !okH || w < 1 || h < 1 || w > 16384 || h > 16384)
    return {};
  return {w, h};
}

QString SizeEntryText(QSize size) { return QString::number(size.width()) + u'x' + QString::number(size.height()); }

QString ReferenceAddress(const QString &path) {
  if (path.contains(QLatin1String("://")))
    return path;
  QString local = path;
  local.replace(u'\\', u'/');
  return QUrl::fromLocalFile(QFileInfo(local).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

QString DefaultWikiAddress() { return QStringLiteral("https://wiki.selfhtml.org/wiki/Startseite"); }
