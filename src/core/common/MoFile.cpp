#include "core/common/MoFile.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace {
constexpr quint32 Magic = 0x950412de;
constexpr quint32 HeaderSize = 28;

quint32 Swapped(quint32 v) {
  return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24);
}

// The bytes of a string up to its first NUL (the rest are plural forms).
QByteArrayView UpToNul(const char *p, quint32 length) {
  const void *nul = std::memchr(p, 0, length);
  return QByteArrayView(p, nul ? static_cast<const char *>(nul) - p : qsizetype(length));
}
} // namespace

void TMoCatalog::Clear() {
  FData.clear();
  FCount = FOriginals = FTranslations = 0;
  FSwap = false;
  FUtf8 = true;
  FOrder.clear();
}

bool TMoCatalog::Fail(const QString &why) {
  Clear();
  FError = why;
  return false;
}

TMoCatalog::TEntry TMoCatalog::Entry(quint32 table, quint32 index) const {
  quint32 v[2];
  std::memcpy(v, FData.constData() + table + qsizetype(index) * 8, sizeof v);
  if (FSwap) {
    v[0] = Swapped(v[0]);
    v[1] = Swapped(v[1]);
  }
  return {v[0], v[1]};
}

QByteArray TMoCatalog::Key(quint32 index) const {
  const TEntry e = Entry(FOriginals, index);
  return UpToNul(FData.constData() + e.Offset, e.Length).toByteArray();
}

bool TMoCatalog::LoadFile(const QString &fileName) {
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    return Fail(f.errorString());
  if (f.size() > MaxSize)
    return Fail(QStringLiteral("catalogue too large"));
  return Load(f.read(MaxSize + 1));
}

bool TMoCatalog::Load(const QByteArray &data) {
  Clear();
  FError.clear();
  const quint64 size = quint64(data.size());
  if (size > quint64(MaxSize))
    return Fail(QStringLiteral("catalogue too large"));
  if (size < HeaderSize)
    return Fail(QStringLiteral("not a catalogue"));
  quint32 h[7];
  std::memcpy(h, data.constData(), sizeof h);
  bool swap = false;
  if (h[0] != Magic) {
    if (Swapped(h[0]) != Magic)
      return Fail(QStringLiteral("not a catalogue"));
    swap = true;
    for (quint32 &v : h)
      v = Swapped(v);
  }
  // Major revision 1 only adds system-dependent strings, which we do not use.
  if ((h[1] >> 16) > 1)
    return Fail(QStringLiteral("unknown catalogue revision"));
  const quint64 count = h[2], originals = h[3], translations = h[4];
  if (originals + count * 8 > size || translations + count * 8 > size)
    return Fail(QStringLiteral("damaged catalogue"));
  FData = data;
  FSwap = swap;
  FOriginals = quint32(originals);
  FTranslations = quint32(translations);
  for (quint32 i = 0; i < count; ++i) {
    for (quint32 table : {FOriginals, FTranslations}) {
      const TEntry e = Entry(table, i);
      // Each string ends with a NUL inside the data.
      if (quint64(e.Offset) + e.Length >= size || data.at(qsizetype(e.Offset) + e.Length) != '\0')
        return Fail(QStringLiteral("damaged catalogue"));
    }
  }
  FCount = quint32(count);

  // msgfmt writes the originals sorted; anything else gets an index of its own.
  bool sorted = true;
  for (quint32 i = 1; i < FCount && sorted; ++i)
    sorted = Key(i - 1) <= Key(i);
  if (!sorted) {
    FOrder.resize(FCount);
    for (quint32 i = 0; i < FCount; ++i)
      FOrder[i] = i;
    std::stable_sort(FOrder.begin(), FOrder.end(), [this](quint32 a, quint32 b) { return Key(a) < Key(b); });
  }

  // The header (the translation of the empty id) names the charset.
  const QString header = Lookup(QByteArray());
  const qsizetype cs = header.indexOf(QLatin1String("charset="), 0, Qt::CaseInsensitive);
  if (cs >= 0) {
    const QString name = header.mid(cs + 8).section(u'\n', 0, 0).trimmed();
    FUtf8 = name.isEmpty() || name.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("utf8"), Qt::CaseInsensitive) == 0 ||
            name.compare(QLatin1String("CHARSET"), Qt::CaseInsensitive) == 0;
  }
  return true;
}

QString TMoCatalog::Lookup(const char *msgid) const {
  return Lookup(QByteArray::fromRawData(msgid, msgid ? qsizetype(std::strlen(msgid)) : 0));
}

QString TMoCatalog::Lookup(const QByteArray &msgid) const {
  if (FCount == 0)
    return QString();
  const QByteArrayView wanted(msgid);
  quint32 lo = 0, hi = FCount;
  while (lo < hi) {
    const quint32 mid = lo + (hi - lo) / 2;
    const quint32 index = FOrder.empty() ? mid : FOrder[mid];
    const TEntry e = Entry(FOriginals, index);
    const QByteArrayView key = UpToNul(FData.constData() + e.Offset, e.Length);
    const int c = key.compare(wanted);
    if (c == 0) {
      const TEntry t = Entry(FTranslations, index);
      const QByteArrayView text = UpToNul(FData.constData() + t.Offset, t.Length);
      if (text.isEmpty())
        return QString();
      return FUtf8 ? QString::fromUtf8(text) : QString::fromLatin1(text);
    }
    if (c < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return QString();
}
