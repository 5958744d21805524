#include "core/dialogs/LinkTags.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <optional>

int IsURL(const QString &text) {
  static const char *const prefixes[] = {
      "http://", "ftp://", "mailto:", "news:", "ldap:", "telnet://", "https://"};
  for (int i = 0; i < 7; ++i)
    if (text.startsWith(QLatin1String(prefixes[i]), Qt::CaseInsensitive))
      return i + 1;
  return 0;
}

QString FormatAttribute(const QString &name, const QString &value) {
  return u' ' + name + QStringLiteral("=\"") + value + u'"';
}

QString ApplyLinkCase(const QString &link, int linkCase) {
  switch (linkCase) {
  case lcLower:
    return link.toLower();
  case lcUpper:
    return link.toUpper();
  default:
    return link;
  }
}

QString LinkToFile(const QString &fileName, const QString &folder, int linkCase) {
  QString rel = folder.isEmpty() ? fileName : QDir(folder).relativeFilePath(fileName);
  rel.replace(u'\\', u'/');
  return ApplyLinkCase(rel, linkCase);
}

QString AddressFile(const QString &address, const QString &folder, bool lastHash) {
  const qsizetype hash = lastHash ? address.lastIndexOf(u'#') : address.indexOf(u'#');
  const QString file = hash < 0 ? address : address.left(hash);
  if (file.isEmpty())
    return QString();
  return QDir::cleanPath(QDir(folder).absoluteFilePath(file));
}

const QStringList &LinkTargets() {
  static const QStringList t = {QStringLiteral("_blank"), QStringLiteral("_self"), QStringLiteral("_parent"),
                                QStringLiteral("_top")};
  return t;
}

namespace {
qsizetype IndexIgnoringCase(const QStringList &list, const QString &s) {
  for (qsizetype i = 0; i < list.size(); ++i)
    if (list[i].compare(s, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

// The value after the first `name="` (case ignored) up to the next double quote; nothing when
// the name is missing or its value has no closing quote.
std::optional<QString> QuotedValueAfter(const QString &text, const QString &name) {
  const qsizetype at = text.indexOf(name + QStringLiteral("=\""), 0, Qt::CaseInsensitive);
  if (at < 0)
    return std::nullopt;
  const qsizetype start = at + name.size() + 2;
  const qsizetype end = text.indexOf(u'"', start);
  if (end < 0)
    return std::nullopt;
  return text.mid(start, end - start);
}

// A name followed by "=" and a double-quoted value, blanks allowed around "=". Occurrences of
// the name inside other names or values ("data-alt", a title mentioning "width") are passed by.
std::optional<QString> AttributeValue(const QString &text, const QString &name) {
  qsizetype from = 0;
  while (true) {
    const qsizetype at = text.indexOf(name, from, Qt::CaseInsensitive);
    if (at < 0)
      return std::nullopt;
    from = at + 1;
    if (at > 0 && !text[at - 1].isSpace())
      continue;
    qsizetype i = at + name.size();
    while (i < text.size() && text[i].isSpace())
      ++i;
    if (i >= text.size() || text[i] != u'=')
      continue;
    ++i;
    while (i < text.size() && text[i].isSpace())
      ++i;
    if (i >= text.size() || text[i] != u'"')
      continue;
    const qsizetype end = text.indexOf(u'"', i + 1);
    if (end < 0)
      return std::nullopt;
    return text.mid(i + 1, end - i - 1).trimmed();
  }
}
} // namespace

TLinkAttributes ParseLinkAttributes(const QString &attributes) {
  TLinkAttributes a;
  if (const auto title = QuotedValueAfter(attributes, QStringLiteral("title")))
    a.Title = *title;
  if (const auto target = QuotedValueAfter(attributes, QStringLiteral("target"))) {
    const qsizetype i = IndexIgnoringCase(LinkTargets(), *target);
    a.Target = i < 0 ? 0 : int(i) + 1;
  }
  return a;
}

QString BuildLinkAttributes(const TLinkAttributes &a) {
  QString s;
  if (!a.Title.isEmpty())
    s += FormatAttribute(QStringLiteral("title"), a.Title);
  if (a.Target > 0 && a.Target <= LinkTargets().size())
    s += FormatAttribute(QStringLiteral("target"), LinkTargets()[a.Target - 1]);
  return s;
}

QString AnchorChoice(const QString &entry) {
  const qsizetype paren = entry.indexOf(u'(');
  return (paren < 0 ? entry : entry.left(paren)).trimmed();
}

int FilterIndexOf(const QString &filter, const QString &fileName) {
  const QStringList parts = filter.split(u'|');
  const int rows = int(parts.size() / 2);
  if (rows == 0)
    return 0;
  QString name = fileName;
  const qsizetype hash = name.indexOf(u'#');
  if (hash >= 0)
    name.truncate(hash);
  const QString ext = QFileInfo(name).suffix();
  if (!ext.isEmpty())
    for (int i = 0; i < rows; ++i)
      for (const QString &mask : parts[2 * i + 1].split(u';'))
        if (QFileInfo(mask.trimmed()).suffix().compare(ext, Qt::CaseInsensitive) == 0)
          return i;
  return rows - 1;
}

const QStringList &ImageAlignValues() {
  static const QStringList v = {QStringLiteral("left"), QStringLiteral("right"), QStringLiteral("top"),
                                QStringLiteral("middle"), QStringLiteral("bottom")};
  return v;
}

TImageAttributes ParseImageAttributes(const QString &attributes) {
  TImageAttributes a;
  const auto number = [](const QString &v) {
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok ? n : 0;
  };
  if (const auto v = AttributeValue(attributes, QStringLiteral("alt")))
    a.Alt = *v;
  if (const auto v = AttributeValue(attributes, QStringLiteral("title")))
    a.Title = *v;
  if (const auto v = AttributeValue(attributes, QStringLiteral("width")))
    a.Width = *v;
  if (const auto v = AttributeValue(attributes, QStringLiteral("height")))
    a.Height = *v;
  if (const auto v = AttributeValue(attributes, QStringLiteral("align"))) {
    const qsizetype i = IndexIgnoringCase(ImageAlignValues(), *v);
    a.Align = i < 0 ? iaNone : int(i) + 1;
  }
  if (const auto v = AttributeValue(attributes, QStringLiteral("border")))
    a.Border = number(*v);
  if (const auto v = AttributeValue(attributes, QStringLiteral("hspace")))
    a.HSpace = number(*v);
  if (const auto v = AttributeValue(attributes, QStringLiteral("vspace")))
    a.VSpace = number(*v);
  if (const auto v = AttributeValue(attributes, QStringLiteral("usemap")))
    a.UseMap = *v;
  if (const auto v = AttributeValue(attributes, QStringLiteral("onclick")))
    a.OnClick = *v;
  return a;
}

QString BuildImageAttributes(const TImageAttributes &a) {
  QString s;
  if (!a.Alt.isEmpty())
    s += FormatAttribute(QStringLiteral("alt"), a.Alt);
  if (!a.Title.isEmpty())
    s += FormatAttribute(QStringLiteral("title"), a.Title);
  if (!a.Width.isEmpty())
    s += FormatAttribute(QStringLiteral("width"), a.Width);
  if (!a.Height.isEmpty())
    s += FormatAttribute(QStringLiteral("height"), a.Height);
  if (a.Align > iaNone && a.Align <= ImageAlignValues().size())
    s += FormatAttribute(QStringLiteral("align"), ImageAlignValues()[a.Align - 1]);
  if (a.Border >= 0)
    s += FormatAttribute(QStringLiteral("border"), QString::number(a.Border));
  if (a.HSpace > 0)
    s += FormatAttribute(QStringLiteral("hspace"), QString::number(a.HSpace));
  if (a.VSpace > 0)
    s += FormatAttribute(QStringLiteral("vspace"), QString::number(a.VSpace));
  if (!a.UseMap.isEmpty())
    s += FormatAttribute(QStringLiteral("usemap"), a.UseMap);
  if (!a.OnClick.isEmpty())
    s += FormatAttribute(QStringLiteral("onclick"), a.OnClick);
  return s;
}

int SpacingForAlign(int align, int hspace) {
  return (align == iaLeft || align == iaRight) && hspace == 0 ? 5 : hspace;
}

TImageFormat ImageFormatOf(const QString &fileName) {
  const QString ext = QFileInfo(fileName).suffix().toLower();
  if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
    return ifJpeg;
  if (ext == QLatin1String("gif"))
    return ifGif;
  if (ext == QLatin1String("png"))
    return ifPng;
  if (ext == QLatin1String("webp"))
    return ifWebp;
  if (ext == QLatin1String("svg"))
    return ifSvg;
  return ifNone;
}

const char *ImageFormatName(TImageFormat f) {
  switch (f) {
  case ifJpeg:
    return "jpeg";
  case ifGif:
    return "gif";
  case ifPng:
    return "png";
  case ifWebp:
    return "webp";
  case ifSvg:
    return "svg";
  default:
    return "";
  }
}

QString DownloadFileName(const QString &folder, const QString &program, const QString &url) {
  const QString path = QUrl(url).path();
  const QString last = path.mid(path.lastIndexOf(u'/') + 1);
  const qsizetype dot = last.lastIndexOf(u'.');
  QString suffix;
  if (dot >= 0) {
    const QString s = last.mid(dot + 1);
    bool plain = !s.isEmpty() && s.size() <= 8;
    for (QChar c : s)
      plain = plain && c.isLetterOrNumber() && c.unicode() < 128;
    if (plain)
      suffix = u'.' + s;
  }
  return QDir(folder).filePath(u'~' + program + suffix);
}
