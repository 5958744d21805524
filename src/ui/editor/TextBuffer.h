#pragma once
// The one adapter over the QScintilla control. Every other part of the program speaks
// TBufferCoord (UTF-16 columns from 1); only this class converts to Scintilla's byte positions
// or sends Scintilla messages.
#include "core/common/Settings.h"
#include "core/editor/EditBuffer.h"
#include "core/keys/KeyLayout.h"

#include <QHash>
#include <functional>

#include <Qsci/qsciscintilla.h>

class QsciLexer;

class TTextBuffer : public QsciScintilla, public TEditBuffer {
  Q_OBJECT
public:
  explicit TTextBuffer(QWidget *parent = nullptr);

  // TEditBuffer
  int LineCount() const override;
  QString Line(int line) const override;
  QString Text() const override;
  void SetText(const QString &text) override;
  QString LineBreak() const override;
  TBufferCoord CaretXY() const override;
  void SetCaretXY(TBufferCoord pos) override;
  bool SelAvail() const override;
  TBufferCoord BlockBegin() const override;
  TBufferCoord BlockEnd() const override;
  void SetSelection(TBufferCoord anchor, TBufferCoord caret) override;
  QString SelText() const override;
  void SetSelText(const QString &text) override;
  void InsertNewLine() override;
  void BeginUndoAction() override { beginUndoAction(); }
  void EndUndoAction() override { endUndoAction(); }
  // The control itself can only clear its modified state; a forced flag covers setting it.
  bool Modified() const override { return FForcedModified || isModified(); }
  void SetModified(bool modified) override;
  int TabWidth() const override { return tabWidth(); }
  bool AutoIndent() const override { return autoIndent(); }

  // Loads text as the document's content: sets the line-break style the text uses, clears the
  // undo history and the modified flag.
  void LoadContent(const QString &text, const QString &lineBreak);
  // The same from UTF-8 bytes (the control's own form: no conversion on the way).
  void LoadUtf8(const QByteArray &utf8, const QString &lineBreak);
  // The whole text as UTF-8 bytes; the view is the control's own buffer and valid only until the
  // next change.
  QByteArray Utf8Text() const;
  QByteArrayView Utf8View() const;
  void SetLineBreak(const QString &lineBreak);
  void ClearUndo();

  // Per-type settings: options, tab width, right edge, gutter, font and background.
  void ApplyProperties(const TSynEditProperties &props, const TSynGutterProperties &gutter);
  void ApplyFont(const TSynEditProperties &props);
  // Attaches a lexer (or none) and switches colouring on or off.
  void SetHighlighter(QsciLexer *lexer, bool enabled);
  QsciLexer *Highlighter() const { return FLexer; }

  quint32 Options() const { return FOptions; }

  // Scintilla position <-> our coordinates.
  long PositionOf(TBufferCoord pos, int *virtualSpace = nullptr) const;
  TBufferCoord CoordOf(long pos, int virtualSpace = 0) const;

  // Text index (UTF-16 units into Text()) <-> coordinates.
  qsizetype IndexOf(TBufferCoord pos) const;
  TBufferCoord CoordOfIndex(qsizetype index) const;
  // The text position under a point of the viewport; false when the point is off the text.
  bool CoordAtPoint(QPoint viewportPoint, TBufferCoord &pos) const;
  // A column (rectangular) selection or several ranges.
  bool IsColumnSelection() const;
  // The selection stays visible while the editor has no focus.
  void KeepSelectionVisible();
  // Screen point just below the given position (for dialogs that must not hide it).
  QPoint PointBelow(TBufferCoord pos) const;

  static QColor ColorFromBgr(quint32 bgr);

  // Spelling underlines (a red wavy line) on UTF-16 columns from 1 of one line.
  void AddSpellUnderline(int line, int char1, int length);
  void ClearSpellUnderlines(int line);
  void ClearAllSpellUnderlines();
  bool HasSpellUnderline(TBufferCoord pos) const;
  // Document lines (from 1) shown on the screen.
  void VisibleLines(int &first, int &last) const;

  // Numbered bookmarks 0 to 9, shown in the gutter with their digit. They move with their line.
  void SetBookmark(int n, TBufferCoord pos);
  void ClearBookmark(int n);
  bool GetBookmark(int n, TBufferCoord &pos) const;
  // The bookmark on a line, -1 when there is none.
  int BookmarkOnLine(int line) const;
  // To the matching bracket of the one at or just before the caret ( () [] {} <> ); false when
  // there is none.
  bool JumpToMatchingBracket();
  // Column (rectangular) selection while moving the caret, or the normal one.
  void SetColumnMode(bool on);
  bool ColumnMode() const;
  void SelectWord();

  // The keyboard layout: a key runs the command of the layout's first entry holding it; an
  // action's key (the first entry of its command) comes before the editor's own commands.
  void SetKeyStrokes(const TSynEditKeyStrokes &ks);
  // The command a key value runs (0 for none).
  int CommandOfKey(TShortCut key) const;
  // The key value of a key press (digit-row keys by their key code where the platform gives one).
  static TShortCut KeyValue(const QKeyEvent *e);
  // Whether the layout gives this key to a command that can run now.
  bool TakesKey(const QKeyEvent *e) const;
  // Runs an editor command (caret moves, deletion, markers, selection modes ...); false for
  // commands the editor does not know.
  bool RunCommand(int command);
  // Asked first for every command of a key: with run false whether it would take the command,
  // with run true to run it (true when done). The document window runs its actions and the
  // commands that are its own here.
  std::function<bool(int command, bool run)> CommandHook;

signals:
  // Text was inserted or deleted on these lines (from 1; the last one after the change).
  void LinesEdited(int firstLine, int lastLine);
  // Scrolled, resized or zoomed: other lines may be on the screen.
  void ViewScrolled();
  // The left button was pressed in the gutter on a line (from 1).
  void GutterClicked(int line);

protected:
  bool event(QEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;

private:
  void InstallDefaultKeys();
  void SetupMarks();
  QString NormalizeBreaks(const QString &text) const;
  QsciLexer *FLexer = nullptr;
  bool FHighlight = false;
  bool FForcedModified = false;
  mutable bool FUtf16Index = false;
  void EnsureUtf16Index() const;
  quint32 FOptions = DefaultEditorOptions;
  int FBookmarkHandle[10];
  int FBookmarkColumn[10] = {};
  QHash<TShortCut, int> FKeyCommands;
};
