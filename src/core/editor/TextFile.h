#pragma once
// Reading and writing document files with their encoding, and the text rules of documents that
// need no editor: the charset declaration of HTML pages and the caret marker of templates.
#include "core/common/Types.h"
#include <QDateTime>
#include <QString>

struct TLoadedText {
  QString Text; // exactly as in the file, line breaks included
  TSynEncoding Encoding = seAnsi;
  bool Bom = false;
  QString LineBreak = QStringLiteral("\n");
  QString Error; // empty on success
};

// Loads a document file with encoding detection. Folders, unreadable files and binary data give
// an error text instead of a text.
TLoadedText LoadTextFile(const QString &fileName);
// The same file as UTF-8 bytes, the form the editor holds (Text stays empty).
struct TLoadedBytes {
  QByteArray Utf8;
  TSynEncoding Encoding = seAnsi;
  bool Bom = false;
  QString LineBreak = QStringLiteral("\n");
  QString Error;
  qsizetype LoneSurrogates = 0; // UTF-16 code units that are no characters (see CountLoneSurrogates)
};
TLoadedBytes LoadTextFileUtf8(const QString &fileName);
// Writes UTF-8 text in the encoding, atomically. For ANSI, firstBad receives the index (in
// characters) of the first character the code page cannot hold; nothing is written then unless
// lossy is set.
bool SaveUtf8TextFile(const QString &fileName, QByteArrayView utf8, TSynEncoding enc, bool bom, QString *error,
                      qsizetype *firstBad = nullptr, bool lossy = false);

// Writes text in the encoding (UTF-16 always with its byte-order mark) by replacing the file
// atomically. False with a message in error on failure; the old file is then untouched.
bool SaveTextFile(const QString &fileName, const QString &text, TSynEncoding enc, bool bom, QString *error);

// Change stamp of a file: modification time in milliseconds and size.
struct TFileStamp {
  qint64 MTimeMs = 0;
  qint64 Size = -1;
  bool operator==(const TFileStamp &) const = default;
  bool IsValid() const { return Size >= 0; }
};
TFileStamp FileStamp(const QString &fileName);

// The charset value of the first declaration in text: a meta element with
// http-equiv="Content-Type" and "charset=<name>" in its content, or the short form
// <meta charset="<name>"> (quoted or not, any case, attributes in any order). Start index and
// length of the name in text, or start -1. The name must be a plain charset name. Linear in the
// length of text.
struct TCharsetValue {
  qsizetype Start = -1;
  qsizetype Length = 0;
};
TCharsetValue FindCharsetDeclaration(const QString &text);
// The encoding the declaration names; seAnsi without a known declaration.
TSynEncoding EncodingFromHeader(const QString &text);

// Caret marker of templates: a line "$<line>,<col>". Finds the last such line (0-based index in
// lines, -1 when none) and its position.
int FindCaretMarker(const QStringList &lines, TBufferCoord *pos);
QString CaretMarkerLine(TBufferCoord pos);

// Position of a character index of text (line breaks "\r\n", "\n" or "\r").
TBufferCoord CoordOfIndex(const QString &text, qsizetype index);
// Removes the caret marker line (see FindCaretMarker) from text; true when there was one.
bool TakeCaretMarker(QString &text, TBufferCoord *pos);
