#include "core/publish/Templates.h"

#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/TextLines.h"
#include "core/common/Translate.h"
#include "core/editor/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

namespace {
enum TState { stBefore, stHeader, stBody };

QString Substitute(QStringView line, const QHash<QString, QString> &vars) {
  QString out;
  out.reserve(line.size());
  qsizetype pos = 0;
  for (;;) {
    const qsizetype open = line.indexOf(u"[%", pos);
    if (open < 0)
      break;
    const qsizetype close = line.indexOf(u']', open + 2);
    if (close < 0)
      break;
    out += line.mid(pos, open - pos);
    const QString name = line.mid(open + 2, close - open - 2).toString();
    const auto it = vars.constFind(name.toCaseFolded());
    if (it != vars.constEnd())
      out += *it;
    else
      out += line.mid(open, close - open + 1);
    pos = close + 1;
  }
  out += line.mid(pos);
  return out;
}
} // namespace

QString ExpandTemplateText(const QString &text, const QString &lineBreak, bool *headerFound) {
  QHash<QString, QString> vars; // case-folded name -> value; the first definition wins
  TState state = stBefore;
  bool found = false;
  QString out;
  out.reserve(text.size());
  for (const QStringView raw : TextLineViews(text)) {
    qsizetype indent = 0;
    while (indent < raw.size() && (raw[indent] == u' ' || raw[indent] == u'\t'))
      ++indent;
    const QString line = raw.trimmed().toString();
    if (!line.isEmpty() && line.startsWith(QLatin1String("<!-- #var"), Qt::CaseInsensitive)) {
      state = stHeader;
      found = true;
      continue;
    }
    if (state == stHeader) {
      if (line.startsWith(QLatin1String("-->"))) {
        state = stBody;
      } else if (!line.isEmpty()) {
        const qsizetype eq = line.indexOf(u'=');
        QString name, value;
        if (eq < 0) {
          name = line;
        } else {
          name = line.left(eq).trimmed();
          value = line.mid(eq + 1);
          const qsizetype comment = value.indexOf(QLatin1String("//"));
          if (comment >= 0)
            value.truncate(comment);
          value = value.trimmed();
        }
        const QString key = name.toCaseFolded();
        if (!vars.contains(key))
          vars.insert(key, value);
      }
      continue;
    }
    if (state == stBody) {
      if (!line.isEmpty())
        out += QString(indent, u' ') + Substitute(line, vars);
      out += lineBreak;
    }
  }
  if (headerFound)
    *headerFound = found;
  return out;
}

QString ProcessTemplate(const QString &fileName, const TTemplateReport &report, QString *error) {
  auto fail = [&](const QString &why) {
    if (error)
      *error = why;
    return QString();
  };
  if (!QFileInfo(fileName).isFile())
    return fail(_("File not found"));
  const TLoadedText in = LoadTextFile(fileName);
  if (!in.Error.isEmpty())
    return fail(in.Error);
  const QFileInfo fi(fileName);
  const QString shortName = fi.fileName();
  const QString result = fi.path() + u'/' + fi.completeBaseName() + QStringLiteral(".html");
  if (report)
    report(FormatS(_("Processing HTML template: %s"), {shortName}));
  bool found = false;
  const QString text = ExpandTemplateText(in.Text, in.LineBreak, &found);
  if (!found) {
    if (report)
      report(FormatS(_("No header found in HTML template: %s"), {shortName}));
    return fail(FormatS(_("No header found in HTML template: %s"), {shortName}));
  }
  const QByteArray bytes = EncodeText(text, in.Encoding, in.Bom);
  QFile old(result);
  if (old.exists()) {
    if (!old.open(QIODevice::ReadOnly))
      return fail(old.errorString());
    const QByteArray previous = old.readAll();
    old.close();
    // Unchanged output leaves the page (and its time) alone: publishing compares times, and a
    // page rewritten on every run would be sent on every run.
    if (previous == bytes)
      return result;
    // The previous page becomes the backup before the new one replaces it; each step is an atomic
    // replace, so a failure leaves the previous page where it was.
    QString why;
    if (!WriteFileAtomically(result + QStringLiteral(".bak"), previous, &why))
      return fail(why);
  }
  QString why;
  if (!WriteFileAtomically(result, bytes, &why))
    return fail(why);
  return result;
}
