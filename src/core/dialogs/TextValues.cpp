#include "core/dialogs/TextValues.h"

QStringList ParseCommaText(const QString &text) {
  QStringList items;
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto skipBlanks = [&] {
    while (i < n && text[i] <= u' ')
      ++i;
  };
  skipBlanks();
  while (i < n) {
    QString item;
    if (text[i] == u'"') {
      ++i;
      while (i < n) {
        if (text[i] == u'"') {
          if (i + 1 < n && text[i + 1] == u'"') {
            item += u'"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
    } else {
      while (i < n && text[i] > u' ' && text[i] != u',')
        item += text[i++];
    }
    items << item;
    skipBlanks();
    if (i < n && text[i] == u',') {
      ++i;
      skipBlanks();
      if (i == n) // a final comma leaves an empty item
        items << QString();
    }
  }
  return items;
}

TMailParts SplitMailAddress(const QString &address) {
  const qsizetype at = address.indexOf(u'@');
  if (at < 0)
    return {address, QString()};
  const QString base = address.mid(at);
  return {address.left(at), base == QStringLiteral("@") ? QString() : base};
}

QString ComposeMailAddress(const QString &name, const QString &base) {
  QString b = base.trimmed();
  if (!b.isEmpty() && !b.startsWith(u'@'))
    b.prepend(u'@');
  return name.trimmed() + b;
}
