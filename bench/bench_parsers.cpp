// Parsers that must stay linear in their input, on generated 1 MB and 10 MB inputs, each against a
// linear reference over the same text in the same run: the charset declaration search of pages,
// the settings/project file store (parse, look up every key, write back), the caret marker of
// templates and the entity file's groups. The inputs are made to hurt a parser that searches
// again from each hit: many near-declarations in one long tag, one section with thousands of
// keys, many lines starting with "$", thousands of groups. A ratio that stays the same from 1 MB
// to 10 MB shows linear growth. Median of 3 runs.
#include "BenchReport.h"
#include "core/common/Encodings.h"
#include "core/common/IniFileUtils.h"
#include "core/editor/Entities.h"
#include "core/editor/TextFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

namespace {
double Median(const std::function<void()> &f) {
  std::vector<double> t;
  for (int i = 0; i < 3; ++i) {
    QElapsedTimer e;
    e.start();
    f();
    t.push_back(e.nsecsElapsed() / 1e6);
  }
  std::sort(t.begin(), t.end());
  return t[1];
}

QString Repeat(const QString &piece, qsizetype size) {
  QString s;
  s.reserve(size + piece.size());
  while (s.size() < size)
    s += piece;
  return s;
}

volatile qsizetype Sink; // keeps the compiler from dropping the references' work

// A page whose head holds one long tag full of http-equiv attributes without a charset, then
// ordinary markup, and the real declaration at the very end.
QString CharsetPage(qsizetype size) {
  QString s = QStringLiteral("<html><head><meta ");
  s += Repeat(QStringLiteral("http-equiv=\"Content-Type\" content=\"text/html\" "), size / 2);
  s += QStringLiteral(">\n");
  s += Repeat(QStringLiteral("<p class=\"x\">Text <a href=\"a.html\">link</a></p>\n"), size / 2);
  s += QStringLiteral("<meta charset=\"utf-8\"></head></html>\n");
  return s;
}

// A settings file: a few ordinary sections and one with a great many keys.
QByteArray IniFile(qsizetype size, int &keys) {
  QString s = QStringLiteral(
      "[Unicode]\r\nEncoding=UTF-16LE\r\n[Config]\r\nStdPath=/home/me/web/\r\n; a comment\r\n");
  keys = 0;
  for (int sec = 0; s.size() * 2 < size / 4; ++sec) {
    s += QStringLiteral("[Section") + QString::number(sec) + QStringLiteral("]\r\n");
    for (int k = 0; k < 20; ++k, ++keys)
      s += QStringLiteral("Key") + QString::number(k) + QStringLiteral("=value ") + QString::number(k) +
           QStringLiteral("\r\n");
  }
  s += QStringLiteral("[FileFind]\r\n");
  for (int k = 0; s.size() * 2 < size; ++k, ++keys)
    s += QStringLiteral("History") + QString::number(k) + QStringLiteral("=C:/some/folder/file") +
         QString::number(k) + QStringLiteral(".html\r\n");
  return EncodeText(s, seUTF16LE, true);
}

// A template of PHP lines (each starting with "$") with the caret marker at its end.
QString Template(qsizetype size) {
  return Repeat(QStringLiteral("$value = $other + 1; // a line that starts like a marker\n"), size) +
         QStringLiteral("$12,5\n");
}

// An entity file with a group line every two entries, the group names coming back in turns.
QString EntityFile(qsizetype size) {
  QString s;
  s.reserve(size + 100);
  for (int i = 0; s.size() < size; ++i) {
    s += (i % 7 == 0 ? QStringLiteral("##Group") : QStringLiteral("#Group")) + QString::number(i % 5000) +
         u'\n';
    s += QStringLiteral("letter a|&a") + QString::number(i) + QStringLiteral(";|") +
         QString::number(0xA0 + i % 96) + u'\n';
    s += QStringLiteral("letter b|&b") + QString::number(i) + QStringLiteral(";|") +
         QString::number(0x100 + i % 1000) + u'\n';
  }
  return s;
}

// The reference for line-based work: split into lines, look at each, join again.
qsizetype SplitJoin(const QString &text) {
  const QStringList lines = text.split(u'\n');
  qsizetype n = 0;
  for (const QString &l : lines)
    n += l.startsWith(u'$');
  return n + lines.join(u'\n').size();
}
} // namespace

int main(int argc, char *argv[]) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  for (const int mb : {1, 10}) {
    const qsizetype size = qsizetype(mb) * 1000 * 1000;
    const QByteArray mbName = QByteArray::number(mb) + " MB";

    {
      const QString page = CharsetPage(size);
      const double ours = Median([&] { Sink = FindCharsetDeclaration(page).Start; });
      const double peer = Median(
          [&] { Sink = page.indexOf(QLatin1String("charset"), 0, Qt::CaseInsensitive) + page.count(u'<'); });
      BenchRow(("charset search " + mbName).constData(), ours, "indexOf+count scan", peer, 3);
    }

    {
      int keys = 0;
      const QByteArray bytes = IniFile(size, keys);
      const QString file = dir.filePath(QStringLiteral("big.ini"));
      QFile out(file);
      out.open(QIODevice::WriteOnly);
      out.write(bytes);
      out.close();
      const double ours = Median([&] {
        // Read, look every key up for reading and for writing (the same value, so the file is not
        // written when the handle goes), and make the text that would be written.
        auto ini = TUnicodeIniFile::CreateForWrite(file);
        qsizetype n = 0;
        for (const QString &section : ini->ReadSections())
          for (const QString &key : ini->ReadSection(section)) {
            const QString v = ini->ReadString(section, key);
            n += v.size();
            ini->WriteString(section, key, v);
          }
        n += EncodeText(ini->ToText(), seUTF16LE, true).size();
        Sink = n;
      });
      const double peer = Median([&] {
        // The same bytes decoded and split, every "section/key" put into a hash and looked up.
        QFile in(file);
        in.open(QIODevice::ReadOnly);
        QString text;
        QString err;
        DecodeText(in.readAll(), seUTF16LE, true, text, err);
        QHash<QString, QString> h;
        QString section;
        for (QStringView line : QStringView(text).split(u'\n')) {
          line = line.trimmed();
          if (line.startsWith(u'['))
            section = line.mid(1, line.size() - 2).toString().toCaseFolded();
          else if (const qsizetype eq = line.indexOf(u'='); eq > 0)
            h.insert(section + u'/' + line.left(eq).toString().toCaseFolded(), line.mid(eq + 1).toString());
        }
        qsizetype n = 0;
        for (auto it = h.begin(); it != h.end(); ++it) {
          const QString v = h.value(it.key());
          n += v.size();
          h[it.key()] = v;
        }
        QString back;
        for (auto it = h.cbegin(); it != h.cend(); ++it)
          back += it.key() + u'=' + it.value() + QStringLiteral("\r\n");
        Sink = n + EncodeText(back, seUTF16LE, true).size();
      });
      BenchRow(("settings file " + mbName + " (" + QByteArray::number(keys) + " keys)").constData(), ours,
               "split+QHash", peer, 3);
    }

    {
      const QString tmpl = Template(size);
      const double ours = Median([&] {
        QString t = tmpl;
        TBufferCoord pos;
        Sink = TakeCaretMarker(t, &pos) + t.size();
      });
      const double peer = Median([&] { Sink = SplitJoin(tmpl); });
      BenchRow(("template caret marker " + mbName).constData(), ours, "split+join lines", peer, 2);
    }

    {
      const QString entities = EntityFile(size);
      TEntityTable table;
      const double ours = Median([&] {
        table.LoadFromText(entities);
        Sink = table.Groups().size();
      });
      const double peer = Median([&] {
        QHash<QString, int> groups;
        QHash<QString, int> names;
        for (QStringView line : QStringView(entities).split(u'\n')) {
          if (line.startsWith(u'#'))
            groups.insert(line.toString(), int(groups.size()));
          else if (const auto parts = line.split(u'|'); parts.size() == 3)
            names.insert(parts[1].toString(), parts[2].toInt());
        }
        Sink = groups.size() + names.size();
      });
      BenchRow(("entity file groups " + mbName).constData(), ours, "split+QHash", peer, 2);
    }
  }
  return 0;
}
