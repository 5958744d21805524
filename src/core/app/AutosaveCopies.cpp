#include "core/app/AutosaveCopies.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace {
const QString Ext = QStringLiteral(".tsv");

bool NewerThanDocument(const QFileInfo &copy, const QString &document) {
  const QFileInfo doc(document);
  return doc.isFile() && copy.lastModified() > doc.lastModified();
}
} // namespace

QString AutosaveCopyName(const QString &base, int n) {
  return n <= 1 ? base + Ext : base + u'.' + QString::number(n) + Ext;
}

QList<TAutosaveCopy> AutosaveCopiesOf(const QString &fileName) {
  const QFileInfo fi(fileName);
  QList<QFileInfo> found;
  const QFileInfo plain(AutosaveCopyName(fileName, 1));
  if (plain.isFile())
    found << plain;
  // Numbered copies: "<file>.<n>.tsv".
  const QRegularExpression numbered(QStringLiteral("^") + QRegularExpression::escape(fi.fileName()) +
                                    QStringLiteral("\\.[0-9]{1,4}\\.tsv$"));
  const QFileInfoList candidates =
      fi.dir().entryInfoList({fi.fileName() + QStringLiteral(".*.tsv")}, QDir::Files | QDir::Hidden);
  for (const QFileInfo &c : candidates)
    if (numbered.match(c.fileName()).hasMatch())
      found << c;
  QList<TAutosaveCopy> r;
  std::sort(found.begin(), found.end(),
            [](const QFileInfo &a, const QFileInfo &b) { return a.lastModified() > b.lastModified(); });
  for (const QFileInfo &c : found)
    if (NewerThanDocument(c, fileName))
      r << TAutosaveCopy{c.absoluteFilePath(), fi.absoluteFilePath()};
  return r;
}

QList<TAutosaveCopy> FindAutosaveCopies(const QString &folder) {
  static const QRegularExpression unnamed(QStringLiteral("^New[0-9]+\\.tsv$"));
  static const QRegularExpression number(QStringLiteral("\\.[0-9]{1,4}$"));
  QList<TAutosaveCopy> r;
  const QDir dir(folder);
  for (const QFileInfo &c :
       dir.entryInfoList({QStringLiteral("*.tsv")}, QDir::Files | QDir::Hidden, QDir::Name)) {
    const QString base = c.absoluteFilePath().chopped(Ext.size());
    if (unnamed.match(c.fileName()).hasMatch() && !QFileInfo::exists(base)) {
      r << TAutosaveCopy{c.absoluteFilePath(), QString()};
      continue;
    }
    QString document = base;
    if (!QFileInfo(document).isFile()) {
      const auto m = number.match(base);
      if (m.hasMatch())
        document = base.left(m.capturedStart());
    }
    if (NewerThanDocument(c, document))
      r << TAutosaveCopy{c.absoluteFilePath(), QFileInfo(document).absoluteFilePath()};
  }
  return r;
}
