#include "core/common/Encodings.h"
#include "core/common/Translate.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cstring>

namespace {
// 0x80..0x9F of Windows-1252; unassigned bytes keep their C1 value.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int AnsiByteOf(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
    return c;
  for (int i = 0; i < 32; ++i)
    if (Cp1252High[i] == c)
      return 0x80 + i;
  return -1;
}

// Length of the well-formed UTF-8 sequence at p (1 for ASCII), 0 when malformed,
// -1 when the data ends inside a sequence that is well-formed so far.
int Utf8SequenceLength(const unsigned char *p, qsizetype avail) {
  const unsigned char c = p[0];
  if (c < 0x80)
    return 1;
  int len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF)
    len = 2;
  else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0)
      lo = 0xA0;
    else if (c == 0xED)
      hi = 0x9F; // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0)
      lo = 0x90;
    else if (c == 0xF4)
      hi = 0x8F;
  } else
    return 0;
  for (int i = 1; i < len; ++i) {
    if (i >= avail)
      return -1;
    const unsigned char b = p[i];
    const unsigned char l = i == 1 ? lo : 0x80, h = i == 1 ? hi : 0xBF;
    if (b < l || b > h)
      return 0;
  }
  return len;
}

// Scans sequences that start before limit (sequences may run on to n). 1 = valid UTF-8 with a
// multi-byte sequence, 0 = pure 7-bit (undecided), -1 = not UTF-8. Data that ends inside a
// sequence is not UTF-8.
int ScanUtf8(const unsigned char *p, qsizetype n, qsizetype limit, bool stopAtFirstMultiByte) {
  bool multi = false;
  for (qsizetype i = 0; i < limit && i < n;) {
    // Runs of ASCII go eight bytes at a time.
    while (i + 8 <= n && i + 8 <= limit) {
      quint64 w;
      std::memcpy(&w, p + i, 8);
      if (w & 0x8080808080808080ULL)
        break;
      i += 8;
    }
    if (i >= limit || i >= n)
      break;
    const int len = Utf8SequenceLength(p + i, n - i);
    if (len <= 0)
      return -1;
    if (len > 1) {
      multi = true;
      if (stopAtFirstMultiByte)
        return 1;
    }
    i += len;
  }
  return multi ? 1 : 0;
}
} // namespace

TDetectedEncoding DetectEncoding(const QByteArray &data) {
  const auto *p = reinterpret_cast<const unsigned char *>(data.constData());
  const qsizetype n = data.size();
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
    return {seUTF8, true};
  if (ScanUtf8(p, n, n, false) == 1)
    return {seUTF8, false};
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE)
    return {seUTF16LE, true};
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF)
    return {seUTF16BE, true};
  return {seAnsi, false};
}

QString DecodeAnsi(QByteArrayView data) {
  QString s(data.size(), Qt::Uninitialized);
  auto *out = reinterpret_cast<char16_t *>(s.data());
  for (qsizetype i = 0; i < data.size(); ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    out[i] = (b >= 0x80 && b < 0xA0) ? Cp1252High[b - 0x80] : char16_t(b);
  }
  return s;
}

qsizetype FirstNonAnsiChar(QStringView text) {
  for (qsizetype i = 0; i < text.size(); ++i)
    if (AnsiByteOf(text[i].unicode()) < 0)
      return i;
  return -1;
}

QByteArray EncodeAnsi(QStringView text) {
  QByteArray out(text.size(), Qt::Uninitialized);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const int b = AnsiByteOf(text[i].unicode());
    out[i] = b < 0 ? '?' : char(b);
  }
  return out;
}

bool DecodeText(const QByteArray &data, TSynEncoding enc, bool hasBom, QString &text, QString &error) {
  error.clear();
  switch (enc) {
  case seUTF8: {
    const QByteArrayView body = QByteArrayView(data).sliced(hasBom && data.size() >= 3 ? 3 : 0);
    QStringDecoder dec(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = dec.decode(body);
    if (dec.hasError()) {
      error = _("The file is not valid UTF-8 text.");
      return false;
    }
    break;
  }
  case seUTF16LE:
  case seUTF16BE: {
    const QByteArrayView body = QByteArrayView(data).sliced(hasBom && data.size() >= 2 ? 2 : 0);
    if (body.size() % 2) {
      error = _("The file ends in the middle of a UTF-16 character.");
      return false;
    }
    QStringDecoder dec(enc == seUTF16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                       QStringDecoder::Flag::Stateless);
    text = dec.decode(body);
    break;
  }
  case seAnsi:
    if (data.contains('\0')) {
      error = _("The file contains NUL bytes: it is not a text file.");
      return false;
    }
    text = DecodeAnsi(data);
    break;
  }
  if (enc == seUTF8 && text.contains(QChar(0))) {
    error = _("The file contains NUL bytes: it is not a text file.");
    return false;
  }
  return true;
}

QByteArray EncodeText(const QString &text, TSynEncoding enc, bool bom) {
  QByteArray out;
  switch (enc) {
  case seUTF8:
    if (bom)
      out = QByteArray("\xEF\xBB\xBF", 3);
    out += text.toUtf8();
    break;
  case seUTF16LE:
  case seUTF16BE: {
    const bool le = enc == seUTF16LE;
    out.resize(2 + text.size() * 2);
    out[0] = le ? '\xFF' : '\xFE';
    out[1] = le ? '\xFE' : '\xFF';
    char *p = out.data() + 2;
    for (QChar c : text) {
      const char16_t u = c.unicode();
      *p++ = char(le ? (u & 0xFF) : (u >> 8));
      *p++ = char(le ? (u >> 8) : (u & 0xFF));
    }
    break;
  }
  case seAnsi:
    out = EncodeAnsi(text);
    break;
  }
  return out;
}

int EncodingOfCharset(QStringView name) {
  for (int i = 0; i < EncodingCount; ++i)
    if (name.compare(QLatin1String(CharsetNames[i]), Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

bool IsValidUtf8(QByteArrayView data) {
  const auto *p = reinterpret_cast<const unsigned char *>(data.data());
  return ScanUtf8(p, data.size(), data.size(), false) >= 0;
}

QByteArray AnsiToUtf8(QByteArrayView data) {
  QByteArray out(data.size() * 3, Qt::Uninitialized);
  char *o = out.data();
  for (char ch : data) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      *o++ = ch;
      continue;
    }
    const char16_t u = b < 0xA0 ? Cp1252High[b - 0x80] : char16_t(b);
    if (u < 0x800) {
      *o++ = char(0xC0 | (u >> 6));
      *o++ = char(0x80 | (u & 0x3F));
    } else {
      *o++ = char(0xE0 | (u >> 12));
      *o++ = char(0x80 | ((u >> 6) & 0x3F));
      *o++ = char(0x80 | (u & 0x3F));
    }
  }
  out.truncate(o - out.data());
  return out;
}

QByteArray Utf8ToAnsi(QByteArrayView utf8, qsizetype *firstBad) {
  QByteArray out(utf8.size(), Qt::Uninitialized);
  char *o = out.data();
  if (firstBad)
    *firstBad = -1;
  const auto *p = reinterpret_cast<const unsigned char *>(utf8.data());
  const qsizetype n = utf8.size();
  qsizetype chars = 0;
  for (qsizetype i = 0; i < n; ++chars) {
    // ASCII runs are copied eight bytes at a time.
    while (i + 8 <= n) {
      quint64 w;
      std::memcpy(&w, p + i, 8);
      if (w & 0x8080808080808080ULL)
        break;
      std::memcpy(o, &w, 8);
      o += 8;
      i += 8;
      chars += 8;
    }
    if (i >= n)
      break;
    const unsigned char c = p[i];
    if (c < 0x80) {
      *o++ = char(c);
      ++i;
      continue;
    }
    // U+00A0..U+00FF, the usual letters of Western pages, are their own byte.
    if ((c == 0xC3 || (c == 0xC2 && i + 1 < n && p[i + 1] >= 0xA0)) && i + 1 < n) {
      *o++ = char(((c & 0x03) << 6) | (p[i + 1] & 0x3F));
      i += 2;
      continue;
    }
    const int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    char32_t cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
    for (int k = 1; k < len && i + k < n; ++k)
      cp = (cp << 6) | (p[i + k] & 0x3F);
    i += len;
    const int b = cp > 0xFFFF ? -1 : AnsiByteOf(char16_t(cp));
    if (b < 0 && firstBad && *firstBad < 0)
      *firstBad = chars;
    *o++ = b < 0 ? '?' : char(b);
  }
  out.truncate(o - out.data());
  return out;
}

QString DetectLineBreakBytes(QByteArrayView data) {
  for (qsizetype i = 0; i < data.size(); ++i) {
    if (data[i] == '\n')
      return QStringLiteral("\n");
    if (data[i] == '\r')
      return i + 1 < data.size() && data[i + 1] == '\n' ? QStringLiteral("\r\n") : QStringLiteral("\r");
  }
  return QStringLiteral("\n");
}

qsizetype CountLoneSurrogates(QByteArrayView utf16, bool littleEndian) {
  qsizetype lone = 0;
  bool pendingHigh = false; // the previous unit was a high surrogate still waiting for its pair
  for (qsizetype i = 0; i + 1 < utf16.size(); i += 2) {
    const auto b0 = uchar(utf16[i]), b1 = uchar(utf16[i + 1]);
    const char16_t u = littleEndian ? char16_t(b0 | b1 << 8) : char16_t(b0 << 8 | b1);
    const bool high = u >= 0xD800 && u <= 0xDBFF, low = u >= 0xDC00 && u <= 0xDFFF;
    if (low && pendingHigh) {
      pendingHigh = false;
      continue;
    }
    if (pendingHigh)
      ++lone;
    if (low)
      ++lone;
    pendingHigh = high;
  }
  return lone + (pendingHigh ? 1 : 0);
}
