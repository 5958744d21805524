#include "ui/editor/TextBuffer.h"

#include "ui/highlight/EmbeddedStyler.h"
#include "ui/highlight/HighlightStyles.h"

#include <Qsci/qscilexer.h>
#include <QFont>
#include <QKeyEvent>
#include <QKeySequence>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <array>

namespace {
using B = QsciScintillaBase;
// The editor commands that are one Scintilla message.
const QHash<int, int> &ScintillaCommands() {
  static const QHash<int, int> map = {
      {ecLeft, B::SCI_CHARLEFT},
      {ecRight, B::SCI_CHARRIGHT},
      {ecUp, B::SCI_LINEUP},
      {ecDown, B::SCI_LINEDOWN},
      {ecWordLeft, B::SCI_WORDLEFT},
      {ecWordRight, B::SCI_WORDRIGHT},
      {ecLineStart, B::SCI_VCHOME},
      {ecLineEnd, B::SCI_LINEEND},
      {ecPageUp, B::SCI_PAGEUP},
      {ecPageDown, B::SCI_PAGEDOWN},
      {ecPageTop, B::SCI_STUTTEREDPAGEUP},
      {ecPageBottom, B::SCI_STUTTEREDPAGEDOWN},
      {ecEditorTop, B::SCI_DOCUMENTSTART},
      {ecEditorBottom, B::SCI_DOCUMENTEND},
      {ecSelLeft, B::SCI_CHARLEFTEXTEND},
      {ecSelRight, B::SCI_CHARRIGHTEXTEND},
      {ecSelUp, B::SCI_LINEUPEXTEND},
      {ecSelDown, B::SCI_LINEDOWNEXTEND},
      {ecSelWordLeft, B::SCI_WORDLEFTEXTEND},
      {ecSelWordRight, B::SCI_WORDRIGHTEXTEND},
      {ecSelLineStart, B::SCI_VCHOMEEXTEND},
      {ecSelLineEnd, B::SCI_LINEENDEXTEND},
      {ecSelPageUp, B::SCI_PAGEUPEXTEND},
      {ecSelPageDown, B::SCI_PAGEDOWNEXTEND},
      {ecSelEditorTop, B::SCI_DOCUMENTSTARTEXTEND},
      {ecSelEditorBottom, B::SCI_DOCUMENTENDEXTEND},
      {ecSelectAll, B::SCI_SELECTALL},
      {ecCopy, B::SCI_COPY},
      {ecCut, B::SCI_CUT},
      {ecPaste, B::SCI_PASTE},
      {ecScrollUp, B::SCI_LINESCROLLUP},
      {ecScrollDown, B::SCI_LINESCROLLDOWN},
      {ecDeleteLastChar, B::SCI_DELETEBACK},
      {ecDeleteChar, B::SCI_CLEAR},
      {ecDeleteWord, B::SCI_DELWORDRIGHT},
      {ecDeleteLastWord, B::SCI_DELWORDLEFT},
      {ecDeleteBOL, B::SCI_DELLINELEFT},
      {ecDeleteEOL, B::SCI_DELLINERIGHT},
      {ecDeleteLine, B::SCI_LINEDELETE},
      {ecLineBreak, B::SCI_NEWLINE},
      {ecTab, B::SCI_TAB},
      {ecShiftTab, B::SCI_BACKTAB},
      {ecUpperCase, B::SCI_UPPERCASE},
      {ecLowerCase, B::SCI_LOWERCASE},
  };
  return map;
}

// Whether a key press types its text (no command modifier, a printable character).
bool IsTyping(const QKeyEvent *e) {
  const Qt::KeyboardModifiers m = e->modifiers();
  return !(m & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) && !e->text().isEmpty() &&
         e->text().at(0).isPrint();
}

// Native key codes are X11 / evdev codes only on these platforms.
bool NativeCodesUsable() {
  static const bool usable = QGuiApplication::platformName() == QLatin1String("xcb") ||
                             QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  return usable;
}
} // namespace

TShortCut TTextBuffer::KeyValue(const QKeyEvent *e) {
  return ShortCutOfKeyPress({e->key(), e->modifiers(), NativeCodesUsable() ? e->nativeScanCode() : 0});
}

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
  // Scintilla's own key map is cleared: the layout alone decides what a key does.
  SendScintilla(SCI_CLEARALLCMDKEYS);
  TSynEditKeyStrokes ks;
  SetEditorKeyDefaults(ks);
  SetKeyStrokes(ks);
}

void TTextBuffer::SetKeyStrokes(const TSynEditKeyStrokes &ks) {
  // The first entry holding a key decides, except that an action whose first entry has the key
  // carries it and so runs before the editor's own commands.
  FKeyCommands.clear();
  QSet<int> seen;
  for (const TSynEditKeyStroke &e : ks.Items())
    if (IsActionCommand(e.Command) && !seen.contains(e.Command)) {
      seen.insert(e.Command);
      if (e.ShortCut() && !FKeyCommands.contains(e.ShortCut()))
        FKeyCommands.insert(e.ShortCut(), e.Command);
    }
  for (const TSynEditKeyStroke &e : ks.Items())
    if (!IsActionCommand(e.Command) && e.ShortCut() && !FKeyCommands.contains(e.ShortCut()))
      FKeyCommands.insert(e.ShortCut(), e.Command);
}

int TTextBuffer::CommandOfKey(TShortCut key) const { return key ? FKeyCommands.value(key, 0) : 0; }

bool TTextBuffer::TakesKey(const QKeyEvent *e) const {
  const int command = CommandOfKey(KeyValue(e));
  if (!command)
    return false;
  if (CommandHook && CommandHook(command, false))
    return true;
  return !IsActionCommand(command);
}

bool TTextBuffer::RunCommand(int command) {
  if (const auto it = ScintillaCommands().constFind(command); it != ScintillaCommands().constEnd()) {
    SendScintilla(*it);
    return true;
  }
  if (command >= ecGotoMarker0 && command < ecGotoMarker0 + 10) {
    TBufferCoord pos;
    if (GetBookmark(command - ecGotoMarker0, pos))
      SetCaretXY(pos);
    return true;
  }
  if (command >= ecSetMarker0 && command < ecSetMarker0 + 10) {
    SetBookmark(command - ecSetMarker0, {1, CaretXY().Line});
    return true;
  }
  switch (command) {
  case ecSelectWord:
    SelectWord();
    return true;
  case ecNormalSelect:
  case ecColumnSelect:
    SetColumnMode(command == ecColumnSelect);
    return true;
  case ecLineSelect:
    SendScintilla(SCI_SETSELECTIONMODE, SC_SEL_LINES);
    return true;
  case ecToggleMode:
    SendScintilla(SCI_EDITTOGGLEOVERTYPE);
    return true;
  case ecClearAll: {
    beginUndoAction();
    SendScintilla(SCI_CLEARALL);
    endUndoAction();
    return true;
  }
  case ecInsertLine: { // a line break after the caret, which stays where it is
    const long pos = SendScintilla(SCI_GETCURRENTPOS);
    SendScintilla(SCI_INSERTTEXT, static_cast<unsigned long>(pos), LineBreak().toUtf8().constData());
    return true;
  }
  case ecBlockIndent:
  case ecBlockUnindent: {
    const TBufferCoord a = BlockBegin(), b = BlockEnd();
    const int last = (SelAvail() && b.Char == 1 && b.Line > a.Line) ? b.Line - 1 : b.Line;
    beginUndoAction();
    for (int line = a.Line; line <= last; ++line)
      command == ecBlockIndent ? indent(line - 1) : unindent(line - 1);
    endUndoAction();
    return true;
  }
  default:
    return false;
  }
}

bool TTextBuffer::event(QEvent *e) {
  // Before a key reaches the editor, Qt asks whether the editor wants it or a shortcut should
  // run. The control itself would claim every key its built-in map knew, although that map is
  // cleared. The editor claims typed text and the keys the layout gives it (the keys of the
  // actions among them, which it runs itself); any other key goes to the action that carries it.
  if (e->type() == QEvent::ShortcutOverride) {
    auto *ke = static_cast<QKeyEvent *>(e);
    if (TakesKey(ke) || (IsTyping(ke) && !CommandOfKey(KeyValue(ke))))
      ke->accept();
    else
      ke->ignore();
    return true;
  }
  return QsciScintilla::event(e);
}

void TTextBuffer::keyPressEvent(QKeyEvent *e) {
  const bool overwrite = overwriteMode();
  if (const int command = CommandOfKey(KeyValue(e))) {
    // An action that cannot run leaves its key without effect, as its entry comes first.
    if (!(CommandHook && CommandHook(command, true)) && !IsActionCommand(command))
      RunCommand(command);
    e->accept();
  } else if (IsTyping(e)) {
    QsciScintilla::keyPressEvent(e);
  } else {
    e->ignore();
    return;
  }
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
  RestyleLexer(FLexer, f, bg);
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
    RestyleLexer(lexer, f, bg);
    TEmbeddedStyler::Ensure(this);
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
