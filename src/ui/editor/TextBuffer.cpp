#include "ui/editor/TextBuffer.h"

#include <Qsci/qscilexer.h>
#include <QFont>
#include <QKeyEvent>
#include <QKeySequence>
#include <array>

namespace {
// The editor's own key bindings. Scintilla's built-in map is cleared so that only this table
// (and later the user's key layout) decides what a key does; commands such as undo, cut and
// paste are actions of the document window and not listed here.
struct TKeyRow {
  int Key;
  int Mods;
  int Command;
};
constexpr int Shift = QsciScintillaBase::SCMOD_SHIFT, Ctrl = QsciScintillaBase::SCMOD_CTRL,
              Alt = QsciScintillaBase::SCMOD_ALT;
using B = QsciScintillaBase;
const std::array<TKeyRow, 51> DefaultKeys = {{
    {'A', Ctrl, B::SCI_SELECTALL},
    {'T', Ctrl, B::SCI_DELWORDRIGHT},
    {'Y', Ctrl, B::SCI_LINEDELETE},
    {B::SCK_PRIOR, Ctrl, B::SCI_STUTTEREDPAGEUP},
    {B::SCK_NEXT, Ctrl, B::SCI_STUTTEREDPAGEDOWN},
    {B::SCK_DOWN, 0, B::SCI_LINEDOWN},
    {B::SCK_DOWN, Shift, B::SCI_LINEDOWNEXTEND},
    {B::SCK_DOWN, Ctrl, B::SCI_LINESCROLLDOWN},
    {B::SCK_DOWN, Alt | Shift, B::SCI_LINEDOWNRECTEXTEND},
    {B::SCK_UP, 0, B::SCI_LINEUP},
    {B::SCK_UP, Shift, B::SCI_LINEUPEXTEND},
    {B::SCK_UP, Ctrl, B::SCI_LINESCROLLUP},
    {B::SCK_UP, Alt | Shift, B::SCI_LINEUPRECTEXTEND},
    {B::SCK_LEFT, 0, B::SCI_CHARLEFT},
    {B::SCK_LEFT, Shift, B::SCI_CHARLEFTEXTEND},
    {B::SCK_LEFT, Ctrl, B::SCI_WORDLEFT},
    {B::SCK_LEFT, Ctrl | Shift, B::SCI_WORDLEFTEXTEND},
    {B::SCK_LEFT, Alt | Shift, B::SCI_CHARLEFTRECTEXTEND},
    {B::SCK_RIGHT, 0, B::SCI_CHARRIGHT},
    {B::SCK_RIGHT, Shift, B::SCI_CHARRIGHTEXTEND},
    {B::SCK_RIGHT, Ctrl, B::SCI_WORDRIGHT},
    {B::SCK_RIGHT, Ctrl | Shift, B::SCI_WORDRIGHTEXTEND},
    {B::SCK_RIGHT, Alt | Shift, B::SCI_CHARRIGHTRECTEXTEND},
    {B::SCK_HOME, 0, B::SCI_VCHOME},
    {B::SCK_HOME, Shift, B::SCI_VCHOMEEXTEND},
    {B::SCK_HOME, Ctrl, B::SCI_DOCUMENTSTART},
    {B::SCK_HOME, Ctrl | Shift, B::SCI_DOCUMENTSTARTEXTEND},
    {B::SCK_END, 0, B::SCI_LINEEND},
    {B::SCK_END, Shift, B::SCI_LINEENDEXTEND},
    {B::SCK_END, Ctrl, B::SCI_DOCUMENTEND},
    {B::SCK_END, Ctrl | Shift, B::SCI_DOCUMENTENDEXTEND},
    {B::SCK_PRIOR, 0, B::SCI_PAGEUP},
    {B::SCK_PRIOR, Shift, B::SCI_PAGEUPEXTEND},
    {B::SCK_NEXT, 0, B::SCI_PAGEDOWN},
    {B::SCK_NEXT, Shift, B::SCI_PAGEDOWNEXTEND},
    {B::SCK_DELETE, 0, B::SCI_CLEAR},
    {B::SCK_DELETE, Ctrl, B::SCI_DELWORDRIGHT},
    {B::SCK_DELETE, Shift, B::SCI_CUT},
    {B::SCK_INSERT, 0, B::SCI_EDITTOGGLEOVERTYPE},
    {B::SCK_INSERT, Ctrl, B::SCI_COPY},
    {B::SCK_INSERT, Shift, B::SCI_PASTE},
    {B::SCK_ESCAPE, 0, B::SCI_CANCEL},
    {B::SCK_BACK, 0, B::SCI_DELETEBACK},
    {B::SCK_BACK, Shift, B::SCI_DELETEBACK},
    {B::SCK_BACK, Ctrl, B::SCI_DELWORDLEFT},
    {B::SCK_TAB, 0, B::SCI_TAB},
    {B::SCK_TAB, Shift, B::SCI_BACKTAB},
    {B::SCK_RETURN, 0, B::SCI_NEWLINE},
    {B::SCK_RETURN, Shift, B::SCI_NEWLINE},
    {B::SCK_ADD, Ctrl, B::SCI_ZOOMIN},
    {B::SCK_SUBTRACT, Ctrl, B::SCI_ZOOMOUT},
}};

// The Qt key of a key in the table above (letters are their upper-case ASCII codes there).
Qt::Key QtKeyOf(int sciKey) {
  static const std::pair<int, Qt::Key> Keys[] = {
      {B::SCK_DOWN, Qt::Key_Down},     {B::SCK_UP, Qt::Key_Up},         {B::SCK_LEFT, Qt::Key_Left},
      {B::SCK_RIGHT, Qt::Key_Right},   {B::SCK_HOME, Qt::Key_Home},     {B::SCK_END, Qt::Key_End},
      {B::SCK_PRIOR, Qt::Key_PageUp},  {B::SCK_NEXT, Qt::Key_PageDown}, {B::SCK_DELETE, Qt::Key_Delete},
      {B::SCK_INSERT, Qt::Key_Insert}, {B::SCK_ESCAPE, Qt::Key_Escape}, {B::SCK_BACK, Qt::Key_Backspace},
      {B::SCK_TAB, Qt::Key_Tab},       {B::SCK_RETURN, Qt::Key_Return}, {B::SCK_ADD, Qt::Key_Plus},
      {B::SCK_SUBTRACT, Qt::Key_Minus}};
  for (const auto &[sci, qt] : Keys)
    if (sci == sciKey)
      return qt;
  return Qt::Key(sciKey);
}

// Whether the key is one of the editor's own table. Qt reports Shift+Tab as Backtab and the
// keypad's Enter as Enter; the keypad flag itself does not count.
bool IsEditorKey(const QKeyEvent *e) {
  int key = e->key();
  if (key == Qt::Key_Backtab)
    key = Qt::Key_Tab;
  else if (key == Qt::Key_Enter)
    key = Qt::Key_Return;
  const Qt::KeyboardModifiers m = e->modifiers();
  const int mods = (m & Qt::ShiftModifier ? Shift : 0) | (m & Qt::ControlModifier ? Ctrl : 0) |
                   (m & Qt::AltModifier ? Alt : 0);
  for (const TKeyRow &r : DefaultKeys)
    if (QtKeyOf(r.Key) == key && r.Mods == mods)
      return true;
  return false;
}
} // namespace

TTextBuffer::TTextBuffer(QWidget *parent) : QsciScintilla(parent) {
  setUtf8(true);
  SendScintilla(SCI_SETVIRTUALSPACEOPTIONS, SCVS_RECTANGULARSELECTION | SCVS_USERACCESSIBLE);
  SendScintilla(SCI_SETMULTIPLESELECTION, 0L);
  setEolMode(EolUnix);
  setIndentationsUseTabs(false);
  setTabWidth(2);
  setAutoIndent(true);
  setMarginLineNumbers(0, true);
  setMarginWidth(1, 0);
  setFolding(NoFoldStyle);
  setBraceMatching(NoBraceMatch);
  setEdgeMode(EdgeLine);
  InstallDefaultKeys();
  SetupMarks();
}

// Text indices are needed by searching; the control keeps a UTF-16 line index for them from the
// first use on (keeping it costs time on every change, so documents that are never searched
// do without).
void TTextBuffer::EnsureUtf16Index() const {
  if (FUtf16Index)
    return;
  SendScintilla(SCI_ALLOCATELINECHARACTERINDEX, SC_LINECHARACTERINDEX_UTF16);
  FUtf16Index = true;
}

qsizetype TTextBuffer::IndexOf(TBufferCoord pos) const {
  EnsureUtf16Index();
  const long p = PositionOf(pos);
  return SendScintilla(SCI_COUNTCODEUNITS, 0L, p);
}

TBufferCoord TTextBuffer::CoordOfIndex(qsizetype index) const {
  if (index <= 0)
    return {1, 1};
  EnsureUtf16Index();
  const long total = SendScintilla(SCI_GETLENGTH);
  long p = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, 0L, long(index));
  if (p == 0)
    p = index >= SendScintilla(SCI_COUNTCODEUNITS, 0L, total) ? total
                                                               : SendScintilla(SCI_POSITIONRELATIVECODEUNITS, 0L, long(index - 1));
  return CoordOf(p);
}

bool TTextBuffer::CoordAtPoint(QPoint viewportPoint, TBufferCoord &pos) const {
  const long p = SendScintilla(SCI_POSITIONFROMPOINTCLOSE, static_cast<unsigned long>(viewportPoint.x()),
                               long(viewportPoint.y()));
  if (p < 0)
    return false;
  pos = CoordOf(p);
  return true;
}

bool TTextBuffer::IsColumnSelection() const {
  return SendScintilla(SCI_SELECTIONISRECTANGLE) || SendScintilla(SCI_GETSELECTIONS) > 1;
}

void TTextBuffer::KeepSelectionVisible() { SendScintilla(SCI_HIDESELECTION, 0L); }

QPoint TTextBuffer::PointBelow(TBufferCoord pos) const {
  const long p = PositionOf(pos);
  const int x = int(SendScintilla(SCI_POINTXFROMPOSITION, 0UL, p));
  const int y = int(SendScintilla(SCI_POINTYFROMPOSITION, 0UL, p));
  const int h = int(SendScintilla(SCI_TEXTHEIGHT, 0L));
  return viewport()->mapToGlobal(QPoint(x, y + h));
}

void TTextBuffer::InstallDefaultKeys() {
  SendScintilla(SCI_CLEARALLCMDKEYS);
  for (const TKeyRow &r : DefaultKeys)
    SendScintilla(SCI_ASSIGNCMDKEY, static_cast<unsigned long>(r.Key | (r.Mods << 16)), long(r.Command));
}

bool TTextBuffer::event(QEvent *e) {
  // Before a key reaches the editor, Qt asks whether the editor wants it or a shortcut should
  // run. The control itself claims every key its own built-in map knew (Ctrl+D, Ctrl+A, ...)
  // although that map is cleared here, which swallowed the keys of the main window's actions.
  // The editor claims only typed text and the keys of its own table; every other key goes to
  // the action that carries it.
  if (e->type() == QEvent::ShortcutOverride) {
    auto *ke = static_cast<QKeyEvent *>(e);
    const Qt::KeyboardModifiers m = ke->modifiers();
    const bool typing = !(m & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
                        !ke->text().isEmpty() && ke->text().at(0).isPrint();
    if (typing || IsEditorKey(ke))
      ke->accept();
    else
      ke->ignore();
    return true;
  }
  return QsciScintilla::event(e);
}

void TTextBuffer::keyPressEvent(QKeyEvent *e) {
  // Alt with a letter belongs to menus and commands; the control would type the letter.
  const Qt::KeyboardModifiers m = e->modifiers();
  if ((m & Qt::AltModifier) && !(m & Qt::ControlModifier) && !e->text().isEmpty() && e->text().at(0).isPrint()) {
    e->ignore();
    return;
  }
  const bool overwrite = overwriteMode();
  QsciScintilla::keyPressEvent(e);
  // The control tells nobody when Insert switches the mode; the status bar shows the mode beside
  // the caret position and follows the caret's signal, so that signal reports the change too.
  if (overwrite != overwriteMode()) {
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    emit cursorPositionChanged(line, index);
  }
}

int TTextBuffer::LineCount() const { return lines(); }

QString TTextBuffer::Line(int line) const {
  if (line < 1 || line > lines())
    return {};
  QString s = text(line - 1);
  while (s.endsWith(u'\n') || s.endsWith(u'\r'))
    s.chop(1);
  return s;
}

QString TTextBuffer::Text() const { return text(); }

void TTextBuffer::SetText(const QString &text) { setText(text); }

QString TTextBuffer::LineBreak() const {
  switch (eolMode()) {
  case EolWindows:
    return QStringLiteral("\r\n");
  case EolMac:
    return QStringLiteral("\r");
  default:
    return QStringLiteral("\n");
  }
}

void TTextBuffer::SetLineBreak(const QString &lineBreak) {
  setEolMode(lineBreak == QLatin1String("\r\n") ? EolWindows : lineBreak == QLatin1String("\r") ? EolMac : EolUnix);
}

void TTextBuffer::LoadContent(const QString &text, const QString &lineBreak) {
  SetLineBreak(lineBreak);
  setText(text);
  ClearUndo();
  SetModified(false);
}

void TTextBuffer::SetModified(bool modified) {
  const bool was = Modified();
  FForcedModified = modified;
  if (!modified)
    setModified(false);
  if (was != Modified())
    emit modificationChanged(modified);
}

void TTextBuffer::LoadUtf8(const QByteArray &utf8, const QString &lineBreak) {
  SetLineBreak(lineBreak);
  SendScintilla(SCI_CLEARALL);
  SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(utf8.size()), utf8.constData());
  SendScintilla(SCI_GOTOPOS, 0L);
  ClearUndo();
  SetModified(false);
}

QByteArray TTextBuffer::Utf8Text() const { return Utf8View().toByteArray(); }

QByteArrayView TTextBuffer::Utf8View() const {
  const long len = SendScintilla(SCI_GETLENGTH);
  const auto *p = reinterpret_cast<const char *>(SendScintilla(SCI_GETCHARACTERPOINTER));
  return QByteArrayView(p, len);
}

void TTextBuffer::ClearUndo() { SendScintilla(SCI_EMPTYUNDOBUFFER); }

long TTextBuffer::PositionOf(TBufferCoord pos, int *virtualSpace) const {
  const int lineCount = lines();
  const int line = std::clamp(pos.Line, 1, std::max(1, lineCount)) - 1;
  const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
  const long end = SendScintilla(SCI_GETLINEENDPOSITION, line);
  const long units = SendScintilla(SCI_COUNTCODEUNITS, start, end);
  const long col = std::max(1, pos.Char) - 1;
  if (virtualSpace)
    *virtualSpace = 0;
  if (col >= units) {
    if (virtualSpace)
      *virtualSpace = int(col - units);
    return end;
  }
  if (col == 0)
    return start;
  long p = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, start, col);
  if (p == 0) // inside a surrogate pair: stand before it
    p = SendScintilla(SCI_POSITIONRELATIVECODEUNITS, start, col - 1);
  return p;
}

TBufferCoord TTextBuffer::CoordOf(long pos, int virtualSpace) const {
  const long line = SendScintilla(SCI_LINEFROMPOSITION, pos);
  const long start = SendScintilla(SCI_POSITIONFROMLINE, line);
  return {int(SendScintilla(SCI_COUNTCODEUNITS, start, pos)) + 1 + virtualSpace, int(line) + 1};
}

TBufferCoord TTextBuffer::CaretXY() const {
  return CoordOf(SendScintilla(SCI_GETCURRENTPOS), int(SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0L)));
}

void TTextBuffer::SetCaretXY(TBufferCoord pos) { SetSelection(pos, pos); }

bool TTextBuffer::SelAvail() const {
  return SendScintilla(SCI_GETSELECTIONSTART) != SendScintilla(SCI_GETSELECTIONEND);
}

TBufferCoord TTextBuffer::BlockBegin() const {
  if (!SelAvail())
    return CaretXY();
  return CoordOf(SendScintilla(SCI_GETSELECTIONSTART));
}

TBufferCoord TTextBuffer::BlockEnd() const {
  if (!SelAvail())
    return CaretXY();
  return CoordOf(SendScintilla(SCI_GETSELECTIONEND));
}

void TTextBuffer::SetSelection(TBufferCoord anchor, TBufferCoord caret) {
  int va = 0, vc = 0;
  const long a = PositionOf(anchor, &va);
  const long c = PositionOf(caret, &vc);
  SendScintilla(SCI_SETSELECTION, c, a);
  SendScintilla(SCI_SETSELECTIONNCARETVIRTUALSPACE, 0L, long(vc));
  SendScintilla(SCI_SETSELECTIONNANCHORVIRTUALSPACE, 0L, long(va));
  SendScintilla(SCI_CHOOSECARETX);
  ensureCursorVisible();
}

// QsciScintilla::selectedText() follows the selection only after the control's next update
// notification; read the range itself.
QString TTextBuffer::SelText() const {
  const long start = SendScintilla(SCI_GETSELECTIONSTART), end = SendScintilla(SCI_GETSELECTIONEND);
  return start == end ? QString() : text(int(start), int(end));
}

QString TTextBuffer::NormalizeBreaks(const QString &text) const {
  const QString br = LineBreak();
  if (!text.contains(u'\r') && br == QLatin1String("\n"))
    return text;
  QString t = text;
  t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  t.replace(u'\r', u'\n');
  if (br != QLatin1String("\n"))
    t.replace(QLatin1String("\n"), br);
  return t;
}

void TTextBuffer::SetSelText(const QString &text) {
  const QByteArray utf8 = NormalizeBreaks(text).toUtf8();
  TUndoGroup group(*this);
  if (SendScintilla(SCI_GETSELECTIONS) > 1 || SendScintilla(SCI_SELECTIONISRECTANGLE)) {
    // A column selection is several ranges: the control clears each one, then inserts.
    SendScintilla(SCI_REPLACESEL, 0UL, utf8.constData());
    SendScintilla(SCI_SETSELECTIONMODE, long(SC_SEL_STREAM));
    ensureCursorVisible();
    return;
  }
  long start = SendScintilla(SCI_GETSELECTIONSTART);
  const long end = SendScintilla(SCI_GETSELECTIONEND);
  if (start == end) {
    if (utf8.isEmpty())
      return;
    // Typing in virtual space fills it with blanks first; so does inserting there.
    const long v = SendScintilla(SCI_GETSELECTIONNCARETVIRTUALSPACE, 0L);
    if (v > 0) {
      const QByteArray blanks(v, ' ');
      SendScintilla(SCI_INSERTTEXT, start, blanks.constData());
      start += v;
    }
  } else {
    SendScintilla(SCI_DELETERANGE, start, end - start);
  }
  SendScintilla(SCI_INSERTTEXT, start, utf8.constData());
  SendScintilla(SCI_SETEMPTYSELECTION, start + long(utf8.size()));
  SendScintilla(SCI_CHOOSECARETX);
  ensureCursorVisible();
}

void TTextBuffer::InsertNewLine() { SendScintilla(SCI_NEWLINE); }

QColor TTextBuffer::ColorFromBgr(quint32 bgr) {
  return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

void TTextBuffer::ApplyFont(const TSynEditProperties &props) {
  QFont f(props.FontName, std::max(4, props.FontSize));
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  f.setBold(props.FontStyle & 1);
  f.setItalic(props.FontStyle & 2);
  f.setUnderline(props.FontStyle & 4);
  f.setStrikeOut(props.FontStyle & 8);
  setFont(f);
  setMarginsFont(f);
  const QColor bg = ColorFromBgr(props.BgColor);
  setPaper(bg);
  if (FLexer) {
    FLexer->setFont(f);
    FLexer->setDefaultPaper(bg);
    FLexer->setPaper(bg);
  }
}

void TTextBuffer::ApplyProperties(const TSynEditProperties &props, const TSynGutterProperties &gutter) {
  FOptions = props.Options;
  setAutoIndent(FOptions & eoAutoIndent);
  setIndentationsUseTabs(!(FOptions & eoTabsToSpaces));
  setBackspaceUnindents(FOptions & eoSmartTabDelete);
  setTabWidth(std::max(1, props.TabWidth));
  setEdgeColumn(std::max(0, props.RightEdge));
  setEdgeMode(props.RightEdge > 0 ? EdgeLine : EdgeNone);
  setWhitespaceVisibility((FOptions & eoShowSpecialChars) ? WsVisible : WsInvisible);
  SendScintilla(SCI_SETVIRTUALSPACEOPTIONS,
                (FOptions & eoScrollPastEol) ? (SCVS_RECTANGULARSELECTION | SCVS_USERACCESSIBLE)
                                             : SCVS_RECTANGULARSELECTION);
  if (gutter.Visible && gutter.ShowLineNumbers) {
    setMarginLineNumbers(0, true);
    setMarginWidth(0, QString(std::max(2, gutter.DigitCount) + 1, u'9'));
  } else {
    setMarginLineNumbers(0, false);
    setMarginWidth(0, gutter.Visible ? 12 : 0);
  }
  setMarginWidth(1, gutter.Visible ? 16 : 0); // the bookmarks' digits
  ApplyFont(props);
}

void TTextBuffer::SetHighlighter(QsciLexer *lexer, bool enabled) {
  FLexer = lexer;
  FHighlight = enabled;
  const QFont f = font();
  const QColor bg = paper();
  setLexer(enabled ? lexer : nullptr);
  if (enabled && lexer) {
    lexer->setFont(f);
    lexer->setDefaultPaper(bg);
    lexer->setPaper(bg);
  }
  setFont(f);
  setPaper(bg);
}

// Indicator and marker numbers of this program (Scintilla leaves 8 and up to containers; the
// lexers use none of the markers 0 to 24).
namespace {
constexpr int SpellIndicator = 8;
constexpr int FirstBookmarkMarker = 10;
constexpr int BookmarkMargin = 1;
} // namespace

void TTextBuffer::SetupMarks() {
  std::fill(std::begin(FBookmarkHandle), std::end(FBookmarkHandle), -1);
  SendScintilla(SCI_INDICSETSTYLE, SpellIndicator, INDIC_SQUIGGLE);
  SendScintilla(SCI_INDICSETFORE, SpellIndicator, 0x0000FFL); // red (BGR)
  for (int n = 0; n < 10; ++n) {
    SendScintilla(SCI_MARKERDEFINE, FirstBookmarkMarker + n, SC_MARK_CHARACTER + '0' + n);
    SendScintilla(SCI_MARKERSETBACK, FirstBookmarkMarker + n, 0x00A5FFL);
  }
  SendScintilla(SCI_SETMARGINTYPEN, BookmarkMargin, SC_MARGIN_SYMBOL);
  SendScintilla(SCI_SETMARGINWIDTHN, BookmarkMargin, 16L);
  SendScintilla(SCI_SETMARGINMASKN, BookmarkMargin, long(0x3FFu << FirstBookmarkMarker));
  SendScintilla(SCI_SETMARGINSENSITIVEN, 0, 1L);
  SendScintilla(SCI_SETMARGINSENSITIVEN, BookmarkMargin, 1L);
  connect(this, &QsciScintilla::marginClicked, this,
          [this](int, int line, Qt::KeyboardModifiers) { emit GutterClicked(line + 1); });
  connect(this, &QsciScintillaBase::SCN_MODIFIED, this,
          [this](int pos, int type, const char *, int, int added, int, int, int, int, int) {
            if (!(type & (SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT)))
              return;
            const int line = int(SendScintilla(SCI_LINEFROMPOSITION, long(pos))) + 1;
            emit LinesEdited(line, line + std::max(0, added));
          });
  connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this](int updated) {
    if (updated & (SC_UPDATE_V_SCROLL | SC_UPDATE_H_SCROLL))
      emit ViewScrolled();
  });
}

void TTextBuffer::AddSpellUnderline(int line, int char1, int length) {
  const long a = PositionOf({char1, line}), b = PositionOf({char1 + length, line});
  SendScintilla(SCI_SETINDICATORCURRENT, SpellIndicator);
  SendScintilla(SCI_INDICATORFILLRANGE, a, b - a);
}

void TTextBuffer::ClearSpellUnderlines(int line) {
  const long a = SendScintilla(SCI_POSITIONFROMLINE, long(line - 1));
  const long b = SendScintilla(SCI_GETLINEENDPOSITION, long(line - 1));
  if (a < 0 || b < a)
    return;
  SendScintilla(SCI_SETINDICATORCURRENT, SpellIndicator);
  SendScintilla(SCI_INDICATORCLEARRANGE, a, b - a);
}

void TTextBuffer::ClearAllSpellUnderlines() {
  SendScintilla(SCI_SETINDICATORCURRENT, SpellIndicator);
  SendScintilla(SCI_INDICATORCLEARRANGE, 0L, SendScintilla(SCI_GETLENGTH));
}

bool TTextBuffer::HasSpellUnderline(TBufferCoord pos) const {
  return SendScintilla(SCI_INDICATORVALUEAT, SpellIndicator, PositionOf(pos)) != 0;
}

void TTextBuffer::VisibleLines(int &first, int &last) const {
  const long top = SendScintilla(SCI_GETFIRSTVISIBLELINE);
  const long n = SendScintilla(SCI_LINESONSCREEN);
  first = int(SendScintilla(SCI_DOCLINEFROMVISIBLE, top)) + 1;
  last = std::min(int(SendScintilla(SCI_DOCLINEFROMVISIBLE, top + n)) + 1, LineCount());
}

void TTextBuffer::SetBookmark(int n, TBufferCoord pos) {
  if (n < 0 || n > 9)
    return;
  ClearBookmark(n);
  FBookmarkHandle[n] = int(SendScintilla(SCI_MARKERADD, long(pos.Line - 1), long(FirstBookmarkMarker + n)));
  FBookmarkColumn[n] = pos.Char;
}

void TTextBuffer::ClearBookmark(int n) {
  if (n < 0 || n > 9 || FBookmarkHandle[n] < 0)
    return;
  SendScintilla(SCI_MARKERDELETEHANDLE, long(FBookmarkHandle[n]));
  FBookmarkHandle[n] = -1;
}

bool TTextBuffer::GetBookmark(int n, TBufferCoord &pos) const {
  if (n < 0 || n > 9 || FBookmarkHandle[n] < 0)
    return false;
  const long line = SendScintilla(SCI_MARKERLINEFROMHANDLE, long(FBookmarkHandle[n]));
  if (line < 0) // its line was deleted
    return false;
  pos = {std::max(1, FBookmarkColumn[n]), int(line) + 1};
  return true;
}

int TTextBuffer::BookmarkOnLine(int line) const {
  const long mask = SendScintilla(SCI_MARKERGET, long(line - 1));
  for (int n = 0; n < 10; ++n)
    if (FBookmarkHandle[n] >= 0 && (mask & (1L << (FirstBookmarkMarker + n))) &&
        SendScintilla(SCI_MARKERLINEFROMHANDLE, long(FBookmarkHandle[n])) == line - 1)
      return n;
  return -1;
}

bool TTextBuffer::JumpToMatchingBracket() {
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  long match = SendScintilla(SCI_BRACEMATCH, caret, 0L);
  if (match < 0 && caret > 0)
    match = SendScintilla(SCI_BRACEMATCH, SendScintilla(SCI_POSITIONBEFORE, caret), 0L);
  if (match < 0)
    return false;
  SendScintilla(SCI_GOTOPOS, match);
  return true;
}

void TTextBuffer::SetColumnMode(bool on) {
  SendScintilla(SCI_SETSELECTIONMODE, on ? SC_SEL_RECTANGLE : SC_SEL_STREAM);
  if (!on)
    SendScintilla(SCI_SETEMPTYSELECTION, SendScintilla(SCI_GETCURRENTPOS));
}

bool TTextBuffer::ColumnMode() const { return SendScintilla(SCI_GETSELECTIONMODE) == SC_SEL_RECTANGLE; }

void TTextBuffer::SelectWord() {
  const long caret = SendScintilla(SCI_GETCURRENTPOS);
  const long a = SendScintilla(SCI_WORDSTARTPOSITION, caret, 1L);
  const long b = SendScintilla(SCI_WORDENDPOSITION, caret, 1L);
  SendScintilla(SCI_SETSEL, a, b);
}
