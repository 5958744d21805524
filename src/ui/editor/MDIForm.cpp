#include "ui/editor/MDIForm.h"
#include "ui/common/ClipboardState.h"
#include "ui/editor/ToolPage.h"
#include "ui/common/Icons.h"
#include "core/app/AutosaveCopies.h"
#include "core/common/Encodings.h"
#include "core/common/FileNames.h"
#include "core/common/LangIds.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/DocumentHost.h"
#include "ui/editor/EditorCommands.h"
#include "ui/editor/SpellHighlight.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/ConversionCommands.h"
#include "ui/editor/InsertCommands.h"
#include "ui/editor/TextBuffer.h"
#include "ui/keys/KeyDispatch.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QMouseEvent>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <Qsci/qscilexer.h>
#include <algorithm>

namespace {
// Tool pages of the insert commands, in their order.
constexpr const char *ToolPages[] = {"Global", "Fonts", "Lists", "Tables", "Frames",
                                     "Forms",  "Attributes", "Styles", "Other"};
} // namespace

TMDIForm::TMDIForm(TDocumentHost *host, QWidget *externalPanel, TFileTypes fileType, QWidget *parent)
    : QWidget(parent), ExternalPanel(externalPanel), FileType(fileType), FHost(host) {
  setAttribute(Qt::WA_DeleteOnClose);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  pcTools = new QTabWidget(this);
  pcTools->setObjectName(QStringLiteral("pcTools"));
  for (const char *page : ToolPages) {
    auto *w = new TToolPage(pcTools);
    w->setObjectName(QStringLiteral("ts") + QString::fromLatin1(page));
    w->setIconSize(QSize(16, 16));
    pcTools->addTab(w, _(page));
  }
  pcTools->setMaximumHeight(pcTools->tabBar()->sizeHint().height() + 34);
  cbDynToolbar = new QCheckBox(_("dynamic Toolbars"), this);
  cbDynToolbar->setObjectName(QStringLiteral("cbDynToolbar"));
  static_cast<QToolBar *>(pcTools->widget(pcTools->count() - 1))->addWidget(cbDynToolbar);
  connect(cbDynToolbar, &QCheckBox::clicked, this, [this](bool on) { FHost->SetDynTB(on); });
  // With dynamic toolbars a tool page comes up as soon as the mouse is over its tab.
  pcTools->tabBar()->setMouseTracking(true);
  pcTools->tabBar()->installEventFilter(this);
  layout->addWidget(pcTools);

  LokPanel = new QWidget(this);
  LokPanel->setObjectName(QStringLiteral("LokPanel"));
  auto *lok = new QHBoxLayout(LokPanel);
  lok->setContentsMargins(0, 0, 0, 0);
  tbMain = new TToolPage(LokPanel);
  tbMain->setObjectName(QStringLiteral("tbMain"));
  tbMain->setIconSize(QSize(16, 16));
  lok->addWidget(tbMain);
  LokPanel->hide();

  TextBuffer = new TTextBuffer(this);
  TextBuffer->setObjectName(QStringLiteral("TextBuffer"));
  layout->addWidget(TextBuffer, 1);
  setFocusProxy(TextBuffer);

  MenuEdit = new QMenu(_("&Edit"), this);
  MenuInsert = new QMenu(_("&Insert"), this);
  pmiEncoding = new QMenu(_("Change &encoding"), this);
  CreateActions();
  CreateInsertCommands(this);
  CreateConversionCommands(this);
  CreateEditorCommands(this);
  InstallKeyDispatch(this, FHost->KeyStrokes(), FHost->KeyStrokesComing());
  ApplyActionIcons(this);

  connect(TextBuffer, &QsciScintilla::cursorPositionChanged, this, [this] {
    if (CanUpdate)
      FHost->ShowStatus(this, false);
  });
  connect(TextBuffer, &QsciScintilla::modificationChanged, this, [this](bool m) {
    TagMark.TagType = ttNone;
    if (m != FLastModified) {
      FLastModified = m;
      if (CanUpdate)
        FHost->ShowStatus(this, true);
    }
  });
  connect(TextBuffer, &QsciScintilla::textChanged, this, [this] { TagMark.TagType = ttNone; });
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &TMDIForm::UpdateControls);

  SetTextLangId(0);
  Status = tsNew;
}

TMDIForm::~TMDIForm() = default;

QAction *TMDIForm::AddAction(const QString &name, const QString &caption, const QList<QKeySequence> &keys,
                             int tag, void (TMDIForm::*handler)()) {
  auto *a = new QAction(caption, this);
  a->setObjectName(name);
  a->setData(tag);
  a->setShortcuts(keys);
  a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  if (handler)
    connect(a, &QAction::triggered, this, handler);
  addAction(a);
  ActionList << a;
  return a;
}

void TMDIForm::CreateActions() {
  const QKeySequence altBack(Qt::ALT | Qt::Key_Backspace), shiftAltBack(Qt::SHIFT | Qt::ALT | Qt::Key_Backspace);
  ActionUndo = AddAction(QStringLiteral("ActionUndo"), _("&Undo"), {altBack, QKeySequence(Qt::CTRL | Qt::Key_Z)},
                         2014, &TMDIForm::UndoExecute);
  ActionRedo = AddAction(QStringLiteral("ActionRedo"), _("&Redo"),
                         {shiftAltBack, QKeySequence(Qt::CTRL | Qt::Key_Y)}, 2022, &TMDIForm::RedoExecute);
  ActionCut = AddAction(QStringLiteral("ActionCut"), _("&Cut"), {QKeySequence(Qt::CTRL | Qt::Key_X)}, 0,
                        &TMDIForm::CutExecute);
  ActionCopy = AddAction(QStringLiteral("ActionCopy"), _("C&opy"), {QKeySequence(Qt::CTRL | Qt::Key_C)}, 0,
                         &TMDIForm::CopyExecute);
  ActionPaste = AddAction(QStringLiteral("ActionPaste"), _("&Insert"), {QKeySequence(Qt::CTRL | Qt::Key_V)},
                          0, &TMDIForm::PasteExecute);
  for (QAction *a : {ActionUndo, ActionRedo})
    MenuEdit->addAction(a);
  MenuEdit->addSeparator();
  for (QAction *a : {ActionCut, ActionCopy, ActionPaste})
    MenuEdit->addAction(a);
  tbMain->addAction(ActionUndo);
  tbMain->addAction(ActionRedo);
  tbMain->addSeparator();
  tbMain->addAction(ActionCut);
  tbMain->addAction(ActionCopy);
  tbMain->addAction(ActionPaste);

  struct TEncRow {
    const char *Name;
    const char *Caption;
    TSynEncoding Enc;
    int Tag;
    QAction *TMDIForm::*Field;
  };
  static const TEncRow encRows[] = {
      {"ActionToUtf8", "UTF-&8", seUTF8, 2033, &TMDIForm::ActionToUtf8},
      {"ActionToUtf16LE", "UTF-16 (&LE)", seUTF16LE, 2034, &TMDIForm::ActionToUtf16LE},
      {"ActionToUtf16BE", "UTF-16 (&BE)", seUTF16BE, 2035, &TMDIForm::ActionToUtf16BE},
      {"ActionToAnsi", "&ANSI Latin 1", seAnsi, 2036, &TMDIForm::ActionToAnsi},
  };
  auto *group = new QActionGroup(this);
  for (const TEncRow &r : encRows) {
    QAction *a = AddAction(QString::fromLatin1(r.Name), _(r.Caption), {}, r.Tag, nullptr);
    a->setCheckable(true);
    group->addAction(a);
    const TSynEncoding enc = r.Enc;
    connect(a, &QAction::triggered, this, [this, enc] { ChangeEncoding(enc); });
    pmiEncoding->addAction(a);
    this->*(r.Field) = a;
  }
  MenuEdit->addSeparator();
  MenuEdit->addMenu(pmiEncoding);

  ActionFind = AddAction(QStringLiteral("ActionFind"), _("&Find .."), {QKeySequence(Qt::CTRL | Qt::Key_F)}, 2015,
                         nullptr);
  ActionReplace = AddAction(QStringLiteral("ActionReplace"), _("Re&place .."), {QKeySequence(Qt::CTRL | Qt::Key_R)},
                            2016, nullptr);
  connect(ActionFind, &QAction::triggered, this, [this] { OpenFindDialog(false); });
  connect(ActionReplace, &QAction::triggered, this, [this] { OpenFindDialog(true); });
  ActionFindNext = AddAction(QStringLiteral("ActionFindNext"), _("Find &next"), {QKeySequence(Qt::Key_F3)}, 2019,
                             nullptr);
  ActionFindPrev = AddAction(QStringLiteral("ActionFindPrev"), _("Find &previous"),
                             {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, 2032, nullptr);
  connect(ActionFindNext, &QAction::triggered, this, [this] {
    (FHost->FindDialog()->Options() & ssoReplace) ? DoReplace(1) : DoFind(1);
  });
  connect(ActionFindPrev, &QAction::triggered, this, [this] {
    (FHost->FindDialog()->Options() & ssoReplace) ? DoReplace(2) : DoFind(2);
  });
  // Find next and previous need a search text.
  const auto enableFindNext = [this](const QString &text) {
    ActionFindNext->setEnabled(!text.isEmpty());
    ActionFindPrev->setEnabled(!text.isEmpty());
  };
  FHost->FollowFindText(this, enableFindNext);
  MenuEdit->addSeparator();
  for (QAction *a : {ActionFind, ActionReplace, ActionFindNext, ActionFindPrev})
    MenuEdit->addAction(a);
  tbMain->addSeparator();
  tbMain->addAction(ActionFind);
  tbMain->addAction(ActionReplace);

  ActionPreviousWin = AddAction(QStringLiteral("ActionPreviousWin"), _("&Previous"), {QKeySequence(Qt::Key_F7)},
                                4419, nullptr);
  ActionNextWin = AddAction(QStringLiteral("ActionNextWin"), _("&Next"), {QKeySequence(Qt::Key_F8)}, 4420, nullptr);
  connect(ActionPreviousWin, &QAction::triggered, this, [this] { FHost->PreviousMDI(this); });
  connect(ActionNextWin, &QAction::triggered, this, [this] { FHost->NextMDI(this); });
  MenuEdit->addSeparator();
  MenuEdit->addAction(ActionPreviousWin);
  MenuEdit->addAction(ActionNextWin);

  QAction *removeTags = AddAction(QStringLiteral("ActionRemoveTags"), _("Remove &tags .."), {}, 2028, nullptr);
  removeTags->setStatusTip(_("Remove HTML tags"));
  removeTags->setToolTip(removeTags->statusTip());
  connect(removeTags, &QAction::triggered, this, [this] { FHost->RemoveTags(this); });
  MenuEdit->addSeparator();
  MenuEdit->addAction(removeTags);
}

void TMDIForm::ClaimFindDialog(bool replace) {
  TFindReplDialog *dlg = FHost->FindDialog();
  dlg->fOnFind = [this] { FindNextText(); };
  if (replace)
    dlg->fOnReplace = [this] { ReplaceNextText(); };
}

void TMDIForm::OpenFindDialog(bool replace) {
  TFindReplDialog *dlg = FHost->FindDialog();
  // The search text: the selection, else the word at the caret.
  const TBufferCoord caret = TextBuffer->CaretXY();
  const QString word = TextBuffer->SelAvail() ? TextBuffer->SelText()
                                              : TextBuffer->wordAtLineIndex(caret.Line - 1, caret.Char - 1);
  if (!word.isEmpty())
    dlg->SetFindText(word.section(u'\n', 0, 0).remove(u'\r'));
  ClaimFindDialog(replace);
  FHost->ShowStatus(this, false);
  dlg->Execute(replace);
}

// The range a search covers (the selection with "Selected text", else the whole text) and where it
// starts: at the range's edge "from beginning", else at the selection; a replacement starts on the
// selection itself so that a match found before is the one replaced.
void TMDIForm::SearchScope(int opts, qsizetype textSize, qsizetype &rs, qsizetype &re, qsizetype &from,
                           bool onSelection) const {
  const bool backwards = opts & ssoBackwards;
  rs = 0;
  re = textSize;
  // "Selected text" searches the whole selection: the caret stands at its edge, and starting
  // there would find nothing inside it.
  const bool inSelection = (opts & ssoSelectedOnly) && TextBuffer->SelAvail();
  if (inSelection) {
    rs = TextBuffer->IndexOf(TextBuffer->BlockBegin());
    re = TextBuffer->IndexOf(TextBuffer->BlockEnd());
  }
  if ((opts & ssoEntireScope) || inSelection)
    from = backwards ? re : rs;
  else if (onSelection)
    from = TextBuffer->IndexOf(backwards ? TextBuffer->BlockEnd() : TextBuffer->BlockBegin());
  else
    from = TextBuffer->IndexOf(backwards ? TextBuffer->BlockBegin() : TextBuffer->BlockEnd());
}

void TMDIForm::DoFind(int mode) {
  TFindReplDialog *dlg = FHost->FindDialog();
  const QString f = dlg->FindText();
  if (f.isEmpty()) {
    QApplication::beep();
    return;
  }
  int opts = dlg->Options();
  if (mode == 1) {
    TextBuffer->SetCaretXY(TextBuffer->BlockEnd());
    opts &= ~ssoBackwards;
  } else if (mode == 2) {
    TextBuffer->SetCaretXY(TextBuffer->BlockBegin());
    opts |= ssoBackwards;
  }
  const QString text = TextBuffer->Text();
  qsizetype rs, re, from;
  SearchScope(opts, text.size(), rs, re, from, false);
  const TSearchMatch m = FindText(text, f, from, TSynSearchOptions(opts), rs, re);
  if (!m.Found()) {
    QApplication::beep();
    ErrorBox(FormatS(_("\"%s\" not found!"), {f}));
    return;
  }
  const TBufferCoord a = TextBuffer->CoordOfIndex(m.Start), b = TextBuffer->CoordOfIndex(m.Start + m.Length);
  if (opts & ssoBackwards)
    TextBuffer->SetSelection(b, a);
  else
    TextBuffer->SetSelection(a, b);
}

void TMDIForm::DoReplace(int mode) {
  TFindReplDialog *dlg = FHost->FindDialog();
  const QString f = dlg->FindText();
  if (f.isEmpty()) {
    QApplication::beep();
    return;
  }
  int opts = dlg->Options();
  if (mode == 1)
    opts &= ~ssoBackwards;
  else if (mode == 2)
    opts |= ssoBackwards;
  // A skipped match offers the next one; the loop ends at the last match or on Cancel.
  while (true) {
    const int r = SearchReplace(f, dlg->ReplaceText(), opts);
    if (r == 2)
      continue;
    if (r == 0) {
      QApplication::beep();
      ErrorBox(FormatS(_("\"%s\" not found!"), {f}));
    }
    return;
  }
}

int TMDIForm::SearchReplace(const QString &find, const QString &repl, int opts) {
  const bool backwards = opts & ssoBackwards;
  QString text = TextBuffer->Text();
  const bool scoped = (opts & ssoSelectedOnly) && TextBuffer->SelAvail();
  qsizetype rs, re, from;
  SearchScope(opts, text.size(), rs, re, from, true);

  const auto replaceRange = [&](qsizetype start, qsizetype end, const QString &with) {
    TextBuffer->SetSelection(TextBuffer->CoordOfIndex(start), TextBuffer->CoordOfIndex(end));
    TextBuffer->SetSelText(with);
  };
  const auto replaceRest = [&](qsizetype at) -> qsizetype {
    // Everything from `at` in one pass, written back as one change covering the matches only.
    const qsizetype end = backwards ? at : re;
    const qsizetype start = backwards ? rs : at;
    const TSearchMatch first = FindText(text, find, start, TSynSearchOptions(opts & ~ssoBackwards), start, end);
    if (!first.Found())
      return 0;
    const TSearchMatch last = FindText(text, find, end, TSynSearchOptions(opts | ssoBackwards), start, end);
    QString span = text.mid(first.Start, last.Start + last.Length - first.Start);
    const qsizetype n = ReplaceAllText(span, find, repl, TSynSearchOptions(opts));
    replaceRange(first.Start, last.Start + last.Length, span);
    return n;
  };

  TUndoGroup group(*TextBuffer);
  if ((opts & ssoReplaceAll) && !(opts & ssoPrompt))
    return replaceRest(from) > 0 ? 1 : 0;

  bool any = false, askedAny = false;
  while (true) {
    const TSearchMatch m = FindText(text, find, from, TSynSearchOptions(opts), rs, re);
    if (!m.Found())
      return any ? 1 : (askedAny ? -1 : 0);
    TSynReplaceAction action = raReplace;
    if (opts & ssoPrompt) {
      const TBufferCoord a = TextBuffer->CoordOfIndex(m.Start);
      TextBuffer->SetSelection(a, TextBuffer->CoordOfIndex(m.Start + m.Length));
      QPoint at = TextBuffer->PointBelow(a);
      action = AskReplace(this, at, FormatS(_("Replace this match of \"%s\"\r\nby \"%s\"?"), {find, repl})
                                        .replace(QLatin1String("\r\n"), QLatin1String("\n")));
      askedAny = true;
    }
    switch (action) {
    case raCancel:
      return any ? 1 : -1;
    case raSkip:
      if (!(opts & ssoReplaceAll)) {
        // Leave the caret past this match so that the next call offers the following one; within
        // a selection, the rest of it stays selected as the next call's range.
        const TBufferCoord a = TextBuffer->CoordOfIndex(m.Start), b = TextBuffer->CoordOfIndex(m.Start + m.Length);
        if (backwards)
          TextBuffer->SetSelection(scoped ? TextBuffer->CoordOfIndex(rs) : a, a);
        else
          TextBuffer->SetSelection(scoped ? TextBuffer->CoordOfIndex(re) : b, b);
        return 2;
      }
      from = backwards ? m.Start : m.Start + m.Length;
      continue;
    case raReplaceAll:
      replaceRange(m.Start, m.Start + m.Length, repl);
      text = TextBuffer->Text();
      // The range ends later (or earlier) by what this replacement added.
      re += repl.size() - m.Length;
      replaceRest(backwards ? m.Start : m.Start + repl.size());
      return 1;
    case raReplace:
      replaceRange(m.Start, m.Start + m.Length, repl);
      any = true;
      if (!(opts & ssoReplaceAll))
        return 1;
      text.replace(m.Start, m.Length, repl);
      if (backwards) {
        from = m.Start;
      } else {
        from = m.Start + repl.size();
        re += repl.size() - m.Length;
      }
      continue;
    }
  }
}

QAction *TMDIForm::Action(const QString &name) const {
  for (QAction *a : ActionList)
    if (a->objectName() == name)
      return a;
  return nullptr;
}

bool TMDIForm::eventFilter(QObject *o, QEvent *e) {
  if (o == pcTools->tabBar() && e->type() == QEvent::MouseMove && cbDynToolbar->isChecked()) {
    const int i = pcTools->tabBar()->tabAt(static_cast<QMouseEvent *>(e)->position().toPoint());
    if (i >= 0 && i != pcTools->currentIndex())
      pcTools->setCurrentIndex(i);
  }
  return QWidget::eventFilter(o, e);
}

void TMDIForm::UndoExecute() { TextBuffer->undo(); }
void TMDIForm::RedoExecute() { TextBuffer->redo(); }
void TMDIForm::CutExecute() {
  TextBuffer->cut();
  UpdateControls();
}
void TMDIForm::CopyExecute() {
  TextBuffer->copy();
  UpdateControls();
}
void TMDIForm::PasteExecute() { TextBuffer->paste(); }

void TMDIForm::SetTextLangId(quint32 id) {
  FTextLangId = IsSpellType(FileType) ? id : 0;
  FormSet = FTextLangId ? LocaleOfLangId(FTextLangId) : QLocale::system();
  DecComma = GetCommaMode();
  if (SpellHighlight)
    SpellHighlight->Invalidate();
}

TSynEditSpellCheck *TMDIForm::SpellChecker() const { return FHost->SpellChecker(); }

void TMDIForm::SwitchDocument(bool next) {
  if (next)
    FHost->NextMDI(this);
  else
    FHost->PreviousMDI(this);
}

void TMDIForm::SelectFilePath() { FHost->SelectFilePath(TextPath); }

void TMDIForm::LanguageItemClick(quint32 langId) {
  SetTextLangId(langId);
  if (TSynEditSpellCheck *sc = SpellChecker(); sc && IsSpellType(FileType))
    sc->SelectDictionary(FTextLangId);
  FHost->ShowStatus(this, true);
}

bool TMDIForm::GetCommaMode() const { return FormSet.decimalPoint() == QLatin1String(","); }

void TMDIForm::SetProperties(QsciLexer *highlighter, const TSynEditProperties &props,
                             const TSynGutterProperties &gutter) {
  HlEnabled = props.Highlight;
  if (highlighter && !FHighlighter)
    FHighlighter = highlighter;
  TextBuffer->ApplyProperties(props, gutter);
  TextBuffer->SetHighlighter(FHighlighter, HlEnabled);
  TextBuffer->ApplyFont(props);
}

void TMDIForm::SetNewFont(const TSynEditProperties &props) { TextBuffer->ApplyFont(props); }

bool TMDIForm::IsModified() const { return TextBuffer->Modified(); }
TBufferCoord TMDIForm::CaretXY() const { return TextBuffer->CaretXY(); }
QString TMDIForm::LineBreak() const { return TextBuffer->LineBreak(); }

void TMDIForm::InitNewText(const QString &name, const QString &folder, TSynEncoding enc) {
  TextPath = WithTrailingSlash(folder.isEmpty() ? FHost->HtmPath() : folder);
  const auto resetCaret = [this] {
    TextBuffer->SetCaretXY({1, 2});
    TextBuffer->ClearUndo();
    TextBuffer->SetModified(false);
  };
  switch (FileType) {
  case ftHtml: {
    QString candidate;
    const QString root = WithTrailingSlash(FHost->HtmPath());
    const QString tmpl = QStringLiteral("~template.html");
    if (folder.isEmpty())
      candidate = root + tmpl;
    else if (!folder.startsWith(QLatin1String("//"))) {
      const QString chosen = FHost->SelectDirectory(_("Select subdirectory of template for new document"),
                                                    folder, root);
      if (!chosen.isEmpty()) {
        candidate = WithTrailingSlash(chosen) + tmpl;
        if (!QFileInfo::exists(candidate)) {
          candidate = root + tmpl;
          const bool project = QFileInfo::exists(candidate);
          InfoBox(_("No template found in:") + QStringLiteral("\r\n") + WithTrailingSlash(chosen) +
                  QStringLiteral("\r\n") +
                  (project ? _("Using project default template!") : _("Using program default template!")));
          if (!project)
            candidate.clear();
        }
      }
    }
    if (!candidate.isEmpty() && QFileInfo(candidate).isFile()) {
      TLoadedText t = LoadTextFile(candidate);
      if (t.Error.isEmpty()) {
        TBufferCoord caret{1, 1};
        const bool marker = TakeCaretMarker(t.Text, &caret);
        TextBuffer->LoadContent(t.Text, t.LineBreak);
        TextPath = FolderOf(candidate);
        TimeStamp = {};
        TextBuffer->SetCaretXY(caret);
        if (marker)
          TextBuffer->SetModified(true); // the marker line was taken out of the text
        break;
      }
    }
    const QString def = FHost->ProgramDir() + QStringLiteral("default.html");
    TLoadedText t = QFileInfo(def).isFile() ? LoadTextFile(def) : TLoadedText{};
    if (!t.Error.isEmpty())
      t.Text.clear();
    t.Text.replace(QLatin1String("%s"), QLatin1String(CharsetNames[enc]), Qt::CaseInsensitive);
    TBufferCoord caret{1, 1};
    TakeCaretMarker(t.Text, &caret);
    TextBuffer->LoadContent(t.Text, QStringLiteral("\n"));
    TextBuffer->SetCaretXY(caret);
    break;
  }
  case ftCss:
    TextBuffer->LoadContent(QStringLiteral("@charset \"%1\";\n\n").arg(QLatin1String(CharsetNames[enc])),
                            QStringLiteral("\n"));
    resetCaret();
    break;
  case ftPhp:
    TextBuffer->LoadContent(QStringLiteral("<?php\n\n?>"), QStringLiteral("\n"));
    resetCaret();
    break;
  case ftVbs:
    TextBuffer->LoadContent(QStringLiteral("' Visual Basic Script\n\n"), QStringLiteral("\n"));
    resetCaret();
    break;
  case ftPerl:
    TextBuffer->LoadContent(QStringLiteral("#!/bin/perl\nrequire \"cgi-lib.pl\";\n\n"), QStringLiteral("\n"));
    resetCaret();
    break;
  default:
    TextBuffer->LoadContent(QString(), QStringLiteral("\n"));
    break;
  }
  Encoding = enc;
  Status = tsNew;
  setWindowTitle(name);
  TextName = name;
  // The highlighter was attached with the document's settings (SetProperties); attaching it again
  // here would reset the styles' fonts and give new documents another line height.
  FLastModified = TextBuffer->Modified();
  UpdateControls();
}

bool TMDIForm::ReadFile(const QString &fileName, bool reload) {
  CanUpdate = false;
  const TLoadedBytes t = LoadTextFileUtf8(fileName);
  if (!t.Error.isEmpty()) {
    CanUpdate = true;
    ErrorBox(FormatS(_("Error: %s\r\nLoading of %s canceled!"), {t.Error, fileName}));
    return false;
  }
  const TBufferCoord caret = TextBuffer->CaretXY();
  TextBuffer->LoadUtf8(t.Utf8, t.LineBreak);
  if (reload)
    TextBuffer->SetCaretXY(caret);
  TimeStamp = FileStamp(fileName);
  ApplyLoaded(t.Encoding, t.Bom, reload);
  CanUpdate = true;
  FLastModified = TextBuffer->Modified();
  FLoneSurrogates = t.LoneSurrogates;
  if (FLoneSurrogates > 0)
    InfoBox(FormatS(_("The file:\r\n%s\r\nholds %s UTF-16 code units that are no characters (unpaired "
                      "surrogates).\r\nSaving it will write replacement characters in their place."),
                    {fileName, QString::number(FLoneSurrogates)}));
  return true;
}

void TMDIForm::ApplyLoaded(TSynEncoding detected, bool bom, bool reload) {
  // The file keeps the byte-order mark it had, also when an HTML page takes the preset encoding
  // (UTF-16 is written with one in any case).
  UseBom = bom;
  if (FileType != ftHtml || Encoding == detected) {
    Encoding = detected;
    // The detection can agree with the project while the page declares another charset (an ASCII
    // page reads as ANSI whatever it declares): the declaration is brought in line here too, or
    // the first letter typed beyond ASCII would be saved in another encoding than the page names.
    if (FileType == ftHtml) {
      const QString text = TextBuffer->Text();
      const TCharsetValue v = FindCharsetDeclaration(text);
      const int declared = v.Start < 0 ? -1 : EncodingOfCharset(QStringView(text).mid(v.Start, v.Length));
      if (declared >= 0 && qstrcmp(CharsetNames[declared], CharsetNames[Encoding]) != 0) {
        ChangeEncoding(Encoding);
        if (reload)
          TextBuffer->SetModified(true);
      }
    }
  } else if (GetEncodingFromHeader() != Encoding) {
    // HTML pages are saved in the preset (project) encoding: bring the declaration in line.
    ChangeEncoding(Encoding);
    if (reload)
      TextBuffer->SetModified(true);
  } else if (reload) {
    TextBuffer->SetModified(true);
  }
}

bool TMDIForm::LoadText(const QString &fileName) {
  const bool ok = ReadFile(fileName, false);
  if (!ok)
    return false;
  TextName = fileName;
  TextPath = FolderOf(fileName);
  if (!QFileInfo(fileName).isWritable()) {
    Status = tsReadOnly;
    setWindowTitle(QStringLiteral("*") + fileName);
  } else {
    Status = tsOld;
    setWindowTitle(fileName);
  }
  FHost->ShowStatus(this, true);
  FormActivate();
  return true;
}

bool TMDIForm::ReLoadText() { return ReadFile(TextName, true); }

void TMDIForm::ReloadIfChanged() {
  if (Status == tsNew || !TimeStamp.IsValid() || !QFileInfo(TextName).isFile() ||
      FileStamp(TextName) == TimeStamp)
    return;
  if (IsModified())
    UpdateText();
  else
    ReLoadText();
}

bool TMDIForm::SaveText() {
  if (FLoneSurrogates > 0 &&
      ShowMessage(mkConfirm,
                  FormatS(_("The file:\r\n%s\r\nwas loaded with %s UTF-16 code units that are no "
                            "characters.\r\nSaving replaces them by other characters. Save anyway?"),
                          {TextName, QString::number(FLoneSurrogates)})) != mrYes)
    return false;
  TextPath = FolderOf(TextName);
  QString err;
  qsizetype bad = -1;
  if (!SaveUtf8TextFile(TextName, TextBuffer->Utf8View(), Encoding, UseBom, &err, &bad)) {
    if (bad < 0) {
      ErrorBox(_("Error saving file \"%1\":\n%2").arg(TextName, err));
      return false;
    }
    // Characters ANSI cannot hold are never dropped silently.
    const TBufferCoord at = TextBuffer->CoordOfIndex(bad);
    const QString q = _("The text contains characters that cannot be saved as ANSI Latin 1 "
                        "(the first one in line %1, column %2).\nSave the file as UTF-8 instead?")
                          .arg(at.Line)
                          .arg(at.Char);
    if (ShowMessage(mkConfirm, q) != mrYes)
      return false;
    ChangeEncoding(seUTF8);
    if (!SaveUtf8TextFile(TextName, TextBuffer->Utf8View(), Encoding, UseBom, &err)) {
      ErrorBox(_("Error saving file \"%1\":\n%2").arg(TextName, err));
      return false;
    }
  }
  DeleteTsv();
  TimeStamp = FileStamp(TextName);
  TextBuffer->SetModified(false);
  FLoneSurrogates = 0; // the file holds what the editor shows now
  Status = tsOld;
  WasChanged = true;
  return true;
}

QString TMDIForm::AutosaveName() const {
  const QString base = Status == tsNew ? TextPath + TextName.mid(1) : TextName;
  // Never over a file open as a document, nor over a copy an earlier run left behind (it may hold
  // work not recovered yet); this document's own copy is simply written again.
  QString name;
  for (int n = 1; n < 10000; ++n) {
    name = AutosaveCopyName(base, n);
    if (!FHost->IsOpenDocument(name) && (name == TsvName || !QFileInfo::exists(name)))
      break;
  }
  return name;
}

void TMDIForm::SaveTextToTemp() {
  if (!TextBuffer->Modified())
    return;
  const QString name = AutosaveName();
  const QByteArray utf8 = TextBuffer->Utf8Text();
  QString err;
  qsizetype bad = -1;
  // A copy that ANSI cannot hold is kept as UTF-8 rather than with lost characters.
  if (!SaveUtf8TextFile(name, utf8, Encoding, UseBom, &err, &bad) &&
      (bad < 0 || !SaveUtf8TextFile(name, utf8, seUTF8, true, &err)))
    return; // the copy written before (if any) stays the one to remove later
  // A copy under an older name (a recovered one, or one from before a rename) is out of date now.
  if (name != TsvName)
    DeleteTsv();
  TsvName = name;
}

bool TMDIForm::RecoverText(const QString &copyName) {
  const TLoadedBytes t = LoadTextFileUtf8(copyName);
  if (!t.Error.isEmpty()) {
    ErrorBox(FormatS(_("Error: %s\r\nLoading of %s canceled!"), {t.Error, copyName}));
    return false;
  }
  const TBufferCoord caret = TextBuffer->CaretXY();
  CanUpdate = false;
  TextBuffer->LoadUtf8(t.Utf8, t.LineBreak);
  TextBuffer->SetCaretXY(caret);
  CanUpdate = true;
  // The text is not in the file yet: modified, and the copy stays until it is saved or replaced.
  TextBuffer->SetModified(true);
  FLastModified = true;
  TsvName = copyName;
  FHost->ShowStatus(this, true);
  return true;
}

bool TMDIForm::SaveTemplate(const QString &fileName) {
  QString text = TextBuffer->Text();
  const QString br = TextBuffer->LineBreak();
  if (!text.isEmpty() && !text.endsWith(u'\n') && !text.endsWith(u'\r'))
    text += br;
  text += CaretMarkerLine(TextBuffer->CaretXY()) + br;
  QString err;
  if (!SaveTextFile(fileName, text, Encoding, UseBom, &err)) {
    ErrorBox(_("Error saving file \"%1\":\n%2").arg(fileName, err));
    return false;
  }
  return true;
}

void TMDIForm::DeleteTsv() {
  // The copy may have been opened as a document since (to get work back): that file stays.
  if (!TsvName.isEmpty() && QFileInfo::exists(TsvName) && !FHost->IsOpenDocument(TsvName))
    QFile::remove(TsvName);
  TsvName.clear();
}

bool TMDIForm::AskForSave() {
  if (!TextBuffer->Modified())
    return true;
  TMsgOptions o;
  o.Caption = ProgramCaption();
  const TMsgResult r = ShowMessage(mkConfirmCancel, FormatS(_("Save %s?"), {windowTitle()}), o);
  if (r == mrCancel || r == mrOk)
    return false;
  if (r == mrYes && !FHost->SaveTextFromMDI(this))
    return false; // nothing is closed unsaved behind the user's back
  TextBuffer->SetModified(false);
  return true;
}

void TMDIForm::closeEvent(QCloseEvent *e) {
  if (Status != tsClose && !AskForSave()) {
    e->ignore();
    return;
  }
  DeleteTsv();
  FHost->CloseMDI(this);
  Status = tsNew;
  e->accept();
}

TSynEncoding TMDIForm::GetEncodingFromHeader() const { return EncodingFromHeader(TextBuffer->Text()); }

void TMDIForm::ChangeEncoding(TSynEncoding enc) {
  const QString text = TextBuffer->Text();
  const TCharsetValue v = FindCharsetDeclaration(text);
  if (v.Start >= 0) {
    const bool sel = TextBuffer->SelAvail();
    const TBufferCoord caret = TextBuffer->CaretXY();
    const TBufferCoord b = TextBuffer->BlockBegin(), e = TextBuffer->BlockEnd();
    const bool caretAtStart = caret == b;
    TextBuffer->SetSelection(CoordOfIndex(text, v.Start), CoordOfIndex(text, v.Start + v.Length));
    TextBuffer->SetSelText(QLatin1String(CharsetNames[enc]));
    if (sel)
      TextBuffer->SetSelection(caretAtStart ? e : b, caretAtStart ? b : e);
    else
      TextBuffer->SetCaretXY(caret);
  }
  // The file's bytes change with the encoding even where no declaration had to: Save must write.
  if (enc != Encoding)
    TextBuffer->SetModified(true);
  Encoding = enc;
  if (enc == seUTF16LE || enc == seUTF16BE)
    UseBom = true;
  UpdateControls();
  FHost->ShowStatus(this, true);
}

void TMDIForm::UpdateText() {
  if (Updating)
    return;
  Updating = true;
  if (WinIndex >= 0 && Status != tsNew && QFileInfo(TextName).isFile() && TimeStamp.IsValid()) {
    const TFileStamp now = FileStamp(TextName);
    if (!(now == TimeStamp)) {
      const QString q = FormatS(_("The text file:\r\n%s\r\nwas changed by another application!\r\n"
                                  "Reload this file?\r\nOwn changes not saved yet will be lossed!"),
                                {TextName});
      if (ShowMessage(mkConfirm, q) == mrYes)
        ReLoadText();
      else
        TimeStamp = now; // asked once per change, not at every activation
    }
  }
  Updating = false;
}

void TMDIForm::FormActivate() {
  UpdateText();
  UpdateControls();
  // The one checker follows the active document's language; a document loaded with its project
  // waits until it is shown.
  const bool spelling = IsSpellType(FileType) && DocId > 0 && !FHost->LoadingProject();
  TSynEditSpellCheck *sc = spelling ? SpellChecker() : nullptr;
  // Whether a dictionary exists is enough here: it is opened when the text is first checked, so
  // showing a document never waits for a dictionary to load.
  const bool on = sc && FTextLangId != 0 &&
                  std::any_of(sc->LoadedDicts().begin(), sc->LoadedDicts().end(),
                              [this](const TDictionaryProps &p) { return p.Id == FTextLangId; });
  for (const char *n : {"ActionMisspell", "ActionAddDict"})
    if (QAction *a = Action(QString::fromLatin1(n)))
      a->setEnabled(on);
  if (SpellHighlight)
    SpellHighlight->Invalidate();
  TextBuffer->setFocus();
}

void TMDIForm::UpdateControls() {
  const bool clipText = ClipboardHasText();
  ActionPaste->setEnabled(clipText);
  if (QAction *js = Action(QStringLiteral("ActionJsText")))
    js->setEnabled(clipText);
  switch (Encoding) {
  case seUTF8:
    ActionToUtf8->setChecked(true);
    break;
  case seUTF16LE:
    ActionToUtf16LE->setChecked(true);
    break;
  case seUTF16BE:
    ActionToUtf16BE->setChecked(true);
    break;
  case seAnsi:
    ActionToAnsi->setChecked(true);
    break;
  }
  cbDynToolbar->setChecked(FHost->DynTB());
  TagMark.TagType = ttNone;
}

QString TMDIForm::GetTextName() const {
  const QString root = FHost->HtmPath();
  if (!root.isEmpty() && IsInFolder(TextName, root))
    return RelativeToFolder(TextName, root).left(255);
  return TextName;
}

void TMDIForm::ShowLokPanel(bool active) {
  if (!ExternalPanel)
    return;
  if (active) {
    if (!ExternalPanel->layout())
      new QHBoxLayout(ExternalPanel);
    ExternalPanel->layout()->setContentsMargins(0, 0, 0, 0);
    LokPanel->setParent(ExternalPanel);
    ExternalPanel->layout()->addWidget(LokPanel);
    LokPanel->show();
  } else if (LokPanel->parent() != this) {
    LokPanel->hide();
    LokPanel->setParent(this);
  }
}
