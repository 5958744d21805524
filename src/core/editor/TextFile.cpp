#include "core/editor/TextFile.h"
#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

TLoadedBytes LoadTextFileUtf8(const QString &fileName) {
  TLoadedBytes r;
  if (QFileInfo(fileName).isDir()) {
    r.Error = _("\"%1\" is a folder, not a file.").arg(fileName);
    return r;
  }
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly)) {
    r.Error = f.errorString();
    return r;
  }
  QByteArray data = f.readAll();
  if (f.error() != QFileDevice::NoError) {
    r.Error = f.errorString();
    return r;
  }
  const TDetectedEncoding d = DetectEncoding(data);
  r.Encoding = d.Encoding;
  r.Bom = d.Bom;
  const bool hasNul = d.Encoding != seUTF16LE && d.Encoding != seUTF16BE && data.contains('\0');
  if (hasNul) {
    r.Error = _("The file contains NUL bytes: it is not a text file.");
    return r;
  }
  if (d.Encoding == seUTF8) {
    if (d.Bom)
      data.remove(0, 3);
    if (IsValidUtf8(data)) {
      r.Utf8 = std::move(data);
    } else {
      // Looked like UTF-8 but is not UTF-8 throughout: 8-bit text keeps every byte.
      if (d.Bom)
        data.prepend("\xEF\xBB\xBF");
      r.Encoding = seAnsi;
      r.Bom = false;
      r.Utf8 = AnsiToUtf8(data);
    }
  } else if (d.Encoding == seAnsi) {
    r.Utf8 = AnsiToUtf8(data);
  } else {
    QString text, err;
    if (!DecodeText(data, d.Encoding, d.Bom, text, err)) {
      r.Error = err;
      return r;
    }
    r.Utf8 = text.toUtf8();
  }
  r.LineBreak = DetectLineBreakBytes(r.Utf8);
  return r;
}

TLoadedText LoadTextFile(const QString &fileName) {
  TLoadedBytes b = LoadTextFileUtf8(fileName);
  TLoadedText r;
  r.Encoding = b.Encoding;
  r.Bom = b.Bom;
  r.LineBreak = b.LineBreak;
  r.Error = b.Error;
  r.Text = QString::fromUtf8(b.Utf8);
  return r;
}

bool SaveUtf8TextFile(const QString &fileName, QByteArrayView utf8, TSynEncoding enc, bool bom, QString *error,
                      qsizetype *firstBad, bool lossy) {
  QByteArray out;
  switch (enc) {
  case seUTF8:
    if (!bom)
      return WriteFileAtomically(fileName, utf8, error); // the editor's own bytes, no copy
    out = QByteArray("\xEF\xBB\xBF", 3);
    out += utf8;
    break;
  case seAnsi: {
    qsizetype bad = -1;
    out = Utf8ToAnsi(utf8, &bad);
    if (firstBad)
      *firstBad = bad;
    if (bad >= 0 && !lossy) {
      if (error)
        *error = _("The text holds characters that ANSI Latin 1 cannot hold.");
      return false;
    }
    break;
  }
  default:
    out = EncodeText(QString::fromUtf8(utf8), enc, true);
    break;
  }
  return WriteFileAtomically(fileName, out, error);
}

bool SaveTextFile(const QString &fileName, const QString &text, TSynEncoding enc, bool bom, QString *error) {
  return WriteFileAtomically(fileName, EncodeText(text, enc, bom), error);
}

TFileStamp FileStamp(const QString &fileName) {
  const QFileInfo fi(fileName);
  if (!fi.exists() || !fi.isFile())
    return {};
  return {fi.lastModified().toMSecsSinceEpoch(), fi.size()};
}

TCharsetValue FindCharsetDeclaration(const QString &text) {
  static const QRegularExpression attr(QStringLiteral("http-equiv\\s*=\\s*\"Content-Type\""),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*([A-Za-z0-9_.:-]+)"),
                                          QRegularExpression::CaseInsensitiveOption);
  qsizetype from = 0;
  while (true) {
    const auto m = attr.match(text, from);
    if (!m.hasMatch())
      return {};
    // The declaration must lie inside the meta tag that holds the attribute.
    const qsizetype tagStart = text.lastIndexOf(u'<', m.capturedStart());
    const qsizetype tagEnd = text.indexOf(u'>', m.capturedEnd());
    from = m.capturedEnd();
    if (tagStart < 0 || tagEnd < 0)
      continue;
    if (text.indexOf(u'>', tagStart) < m.capturedStart())
      continue; // the attribute is not inside the tag that opens before it
    const QStringView tag = QStringView(text).mid(tagStart, tagEnd - tagStart);
    const auto c = charset.match(tag);
    if (!c.hasMatch())
      continue;
    return {tagStart + c.capturedStart(1), c.capturedLength(1)};
  }
}

TSynEncoding EncodingFromHeader(const QString &text) {
  const TCharsetValue v = FindCharsetDeclaration(text);
  if (v.Start < 0)
    return seAnsi;
  const int e = EncodingOfCharset(QStringView(text).mid(v.Start, v.Length));
  return e < 0 ? seAnsi : TSynEncoding(e);
}

int FindCaretMarker(const QStringList &lines, TBufferCoord *pos) {
  static const QRegularExpression marker(QStringLiteral("^\\$(\\d{1,9}),(\\d{1,9})\\s*$"));
  for (int i = int(lines.size()) - 1; i >= 0; --i) {
    const auto m = marker.match(lines[i]);
    if (!m.hasMatch())
      continue;
    if (pos) {
      pos->Line = std::max(1, m.captured(1).toInt());
      pos->Char = std::max(1, m.captured(2).toInt());
    }
    return i;
  }
  return -1;
}

QString CaretMarkerLine(TBufferCoord pos) { return QStringLiteral("$%1,%2").arg(pos.Line).arg(pos.Char); }

TBufferCoord CoordOfIndex(const QString &text, qsizetype index) {
  TBufferCoord c{1, 1};
  qsizetype lineStart = 0;
  index = std::clamp<qsizetype>(index, 0, text.size());
  for (qsizetype i = 0; i < index; ++i) {
    const QChar ch = text[i];
    if (ch == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' && i + 1 < index) {
      ++i;
      ++c.Line;
      lineStart = i + 1;
    } else if (ch == u'\n' || ch == u'\r') {
      ++c.Line;
      lineStart = i + 1;
    }
  }
  c.Char = int(index - lineStart) + 1;
  return c;
}

bool TakeCaretMarker(QString &text, TBufferCoord *pos) {
  static const QRegularExpression lineRe(QStringLiteral("[^\\r\\n]*(\\r\\n|\\n|\\r|$)"));
  // Split keeping each line's own break so that the rest of the text is left as it was.
  QStringList lines, breaks;
  qsizetype at = 0;
  while (at < text.size()) {
    const auto m = lineRe.match(text, at, QRegularExpression::NormalMatch,
                                QRegularExpression::AnchorAtOffsetMatchOption);
    const QString brk = m.captured(1);
    lines << text.mid(at, m.capturedLength() - brk.size());
    breaks << brk;
    at += std::max<qsizetype>(1, m.capturedLength());
  }
  const int i = FindCaretMarker(lines, pos);
  if (i < 0)
    return false;
  lines.removeAt(i);
  const QString removedBreak = breaks.takeAt(i);
  if (i == lines.size() && i > 0 && removedBreak.isEmpty())
    breaks[i - 1].clear(); // the marker was the last line without a break: drop the one before it
  QString out;
  for (qsizetype k = 0; k < lines.size(); ++k)
    out += lines[k] + breaks[k];
  text = out;
  return true;
}
