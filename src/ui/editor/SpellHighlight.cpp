#include "ui/editor/SpellHighlight.h"

#include "ui/editor/TextBuffer.h"

#include <QElapsedTimer>

#include <cstring>

namespace {
// How long one slice of checking may keep the event loop busy, and how long after the last
// key it starts (a burst of typing is checked once).
constexpr int SliceMs = 8;
constexpr int DelayMs = 40;
} // namespace

TSpellHighlight::TSpellHighlight(TTextBuffer *buffer, TFileTypes fileType,
                                 std::function<TSynEditSpellCheck *()> checker,
                                 std::function<quint32()> langId, QObject *parent)
    : QObject(parent), FBuffer(buffer), FFileType(fileType), FChecker(std::move(checker)),
      FLangId(std::move(langId)) {
  FTimer.setSingleShot(true);
  connect(&FTimer, &QTimer::timeout, this, &TSpellHighlight::Work);
  connect(buffer, &TTextBuffer::LinesEdited, this, [this](int first, int last) {
    // The state at the start of the first edited line depends only on the lines before it.
    if (FStates.size() > first)
      FStates.resize(first);
    // Lines off the screen are checked again whenever they are scrolled in; a paste or a load of
    // many lines queues only its start, so that no background work follows a big load.
    for (int l = first; l <= last && l - first < 200; ++l)
      FEdited.insert(l);
    // A tag or comment typed here may change how the following lines are coloured.
    FVisibleDirty = true;
    Schedule();
  });
  connect(buffer, &TTextBuffer::ViewScrolled, this, [this] {
    FVisibleDirty = true;
    Schedule();
  });
}

void TSpellHighlight::Schedule() {
  if (!FTimer.isActive())
    FTimer.start(DelayMs);
}

TSynEditSpellCheck *TSpellHighlight::Checker() const {
  TSynEditSpellCheck *sc = FChecker ? FChecker() : nullptr;
  const quint32 lang = FLangId ? FLangId() : 0;
  if (!sc || lang == 0 || !(sc->Options & sscoAutoSpellCheck))
    return nullptr;
  if (sc->LangId() != lang || !sc->Enabled())
    sc->SelectDictionary(lang);
  return sc->Enabled() && sc->LangId() == lang ? sc : nullptr;
}

THtmlScanState TSpellHighlight::LineState(int line) {
  if (FStates.isEmpty())
    FStates.append(THtmlScanState());
  if (line <= FStates.size())
    return FStates[line - 1];
  const QByteArrayView all = FBuffer->Utf8View();
  qsizetype pos = FBuffer->PositionOf({1, int(FStates.size())});
  THtmlScanState st = FStates.last();
  while (FStates.size() < line && pos <= all.size()) {
    const void *nl = std::memchr(all.data() + pos, '\n', size_t(all.size() - pos));
    if (!nl)
      break;
    const qsizetype end = static_cast<const char *>(nl) - all.data();
    st = ScanHtml(all.sliced(pos, end - pos), st);
    FStates.append(st);
    pos = end + 1;
  }
  return FStates.value(line - 1, st);
}

QList<TWordSpan> TSpellHighlight::TextWords(int line, const QString &text) {
  QList<QPair<qsizetype, qsizetype>> ranges;
  if (FFileType == ftText)
    ranges.append({0, text.size()});
  else
    ScanHtml(text, LineState(line), &ranges);
  QList<TWordSpan> words;
  qsizetype r = 0;
  for (const TWordSpan &w : SplitWords(text)) {
    while (r < ranges.size() && ranges[r].second <= w.Start)
      ++r;
    if (r == ranges.size())
      break;
    if (w.Start < ranges[r].first || !IsCheckableWord(QStringView(text).mid(w.Start, w.Length)))
      continue;
    const qsizetype end = w.Start + w.Length;
    if ((w.Start > 0 && text[w.Start - 1] == u';') || (end < text.size() && text[end] == u'&'))
      continue;
    words.append(w);
  }
  return words;
}

void TSpellHighlight::CheckLine(TSynEditSpellCheck *sc, int line) {
  FBuffer->ClearSpellUnderlines(line);
  const QString text = FBuffer->Line(line);
  for (const TWordSpan &w : TextWords(line, text))
    if (!sc->CheckWord(text.mid(w.Start, w.Length)))
      FBuffer->AddSpellUnderline(line, int(w.Start) + 1, int(w.Length));
}

void TSpellHighlight::CheckLines(int first, int last) {
  TSynEditSpellCheck *sc = Checker();
  if (!sc) {
    if (!FCleared)
      FBuffer->ClearAllSpellUnderlines();
    FCleared = true;
    return;
  }
  FCleared = false;
  last = std::min(last, FBuffer->LineCount());
  for (int l = std::max(1, first); l <= last; ++l)
    CheckLine(sc, l);
}

void TSpellHighlight::Invalidate() {
  FBuffer->ClearAllSpellUnderlines();
  FEdited.clear();
  FVisibleDirty = true;
  Schedule();
}

void TSpellHighlight::Work() {
  TSynEditSpellCheck *sc = Checker();
  if (!sc) {
    CheckLines(1, 0); // clears once
    FEdited.clear();
    return;
  }
  FCleared = false;
  // New words or another dictionary: everything underlined so far may be wrong.
  if (sc->Generation() != FGeneration) {
    FGeneration = sc->Generation();
    FBuffer->ClearAllSpellUnderlines();
    FVisibleDirty = true;
  }
  QElapsedTimer clock;
  clock.start();
  if (FVisibleDirty) {
    int first = 1, last = 0;
    FBuffer->VisibleLines(first, last);
    FVisibleDirty = false;
    for (int l = first; l <= last; ++l) {
      FEdited.remove(l);
      CheckLine(sc, l);
    }
  }
  // Edited lines off the screen, a slice at a time.
  const int count = FBuffer->LineCount();
  while (!FEdited.isEmpty() && clock.elapsed() < SliceMs) {
    const int l = *FEdited.begin();
    FEdited.erase(FEdited.begin());
    if (l <= count)
      CheckLine(sc, l);
  }
  if (!FEdited.isEmpty())
    FTimer.start(0);
}

void TSpellHighlight::Flush() {
  FTimer.stop();
  Work();
  while (!FEdited.isEmpty())
    Work();
  FTimer.stop();
}

bool TSpellHighlight::FindNext(TBufferCoord from, TBufferCoord &start, int &length) {
  TSynEditSpellCheck *sc = Checker();
  if (!sc)
    return false;
  const int count = FBuffer->LineCount();
  for (int l = std::max(1, from.Line); l <= count; ++l) {
    const QString text = FBuffer->Line(l);
    const qsizetype fromIndex = l == from.Line ? from.Char - 1 : 0;
    // Words that start at or after the position (a word the position is inside of is done).
    const TWordSpan first = NextWord(text, fromIndex);
    if (!first.IsValid())
      continue;
    for (const TWordSpan &w : TextWords(l, text)) {
      if (w.Start < first.Start)
        continue;
      if (!sc->CheckWord(text.mid(w.Start, w.Length))) {
        start = {int(w.Start) + 1, l};
        length = int(w.Length);
        return true;
      }
    }
  }
  return false;
}
