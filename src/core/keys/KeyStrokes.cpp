#include "core/keys/KeyStrokes.h"

#include "core/common/SafeFile.h"

#include <QFile>
#include <QtEndian>

int TSynEditKeyStrokes::FindCommand(int command) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].Command == command)
      return int(i);
  return -1;
}

int TSynEditKeyStrokes::FindShortcut(TShortCut sc) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].ShortCut() == sc)
      return int(i);
  return -1;
}

int TSynEditKeyStrokes::Add() {
  FItems.push_back({});
  return Count() - 1;
}

int TSynEditKeyStrokes::Add(int command) {
  FItems.push_back({});
  FItems.back().Command = quint16(command);
  return Count() - 1;
}

bool TSynEditKeyStrokes::SetShortCut(int i, TShortCut sc) {
  if (i < 0 || i >= Count())
    return false;
  TSynEditKeyStroke &e = FItems[size_t(i)];
  if (sc) {
    for (size_t j = 0; j < FItems.size(); ++j)
      if (int(j) != i && FItems[j].ShortCut() == sc && FItems[j].ShortCut2() == e.ShortCut2())
        return false;
  }
  e.Key = sc & 0xFF;
  e.Shift = sc ? TShortCut(sc & scModifiers) : 0;
  return true;
}

QByteArray TSynEditKeyStrokes::SaveToBytes() const {
  QByteArray out(4 + 10 * qsizetype(FItems.size()), Qt::Uninitialized);
  char *p = out.data();
  qToLittleEndian<qint32>(qint32(FItems.size()), p);
  p += 4;
  for (const TSynEditKeyStroke &e : FItems) {
    const quint16 fields[5] = {e.Key, ModifiersToFile(e.Shift), e.Key2, ModifiersToFile(e.Shift2), e.Command};
    for (quint16 f : fields) {
      qToLittleEndian<quint16>(f, p);
      p += 2;
    }
  }
  return out;
}

bool TSynEditKeyStrokes::IsValidSize(qint64 fileSize, qint32 count) {
  // In 64 bits: with a 32-bit product a count near 2^32 / 10 wraps round to a small size.
  return count >= 0 && fileSize == 4 + 10 * qint64(count);
}

bool TSynEditKeyStrokes::LoadFromBytes(const QByteArray &data) {
  if (data.size() < 4)
    return false;
  const char *p = data.constData();
  const qint32 n = qFromLittleEndian<qint32>(p);
  if (!IsValidSize(data.size(), n))
    return false;
  std::vector<TSynEditKeyStroke> items(size_t(n), TSynEditKeyStroke{});
  p += 4;
  for (TSynEditKeyStroke &e : items) {
    quint16 f[5];
    for (quint16 &v : f) {
      v = qFromLittleEndian<quint16>(p);
      p += 2;
    }
    e.Key = f[0];
    e.Shift = ModifiersFromFile(f[1]);
    e.Key2 = f[2];
    e.Shift2 = ModifiersFromFile(f[3]);
    e.Command = f[4];
  }
  FItems = std::move(items);
  return true;
}

TKeyFileError TSynEditKeyStrokes::LoadFromFile(const QString &fileName) {
  QFile f(fileName);
  if (!f.exists())
    return kfMissing;
  if (!f.open(QIODevice::ReadOnly))
    return kfUnreadable;
  // The count decides how much is read: a huge or damaged file is refused before reading it.
  const QByteArray head = f.read(4);
  if (head.size() != 4 || !IsValidSize(f.size(), qFromLittleEndian<qint32>(head.constData())))
    return kfBadSize;
  const QByteArray data = head + f.readAll();
  return LoadFromBytes(data) ? kfOk : kfBadSize;
}

bool TSynEditKeyStrokes::SaveToFile(const QString &fileName, QString *error) const {
  return WriteFileAtomically(fileName, SaveToBytes(), error);
}
