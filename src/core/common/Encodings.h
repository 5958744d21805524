#pragma once
// Text encodings of documents: detection, decoding and encoding, and the reversible Windows-1252
// table used for "ANSI" text.
#include "core/common/Types.h"
#include <QByteArray>
#include <QString>

struct TDetectedEncoding {
  TSynEncoding Encoding = seAnsi;
  bool Bom = false;
};

// Decides the encoding of file contents: a UTF-8 mark, else UTF-8 when the whole text is valid
// UTF-8 with at least one multi-byte sequence (a page whose first letters beyond ASCII come late
// is UTF-8 all the same), else a UTF-16 mark, else ANSI. One linear scan.
TDetectedEncoding DetectEncoding(const QByteArray &data);

// Windows-1252 in both directions. The five bytes that code page leaves unassigned map to the
// C1 control characters of the same value, so every byte string survives a round trip.
QString DecodeAnsi(QByteArrayView data);
// Returns the index of the first character that has no Windows-1252 byte, or -1.
qsizetype FirstNonAnsiChar(QStringView text);
QByteArray EncodeAnsi(QStringView text); // unencodable characters become '?'

// Decodes file contents (with or without their byte-order mark) in the given encoding.
// Returns false with a message when the bytes cannot be the encoding's text.
bool DecodeText(const QByteArray &data, TSynEncoding enc, bool hasBom, QString &text, QString &error);
// Encodes text for a file; UTF-16 always gets its byte-order mark, ANSI never has one.
QByteArray EncodeText(const QString &text, TSynEncoding enc, bool bom);

// The editor holds text as UTF-8: these move file bytes to and from that form without a detour
// through QString.
bool IsValidUtf8(QByteArrayView data);
QByteArray AnsiToUtf8(QByteArrayView data);
// Windows-1252 bytes of valid UTF-8 text; firstBad (when given) receives the code-point index of
// the first character the code page cannot hold (unencodable ones become '?'), or -1.
QByteArray Utf8ToAnsi(QByteArrayView utf8, qsizetype *firstBad = nullptr);
// The first line break in data ("\r\n", "\n" or "\r"); LF when it has none.
QString DetectLineBreakBytes(QByteArrayView data);


// Looks a charset name up in CharsetNames (ignoring case); -1 when unknown.
int EncodingOfCharset(QStringView name);

// Number of code units in UTF-16 data (without its mark) that are unpaired surrogates: they are
// no characters, so the editor cannot hold them and a save writes something else in their place.
qsizetype CountLoneSurrogates(QByteArrayView utf16, bool littleEndian);
