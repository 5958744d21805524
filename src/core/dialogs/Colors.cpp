#include "core/dialogs/Colors.h"
#include "core/common/Settings.h"

#include <QStringList>
#include <algorithm>

namespace {
bool IsHexDigit(QChar c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}
} // namespace

const TColorList BasicColors = {
    RgbToColor(0x00, 0x00, 0x00), RgbToColor(0x80, 0x00, 0x00), RgbToColor(0x00, 0x80, 0x00),
    RgbToColor(0x00, 0x00, 0x80), RgbToColor(0x80, 0x80, 0x00), RgbToColor(0x80, 0x00, 0x80),
    RgbToColor(0x00, 0x80, 0x80), RgbToColor(0x80, 0x80, 0x80), RgbToColor(0xFF, 0x00, 0x00),
    RgbToColor(0x00, 0xFF, 0x00), RgbToColor(0xFF, 0xFF, 0x00), RgbToColor(0x00, 0x00, 0xFF),
    RgbToColor(0xFF, 0x00, 0xFF), RgbToColor(0x00, 0xFF, 0xFF), RgbToColor(0xC0, 0xC0, 0xC0),
    RgbToColor(0xFF, 0xFF, 0xFF),
};

QString ColorToHex(quint32 color) {
  return QStringLiteral("%1%2%3")
      .arg(ColorRed(color), 2, 16, QLatin1Char('0'))
      .arg(ColorGreen(color), 2, 16, QLatin1Char('0'))
      .arg(ColorBlue(color), 2, 16, QLatin1Char('0'))
      .toUpper();
}

quint32 HexToColor(const QString &hex) {
  const QString s = hex.startsWith(u'#') ? hex.mid(1) : hex;
  int rgb[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    // Only two real digits count (toInt alone would take a sign or a blank).
    const QString pair = s.mid(2 * i, 2);
    if (pair.size() == 2 && IsHexDigit(pair[0]) && IsHexDigit(pair[1]))
      rgb[i] = pair.toInt(nullptr, 16);
  }
  return RgbToColor(rgb[0], rgb[1], rgb[2]);
}

bool IsHexColor(const QString &text) {
  const QString s = text.startsWith(u'#') ? text.mid(1) : text;
  if (s.size() != 6)
    return false;
  return std::all_of(s.begin(), s.end(), IsHexDigit);
}

TColorList ParseColorList(const QString &text) {
  TColorList list{};
  const QStringList pieces = text.split(u',');
  for (int i = 0; i < ColorListSize && i < pieces.size(); ++i) {
    const QString p = pieces[i].trimmed();
    bool ok = false;
    quint32 v = 0;
    if (p.startsWith(u'$'))
      v = p.mid(1).toUInt(&ok, 16);
    else if (p.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
      v = p.mid(2).toUInt(&ok, 16);
    else
      v = quint32(p.toInt(&ok));
    list[i] = ok ? v : 0;
  }
  return list;
}

QString FormatColorList(const TColorList &list) {
  QStringList pieces;
  for (quint32 c : list)
    pieces << u'$' + QStringLiteral("%1").arg(c, 3, 16, QLatin1Char('0')).toUpper();
  return pieces.join(u',');
}

TColorList DefaultCustomColors() {
  return ParseColorList(QString::fromLatin1(TAppSettings::DefaultCustomColors));
}
