#include "ui/highlight/EmbeddedStyler.h"

#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

#include <QEvent>
#include <algorithm>
#include <cstring>

namespace {
// Scintilla's text range record (positions are long in this version of the control).
struct TSciTextRange {
  long Min;
  long Max;
  char *Text;
};
constexpr int ModInsertText = 0x1;
constexpr int ModDeleteText = 0x2;
constexpr int ModChangeStyle = 0x4;
// A pass backs up over the lines of one tag at most this far.
constexpr int MaxTagLines = 2000;

inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}
inline bool IsWordNoCase(const char *p, const char *word, int n) {
  for (int i = 0; i < n; ++i)
    if ((p[i] >= 'A' && p[i] <= 'Z' ? char(p[i] + 32) : p[i]) != word[i])
      return false;
  return true;
}
} // namespace

TEmbeddedStyler::TEmbeddedStyler(QsciScintillaBase *editor) : QObject(editor), FEditor(editor) {
  setObjectName(QStringLiteral("EmbeddedStyler"));
  editor->viewport()->installEventFilter(this);
  connect(editor, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int position, int type, const char *, int, int, int, int, int, int, int) {
            Modified(position, type);
          });
}

TEmbeddedStyler *TEmbeddedStyler::Of(QsciScintillaBase *editor) {
  return editor ? editor->findChild<TEmbeddedStyler *>(QStringLiteral("EmbeddedStyler"),
                                                       Qt::FindDirectChildrenOnly)
                : nullptr;
}

TEmbeddedStyler *TEmbeddedStyler::Ensure(QsciScintillaBase *editor) {
  if (TEmbeddedStyler *s = Of(editor))
    return s;
  return new TEmbeddedStyler(editor);
}

bool TEmbeddedStyler::Active() const {
  const auto *sci = qobject_cast<const QsciScintilla *>(FEditor);
  const QsciLexer *lexer = sci ? sci->lexer() : nullptr;
  return lexer && std::strcmp(lexer->lexer(), "hypertext") == 0;
}

void TEmbeddedStyler::Modified(int position, int type) {
  if (FWriting || !(type & (ModInsertText | ModDeleteText | ModChangeStyle)))
    return;
  // Text changed, or the lexer rewrote styles that a pass may have changed: redo from there.
  FChangedFrom = std::min<qint64>(FChangedFrom, position);
}

bool TEmbeddedStyler::eventFilter(QObject *o, QEvent *e) {
  if (e->type() == QEvent::Paint && o == FEditor->viewport())
    StyleVisible();
  return false;
}

void TEmbeddedStyler::Reset() {
  FDone.clear();
  FBlocks.clear();
  FIndexed = 0;
  FChangedFrom = std::numeric_limits<qint64>::max();
}

qint64 TEmbeddedStyler::CleanStart(qint64 pos) const {
  QsciScintillaBase *ed = FEditor;
  const auto lineStart = [ed](qint64 p) {
    return qint64(ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE,
                                    ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, long(p))));
  };
  qint64 from = lineStart(pos);
  for (int n = 0; from > 0 && n < MaxTagLines; ++n) {
    const int st = int(ed->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, long(from - 1))) & 0xFF;
    if (!EmbeddedStyle::InTag((unsigned char)st))
      break;
    from = lineStart(from - 1);
  }
  return from;
}

void TEmbeddedStyler::ApplyChanges() {
  const qint64 p = FChangedFrom;
  if (p == std::numeric_limits<qint64>::max())
    return;
  FChangedFrom = std::numeric_limits<qint64>::max();
  // Restyled ranges: nothing from p on counts any more.
  for (auto it = FDone.lower_bound(p); it != FDone.end();)
    it = FDone.erase(it);
  if (!FDone.empty() && FDone.rbegin()->second > p)
    FDone.rbegin()->second = p;
  if (FIndexed <= p)
    return;
  // Blocks: a block starting at or after p may be gone; one holding p (or whose "</style" p may
  // have touched) is open again and its end is searched anew.
  while (!FBlocks.empty() && FBlocks.back().Start >= p)
    FBlocks.pop_back();
  if (!FBlocks.empty() && (FBlocks.back().End < 0 || FBlocks.back().End + 8 > p)) {
    FBlocks.back().End = -1;
    FIndexed = FBlocks.back().Start;
  } else {
    // A "<style" tag may begin on an earlier line of the same tag.
    FIndexed = std::max(FBlocks.empty() ? 0 : FBlocks.back().End, std::min(p, CleanStart(p)));
  }
}

void TEmbeddedStyler::IndexBlocks(qint64 upto) {
  if (FIndexed >= upto)
    return;
  QsciScintillaBase *ed = FEditor;
  const qint64 base = FIndexed;
  const qint64 n = upto - base;
  const auto *T = reinterpret_cast<const char *>(
      ed->SendScintilla(QsciScintillaBase::SCI_GETRANGEPOINTER, long(base), long(n)));
  if (!T)
    return;
  const auto styleAt = [ed, base](qint64 i) {
    return (unsigned char)(ed->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, long(base + i)) & 0xFF);
  };
  // The same rules as the pass: a "<style" the lexer styled as a tag opens a block after its own
  // '>'; any "</style" closes it.
  qint64 i = 0;
  while (i < n) {
    const void *lt = std::memchr(T + i, '<', size_t(n - i));
    if (!lt) {
      i = n;
      break;
    }
    i = static_cast<const char *>(lt) - T;
    if (i + 7 > n)
      break; // read again once more is lexed
    const bool open = !FBlocks.empty() && FBlocks.back().End < 0;
    if (open) {
      if (T[i + 1] == '/' && IsWordNoCase(T + i + 2, "style", 5))
        FBlocks.back().End = base + i;
      ++i;
      continue;
    }
    if (!IsWordNoCase(T + i + 1, "style", 5) || !(IsSpace(T[i + 6]) || T[i + 6] == '>') ||
        styleAt(i) != EmbeddedStyle::HtmlTag) {
      ++i;
      continue;
    }
    qint64 j = i + 6;
    for (;;) {
      const void *gt = std::memchr(T + j, '>', size_t(n - j));
      j = gt ? static_cast<const char *>(gt) - T : n;
      if (j >= n || styleAt(j) == EmbeddedStyle::HtmlTag)
        break;
      ++j;
    }
    if (j >= n)
      break; // the tag's end is not lexed yet: read it again next time
    FBlocks.push_back({base + j + 1, -1});
    i = j + 1;
  }
  FIndexed = base + std::min(i, n);
}

void TEmbeddedStyler::MarkDone(qint64 from, qint64 to) {
  auto it = FDone.upper_bound(from);
  if (it != FDone.begin() && std::prev(it)->second >= from) {
    --it;
    from = it->first;
  }
  while (it != FDone.end() && it->first <= to) {
    to = std::max(to, it->second);
    it = FDone.erase(it);
  }
  FDone.emplace(from, to);
}

void TEmbeddedStyler::StyleVisible() {
  if (!Active())
    return;
  QsciScintillaBase *ed = FEditor;
  const long first = ed->SendScintilla(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE);
  const long lines = ed->SendScintilla(QsciScintillaBase::SCI_LINESONSCREEN);
  const long count = ed->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT);
  const long top = std::min(count - 1, long(ed->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, first)));
  const long last =
      std::min(count - 1, long(ed->SendScintilla(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE, first + lines + 1)));
  StyleRange(ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, top),
             ed->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, last));
}

void TEmbeddedStyler::StyleRange(qint64 from, qint64 target) {
  if (!Active()) {
    Reset();
    return;
  }
  QsciScintillaBase *ed = FEditor;
  const qint64 length = ed->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
  target = std::clamp<qint64>(target, 0, length);
  if (FChangedFrom != std::numeric_limits<qint64>::max())
    FChangedFrom = std::min(FChangedFrom, length);
  ApplyChanges();
  qint64 end = ed->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
  if (end < target) {
    const long line = ed->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, long(end));
    ed->SendScintilla(QsciScintillaBase::SCI_COLOURISE,
                      long(ed->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, line)), long(target));
    end = ed->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED);
    ApplyChanges();
  }
  const qint64 upto = std::min(end, target);
  from = std::clamp<qint64>(from, 0, upto);
  if (from >= upto)
    return;
  IndexBlocks(upto);
  // Only the parts not restyled yet.
  std::vector<std::pair<qint64, qint64>> gaps;
  qint64 at = from;
  auto it = FDone.upper_bound(at);
  if (it != FDone.begin() && std::prev(it)->second > at)
    at = std::prev(it)->second;
  for (; at < upto; ++it) {
    const qint64 next = it == FDone.end() ? upto : std::min(upto, it->first);
    if (next > at)
      gaps.emplace_back(at, next);
    if (it == FDone.end())
      break;
    at = std::max(at, it->second);
  }
  for (const auto &[a, b] : gaps)
    Pass(a, b, end);
}

void TEmbeddedStyler::Pass(qint64 from, qint64 upto, qint64 endStyled) {
  QsciScintillaBase *ed = FEditor;
  from = CleanStart(from);
  // Inside a <style> block the CSS is read again from the block's start.
  bool inBlock = false;
  qint64 scanStart = from;
  auto bl = std::upper_bound(FBlocks.begin(), FBlocks.end(), from,
                             [](qint64 p, const TStyleBlock &b) { return p < b.Start; });
  if (bl != FBlocks.begin()) {
    const TStyleBlock &b = *std::prev(bl);
    if (b.End < 0 || b.End > from) {
      inBlock = true;
      scanStart = b.Start;
    }
  }
  const qint64 n = upto - scanStart;
  if (n <= 0)
    return;
  const auto *text = reinterpret_cast<const char *>(
      ed->SendScintilla(QsciScintillaBase::SCI_GETRANGEPOINTER, long(scanStart), long(n)));
  if (!text)
    return;
  std::vector<unsigned char> styles(static_cast<size_t>(n));
  {
    constexpr qint64 Chunk = 1 << 20;
    std::vector<char> pairs(static_cast<size_t>(2 * std::min(Chunk, n) + 2));
    for (qint64 at = 0; at < n; at += Chunk) {
      const qint64 m = std::min(Chunk, n - at);
      TSciTextRange r{long(scanStart + at), long(scanStart + at + m), pairs.data()};
      ed->SendScintilla(QsciScintillaBase::SCI_GETSTYLEDTEXT, 0UL, static_cast<void *>(&r));
      for (qint64 k = 0; k < m; ++k)
        styles[size_t(at + k)] = (unsigned char)pairs[size_t(2 * k + 1)];
    }
  }
  const std::vector<unsigned char> before = styles;
  StyleEmbeddedCode(text, styles.data(), n, inBlock, nullptr);
  qint64 lo = 0, hi = n;
  while (lo < n && styles[size_t(lo)] == before[size_t(lo)])
    ++lo;
  while (hi > lo && styles[size_t(hi - 1)] == before[size_t(hi - 1)])
    --hi;
  if (lo < hi) {
    FWriting = true;
    ed->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, long(scanStart + lo), 0L);
    ed->SendScintilla(QsciScintillaBase::SCI_SETSTYLINGEX, long(hi - lo),
                      reinterpret_cast<const char *>(styles.data() + lo));
    ed->SendScintilla(QsciScintillaBase::SCI_STARTSTYLING, long(endStyled), 0L);
    FWriting = false;
  }
  MarkDone(scanStart, upto);
}
