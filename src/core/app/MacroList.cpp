#include "core/app/MacroList.h"
#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/TextLines.h"
#include "core/common/Translate.h"

#include <QFile>
#include <QFileInfo>

namespace {
// A run of backslashes followed by "#" or by nothing: the lines the writer protects.
bool NeedsProtection(QStringView line) {
  qsizetype i = 0;
  while (i < line.size() && line[i] == u'\\')
    ++i;
  return i < line.size() ? line[i] == u'#' : i > 0;
}

} // namespace

QString TMacroList::NormalizeText(const QString &text) {
  QString out;
  out.reserve(text.size() + text.size() / 32);
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        ++i;
      out += QLatin1String("\r\n");
    } else {
      out += c;
    }
  }
  return out;
}

QString TMacroList::CleanName(const QString &name) {
  QString n = name;
  n.replace(u'\r', u' ').replace(u'\n', u' ');
  return n.trimmed();
}

QString TMacroList::MacroFileName(const QString &iniName) {
  const QFileInfo fi(iniName);
  const QString base =
      fi.suffix().isEmpty() ? iniName : iniName.left(iniName.size() - fi.suffix().size() - 1);
  return base + QLatin1String(".mac");
}

QStringList TMacroList::Names() const {
  QStringList names;
  names.reserve(FList.size());
  for (const TMacro &m : FList)
    names << m.Name;
  return names;
}

int TMacroList::IndexOf(const QString &name) const {
  const QString n = CleanName(name);
  for (int i = 0; i < Count(); ++i)
    if (FList[i].Name.compare(n, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

int TMacroList::Add(const QString &name, const QString &text) {
  const QString n = CleanName(name);
  if (n.isEmpty() || IndexOf(n) >= 0)
    return -1;
  FList.append({n, NormalizeText(text)});
  FModified = true;
  return Count() - 1;
}

bool TMacroList::SetText(int i, const QString &text) {
  if (i < 0 || i >= Count())
    return false;
  const QString t = NormalizeText(text);
  if (FList[i].Text != t) {
    FList[i].Text = t;
    FModified = true;
  }
  return true;
}

bool TMacroList::Rename(int i, const QString &name) {
  const QString n = CleanName(name);
  if (i < 0 || i >= Count() || n.isEmpty())
    return false;
  if (FList[i].Name != n) {
    FList[i].Name = n;
    FModified = true;
  }
  return true;
}

int TMacroList::Delete(int i) {
  if (i < 0 || i >= Count())
    return -1;
  FList.removeAt(i);
  FModified = true;
  return FList.isEmpty() ? -1 : std::min(i, Count() - 1);
}

int TMacroList::MoveUp(int i) {
  if (i <= 0 || i >= Count())
    return -1;
  FList.swapItemsAt(i, i - 1);
  FModified = true;
  return i - 1;
}

int TMacroList::MoveDown(int i) {
  if (i < 0 || i >= Count() - 1)
    return -1;
  FList.swapItemsAt(i, i + 1);
  FModified = true;
  return i + 1;
}

void TMacroList::Clear() {
  if (!FList.isEmpty())
    FModified = true;
  FList.clear();
}

QByteArray TMacroList::FileBytes() const {
  QString out;
  const QLatin1String crlf("\r\n");
  for (const TMacro &m : FList) {
    out += u'#' + m.Name + crlf;
    // Lines are the pieces between carriage returns; a text ending in a line break thus ends
    // with an empty line, which the reader keeps.
    QString t = m.Text;
    t.remove(u'\n');
    const QList<QStringView> lines = QStringView(t).split(u'\r');
    for (qsizetype k = 0; k < lines.size(); ++k) {
      const QStringView line = lines[k];
      if (NeedsProtection(line) || (k == 0 && line.isEmpty() && lines.size() > 1))
        out += u'\\';
      out += line;
      out += crlf;
    }
  }
  return QByteArray("\xEF\xBB\xBF", 3) + out.toUtf8();
}

bool TMacroList::ParseFile(const QByteArray &data, QList<TMacro> &macros, QString *error) {
  TDetectedEncoding enc{seAnsi, false};
  if (data.startsWith("\xEF\xBB\xBF"))
    enc = {seUTF8, true};
  else if (data.startsWith("\xFF\xFE"))
    enc = {seUTF16LE, true};
  else if (data.startsWith("\xFE\xFF"))
    enc = {seUTF16BE, true};
  QString text, why;
  if (!DecodeText(data, enc.Encoding, enc.Bom, text, why)) {
    if (error)
      *error = why;
    return false;
  }
  QList<TMacro> out;
  QString name, body;
  bool inMacro = false, started = false;
  auto finish = [&] {
    if (inMacro && !name.isEmpty() && !body.isEmpty())
      out.append({name, body});
  };
  for (const QStringView line : TextLineViews(text)) {
    if (line.startsWith(u'#')) {
      finish();
      name = line.mid(1).trimmed().toString();
      body.clear();
      inMacro = true;
      started = false;
      continue;
    }
    if (!inMacro)
      continue; // lines before the first header belong to no macro
    if (!started && line.isEmpty())
      continue; // empty lines before the text (written unprotected by older versions)
    if (started)
      body += QLatin1String("\r\n");
    body += NeedsProtection(line) ? line.mid(1) : line;
    started = true;
  }
  finish();
  macros = std::move(out);
  return true;
}

bool TMacroList::Load(const QString &fileName, QString *error) {
  FList.clear();
  FModified = false;
  FLoadFailed = false;
  auto fail = [&](const QString &why) {
    FLoadFailed = true;
    if (error)
      *error = FormatS(_("The text macros could not be read from \"%s\":\r\n%s"), {fileName, why});
    return false;
  };
  const QFileInfo fi(fileName);
  if (!fi.exists())
    return true;
  if (fi.size() > MaxFileSize)
    return fail(_("The file is too large to be a macro file."));
  QFile f(fileName);
  if (!f.open(QIODevice::ReadOnly))
    return fail(f.errorString());
  const QByteArray data = f.read(MaxFileSize + 1);
  if (f.error() != QFileDevice::NoError)
    return fail(f.errorString());
  if (data.size() > MaxFileSize)
    return fail(_("The file is too large to be a macro file."));
  QString why;
  if (!ParseFile(data, FList, &why))
    return fail(why);
  return true;
}

bool TMacroList::Save(const QString &fileName, QString *error, QString *keptCopy) {
  if (FLoadFailed && QFileInfo::exists(fileName)) {
    if (!FModified)
      return true;
    QString copy = fileName + QLatin1String(".damaged");
    for (int n = 1; QFileInfo::exists(copy); ++n)
      copy = fileName + QLatin1String(".damaged") + QString::number(n);
    if (!QFile::copy(fileName, copy)) {
      if (error)
        *error = FormatS(_("The damaged macro file \"%s\" could not be kept as \"%s\"; it was not replaced."),
                         {fileName, copy});
      return false;
    }
    if (keptCopy)
      *keptCopy = copy;
  }
  QString why;
  if (!WriteFileAtomically(fileName, FileBytes(), &why)) {
    if (error)
      *error = FormatS(_("The text macros could not be written to \"%s\":\r\n%s"), {fileName, why});
    return false;
  }
  FModified = false;
  FLoadFailed = false;
  return true;
}
