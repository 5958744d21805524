#pragma once
// The document window: one open file in its editor, with its encoding, file state and commands.
#include "core/common/Settings.h"
#include "core/common/Types.h"
#include "core/editor/TextFile.h"

#include <QLocale>
#include <QWidget>

class QAction;
class QCheckBox;
class QActionGroup;
class QMenu;
class QTabWidget;
class QToolBar;
class QsciLexer;
class TDocumentHost;
class TTextBuffer;
class TSpellHighlight;
class TSynEditSpellCheck;

class TMDIForm : public QWidget {
  Q_OBJECT
public:
  TMDIForm(TDocumentHost *host, QWidget *externalPanel, TFileTypes fileType, QWidget *parent = nullptr);
  ~TMDIForm() override;

  // Fields shared with the main window.
  QWidget *ExternalPanel;
  bool DecComma = true;
  bool Updating = false;
  bool HlEnabled = false;
  bool CanUpdate = true;
  int MarkCount = 0;
  QString DictWord;
  QString LastSizeFile;
  QLocale FormSet;
  TTagMark TagMark;
  QString TextPath;
  QString TsvName;
  QString TextName;
  TTextStatus Status = tsNew;
  bool WasChanged = false;
  int DocId = 0;
  int WinIndex = -1;
  const TFileTypes FileType;
  TFileStamp TimeStamp; // modification time (ms) and size when loaded or saved; invalid for templates
  TSynEncoding Encoding = seAnsi;
  bool UseBom = false;

  TTextBuffer *TextBuffer;
  QTabWidget *pcTools;
  QCheckBox *cbDynToolbar;
  QWidget *LokPanel;
  QToolBar *tbMain;
  QMenu *MenuEdit;
  QMenu *MenuInsert;
  QMenu *pmiEncoding;
  QList<QAction *> ActionList;
  // Spelling underlines (HTML and text documents only), the popup menu and its bookmark menu.
  TSpellHighlight *SpellHighlight = nullptr;
  QMenu *pmEditor = nullptr;
  QMenu *pmiGotoBookmark = nullptr;
  TSynEditSpellCheck *SpellChecker() const;
  // The language menu's choice: the document's language (0 = none), checked anew.
  void LanguageItemClick(quint32 langId);
  // Asks the host for the next (or previous) document.
  void SwitchDocument(bool next);
  // Shows the document's folder through the host ("Select file &path" of the popup).
  void SelectFilePath();

  quint32 TextLangId() const { return FTextLangId; }
  void SetTextLangId(quint32 id);
  int TextDateFormat() const { return FTextDateFormat; }
  void SetTextDateFormat(int f) { FTextDateFormat = f; }
  bool GetCommaMode() const;

  void SetProperties(QsciLexer *highlighter, const TSynEditProperties &props, const TSynGutterProperties &gutter);
  void SetNewFont(const TSynEditProperties &props);

  void InitNewText(const QString &name, const QString &folder, TSynEncoding enc);
  bool LoadText(const QString &fileName);
  bool ReLoadText();
  // Opening a file that is already open: an unmodified document follows the file on disk, one
  // with edits asks first (No keeps the editor's text).
  void ReloadIfChanged();
  // Writes the file; on failure shows an error naming the file and returns false (the document
  // stays modified and the old file intact).
  bool SaveText();
  void SaveTextToTemp();
  // Where the autosave copy of this document goes: "<name>.tsv", or "<name>.<n>.tsv" when that
  // name is open as a document or holds a copy left by an earlier run.
  QString AutosaveName() const;
  // Takes the text of an autosave copy as this document's modified text; false (after a message)
  // when the copy cannot be read.
  bool RecoverText(const QString &copyName);
  bool SaveTemplate(const QString &fileName);
  bool AskForSave();

  TSynEncoding GetEncodingFromHeader() const;
  void ChangeEncoding(TSynEncoding enc);
  void UpdateText();
  void UpdateControls();
  QString GetTextName() const;
  QString Caption() const { return windowTitle(); }
  bool IsModified() const;
  TBufferCoord CaretXY() const;
  QString LineBreak() const;

  QAction *Action(const QString &name) const;
  void FormActivate();
  // Moves the tool panel into the main window (active) or back into this window.
  void ShowLokPanel(bool active);

  QAction *ActionUndo, *ActionRedo, *ActionCut, *ActionCopy, *ActionPaste;
  QAction *ActionToUtf8, *ActionToUtf16LE, *ActionToUtf16BE, *ActionToAnsi;
  QAction *ActionFind, *ActionReplace, *ActionFindNext, *ActionFindPrev;
  QAction *ActionPreviousWin, *ActionNextWin;

  // Find and replace with the find dialog's texts and options; mode 0 = as the dialog says,
  // 1 = forward, 2 = backward.
  void DoFind(int mode);
  void DoReplace(int mode);
  void FindNextText() { DoFind(0); }
  void ReplaceNextText() { DoReplace(0); }
  // Points the find dialog's events at this document.
  void ClaimFindDialog(bool replace);

signals:
  void StatusChanged(bool full);

protected:
  void closeEvent(QCloseEvent *e) override;
  bool eventFilter(QObject *o, QEvent *e) override;

private:
  void CreateActions();
  QAction *AddAction(const QString &name, const QString &caption, const QList<QKeySequence> &keys,
                     int tag, void (TMDIForm::*handler)());
  void ApplyLoaded(TSynEncoding detected, bool bom, bool reload);
  bool ReadFile(const QString &fileName, bool reload);
  void PlaceCaretMarker(bool allDollarLines);
  void DeleteTsv();
  // 0 nothing found, 1 replaced, 2 the user skipped the match, -1 the user cancelled.
  int SearchReplace(const QString &find, const QString &repl, int options);
  void SearchScope(int opts, qsizetype textSize, qsizetype &rs, qsizetype &re, qsizetype &from,
                   bool onSelection) const;
  void OpenFindDialog(bool replace);
  void UndoExecute();
  void RedoExecute();
  void CutExecute();
  void CopyExecute();
  void PasteExecute();

  TDocumentHost *FHost;
  QsciLexer *FHighlighter = nullptr;
  quint32 FTextLangId = 0;
  int FTextDateFormat = 0;
  bool FLastModified = false;
  // UTF-16 code units of the loaded file that are not characters (unpaired surrogates); a save
  // writes something else in their place, so it asks first.
  qsizetype FLoneSurrogates = 0;
};
