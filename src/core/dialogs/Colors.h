#pragma once
// Colour values as the settings and the colour commands keep them: 0x00BBGGRR (red in the low
// byte), NoColor for "no colour". Code gets them as RRGGBB.
#include <QString>
#include <array>

constexpr quint32 NoColor = 0x1FFFFFFF;
constexpr int ColorListSize = 16;
using TColorList = std::array<quint32, ColorListSize>;

constexpr quint32 RgbToColor(int r, int g, int b) {
  return quint32(r & 0xFF) | (quint32(g & 0xFF) << 8) | (quint32(b & 0xFF) << 16);
}
constexpr int ColorRed(quint32 c) {
  return int(c & 0xFF);
}
constexpr int ColorGreen(quint32 c) {
  return int((c >> 8) & 0xFF);
}
constexpr int ColorBlue(quint32 c) {
  return int((c >> 16) & 0xFF);
}

// The 16 fixed colours of the colour dialog, in panel order (two rows of eight).
extern const TColorList BasicColors;

// Six upper-case hexadecimal digits, red first ("FF0000" for pure red), without "#".
QString ColorToHex(quint32 color);
// The reverse of ColorToHex; a leading "#" is skipped, a pair that does not read counts as 0.
quint32 HexToColor(const QString &hex);
// True for exactly six hexadecimal digits, with or without a leading "#".
bool IsHexColor(const QString &text);

// The additional colours as the settings file keeps them: "$" + upper-case hexadecimal value
// with at least three digits, joined by ",". Reading takes at most 16 pieces; missing ones and
// pieces that do not read are black.
TColorList ParseColorList(const QString &text);
QString FormatColorList(const TColorList &list);
// The list used when the settings hold none.
TColorList DefaultCustomColors();
