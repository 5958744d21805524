#include "core/preview/PageCheck.h"

#ifdef QUILLMARK_TIDY
#include "core/preview/TidyLibrary.h"
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>
#endif

#include <QStringDecoder>
#include <memory>

#ifdef QUILLMARK_TIDY
namespace {

struct TCollect {
  TPageCheck *Result;
};

Bool TIDY_CALL CollectMessage(TidyMessage m) {
  auto *c = static_cast<TCollect *>(tidyGetAppData(tidyGetMessageDoc(m)));
  const TidyReportLevel level = tidyGetMessageLevel(m);
  if (level != TidyWarning && level != TidyError && level != TidyBadDocument && level != TidyFatal)
    return no; // information and configuration notes are no faults of the page
  if (c->Result->Messages.size() >= MaxPageMessages) {
    c->Result->Truncated = true;
    return no;
  }
  TPageMessage msg;
  msg.Line = qMax(0, tidyGetMessageLine(m));
  msg.Column = qMax(0, tidyGetMessageColumn(m));
  msg.Error = level != TidyWarning;
  msg.Text = QString::fromUtf8(tidyGetMessage(m)).trimmed();
  c->Result->Messages << msg;
  return no; // nothing goes to the checker's own error output
}

// The checker counts columns in characters (code points); the editor counts UTF-16 units.
void ToUtf16Columns(QByteArrayView utf8, QList<TPageMessage> &messages) {
  bool beyondBmp = false;
  for (char ch : utf8)
    if (uchar(ch) >= 0xF0) {
      beyondBmp = true;
      break;
    }
  if (!beyondBmp)
    return;
  const QString text = QString::fromUtf8(utf8);
  QList<qsizetype> lineStart{0};
  for (qsizetype i = 0; i < text.size(); ++i)
    if (text[i] == u'\n' || (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')))
      lineStart << i + 1;
  for (TPageMessage &m : messages) {
    if (m.Line < 1 || m.Line > lineStart.size() || m.Column < 1)
      continue;
    qsizetype at = lineStart[m.Line - 1];
    for (int cp = 1; cp < m.Column && at < text.size(); ++cp)
      at += text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
    m.Column = int(at - lineStart[m.Line - 1]) + 1;
  }
}

} // namespace
#endif

TPageCheck CheckPage(QByteArrayView utf8) {
  TPageCheck result;
#ifdef QUILLMARK_TIDY
  if (!TidyLibrary().Load()) {
    result.Available = false;
    return result;
  }
  TCollect collect{&result};
  std::unique_ptr<std::remove_pointer_t<TidyDoc>, void (*)(TidyDoc)> doc(tidyCreate(), tidyRelease);
  tidySetAppData(doc.get(), &collect);
  tidySetMessageCallback(doc.get(), CollectMessage);
  tidyOptSetBool(doc.get(), TidyQuiet, yes);
  tidyOptSetBool(doc.get(), TidyShowWarnings, yes);
  tidyOptSetBool(doc.get(), TidyShowInfo, no);
  tidyOptSetInt(doc.get(), TidyShowErrors, MaxPageMessages + 1);
  tidyOptSetInt(doc.get(), TidyTabSize, 1); // a tab is one column, as in the editor
  tidySetInCharEncoding(doc.get(), "utf8");
  // A NUL inside the text would end the checker's string early: it sees what comes before it.
  const QByteArray text(utf8.data(), utf8.size());
  tidyParseString(doc.get(), text.constData());
  tidyRunDiagnostics(doc.get());
  ToUtf16Columns(utf8, result.Messages);
#else
  Q_UNUSED(utf8);
  result.Available = false;
#endif
  return result;
}
