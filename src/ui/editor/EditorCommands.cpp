#include "ui/editor/EditorCommands.h"

#include "core/common/Translate.h"
#include "core/editor/SpellCheck.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/DocumentHost.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/SpellHighlight.h"
#include "ui/editor/TextBuffer.h"

#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>

namespace {

// The word at the caret of the document: line, UTF-16 span and text.
struct TCaretWord {
  int Line = 0;
  TWordSpan Span;
  QString Text;
};

TCaretWord CaretWord(TMDIForm *form) {
  TTextBuffer *buf = form->TextBuffer;
  const TBufferCoord caret = buf->CaretXY();
  TCaretWord w;
  w.Line = caret.Line;
  const QString line = buf->Line(caret.Line);
  w.Span = WordAt(line, std::min<qsizetype>(caret.Char - 1, line.size()));
  if (w.Span.IsValid())
    w.Text = line.mid(w.Span.Start, w.Span.Length);
  return w;
}

void MisspellExecute(TMDIForm *form) {
  TTextBuffer *buf = form->TextBuffer;
  if (!form->SpellHighlight)
    return;
  TBufferCoord start;
  int length = 0;
  if (!form->SpellHighlight->FindNext(buf->SelAvail() ? buf->BlockEnd() : buf->CaretXY(), start, length)) {
    QApplication::beep();
    InfoBox(_("No more misspellings found!"));
    return;
  }
  buf->SetSelection(start, {start.Char + length, start.Line});
}

void AddDictExecute(TMDIForm *form) {
  if (form->TextBuffer->LineCount() <= 1 && form->TextBuffer->Line(1).isEmpty())
    return;
  // F5 without the popup adds the word at the caret.
  if (form->DictWord.trimmed().isEmpty())
    form->DictWord = CaretWord(form).Text;
  TSynEditSpellCheck *sc = form->SpellHighlight ? form->SpellHighlight->Checker() : nullptr;
  if (sc && !form->DictWord.trimmed().isEmpty())
    sc->AddDictWord(form->DictWord);
  form->DictWord.clear();
  if (form->SpellHighlight)
    form->SpellHighlight->Invalidate();
}

void ReplaceWord(TMDIForm *form, const QString &with) {
  const TCaretWord w = CaretWord(form);
  if (!w.Span.IsValid())
    return;
  TTextBuffer *buf = form->TextBuffer;
  buf->BeginUndoAction();
  buf->SetSelection({int(w.Span.Start) + 1, w.Line}, {int(w.Span.Start + w.Span.Length) + 1, w.Line});
  buf->SetSelText(with);
  buf->EndUndoAction();
}

void ClearBookmarksExecute(TMDIForm *form) {
  for (int n = 0; n < 10; ++n)
    form->TextBuffer->ClearBookmark(n);
}

void MatchExecute(TMDIForm *form) {
  if (!form->TextBuffer->JumpToMatchingBracket())
    QApplication::beep();
}

void ColumnExecute(TMDIForm *form) {
  QAction *a = form->Action(QStringLiteral("ActionColumn"));
  form->TextBuffer->SetColumnMode(a && a->isChecked());
}

void SelectWordExecute(TMDIForm *form) {
  form->TextBuffer->SelectWord();
}

// The free bookmark with the lowest number, else the next one to reuse.
int NextBookmarkNumber(TMDIForm *form) {
  TBufferCoord pos;
  for (int n = 0; n < 10; ++n)
    if (!form->TextBuffer->GetBookmark(n, pos))
      return n;
  const int n = form->MarkCount;
  form->MarkCount = (form->MarkCount + 1) % 10;
  form->TextBuffer->ClearBookmark(n);
  return n;
}

// F6 and F7 that no enabled command took (a document without a dictionary, or a key layout
// that moved the commands) switch to the previous and next document, whatever the modifiers.
class TDocumentKeys : public QObject {
public:
  explicit TDocumentKeys(TMDIForm *form) : QObject(form), FForm(form) {}

protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() != QEvent::KeyPress)
      return false;
    const auto *ke = static_cast<QKeyEvent *>(e);
    const int key = ke->key();
    if ((key != Qt::Key_F6 && key != Qt::Key_F7) || FForm->TextBuffer->TakesKey(ke))
      return false;
    FForm->SwitchDocument(key == Qt::Key_F7);
    return true;
  }

private:
  TMDIForm *FForm;
};

struct TEditorCommandRow {
  const char *Name;
  const char *Caption;
  QKeyCombination Key;
  int Tag;
  bool Spelling; // only in HTML and text documents
  void (*Execute)(TMDIForm *);
};

const TEditorCommandRow Rows[] = {
    {"ActionMisspell", "Find next &misspelling", Qt::Key_F6, 2030, true, MisspellExecute},
    {"ActionAddDict", "&Add word to dictionary", Qt::Key_F5, 2031, true, AddDictExecute},
    {"ActionSetBookmark", "Set &bookmark", Qt::CTRL | Qt::Key_D, 2037, false, SetNextBookmark},
    {"ActionClearBookmarks", "&Delete all", Qt::CTRL | Qt::SHIFT | Qt::Key_D, 2038, false,
     ClearBookmarksExecute},
    {"ActionMatch", "&Search bracket", Qt::CTRL | Qt::Key_M, 2017, false, MatchExecute},
    {"ActionColumn", "Colu&mn mode", Qt::Key_F4, 2018, false, ColumnExecute},
    // The editor's "Select word" command (its key comes from the layout).
    {"pmiSelectWord", "&Select word", Qt::CTRL | Qt::Key_W, 0, false, SelectWordExecute},
};

QAction *NewAction(TMDIForm *form, const QString &name, const QString &caption, QKeyCombination key,
                   int tag) {
  auto *a = new QAction(caption, form);
  a->setObjectName(name);
  a->setData(tag);
  if (key.toCombined())
    a->setShortcut(QKeySequence(key));
  a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  form->addAction(a);
  form->ActionList << a;
  return a;
}

void AddIfPresent(QMenu *menu, TMDIForm *form, const char *name) {
  if (QAction *a = form->Action(QString::fromLatin1(name)))
    menu->addAction(a);
}

QString WithoutAmpersands(QString s) {
  return s.remove(u'&');
}

} // namespace

int BookmarkNumberOfCaption(const QString &caption) {
  if (caption.isEmpty() || !caption.back().isDigit())
    return 0;
  return caption.back().digitValue();
}

void SetNextBookmark(TMDIForm *form) {
  const int n = NextBookmarkNumber(form);
  form->TextBuffer->SetBookmark(n, form->TextBuffer->CaretXY());
}

void SetBookmarkOnLine(TMDIForm *form, int n) {
  form->TextBuffer->SetBookmark(n, {1, form->TextBuffer->CaretXY().Line});
}

void GutterClick(TMDIForm *form, int line) {
  TTextBuffer *buf = form->TextBuffer;
  const int on = buf->BookmarkOnLine(line);
  if (on >= 0) {
    buf->ClearBookmark(on);
    return;
  }
  buf->SetBookmark(NextBookmarkNumber(form), {1, line});
}

void FillLanguageMenu(TMDIForm *form, QMenu *menu) {
  menu->clear();
  auto *group = new QActionGroup(menu);
  QList<QPair<QString, quint32>> langs;
  if (TSynEditSpellCheck *sc = form->SpellChecker())
    langs = sc->GetDictLanguages();
  langs.prepend({_("None"), 0});
  for (const auto &[name, id] : langs) {
    QAction *a = menu->addAction(name);
    a->setObjectName(id ? QStringLiteral("pmiLanguage%1").arg(id) : QStringLiteral("pmiNoSpellcheck"));
    a->setData(id);
    a->setCheckable(true);
    a->setChecked(id == form->TextLangId());
    group->addAction(a);
    QObject::connect(a, &QAction::triggered, form, [form, lang = id] { form->LanguageItemClick(lang); });
  }
}

void CreateEditorCommands(TMDIForm *form) {
  for (const TEditorCommandRow &r : Rows) {
    QAction *a = NewAction(form, QString::fromLatin1(r.Name), _(r.Caption), r.Key, r.Tag);
    QObject::connect(a, &QAction::triggered, form, [form, run = r.Execute] { run(form); });
    if (r.Spelling) // until the document shows with a dictionary (FormActivate)
      a->setEnabled(false);
  }
  form->Action(QStringLiteral("ActionColumn"))->setCheckable(true);

  // The numbered bookmarks: Ctrl+Shift+digit sets, Ctrl+digit jumps.
  auto *bookmarks = new QMenu(_("&Bookmarks"), form);
  bookmarks->setObjectName(QStringLiteral("pmiBookmarks"));
  AddIfPresent(bookmarks, form, "ActionSetBookmark");
  AddIfPresent(bookmarks, form, "ActionClearBookmarks");
  QMenu *setMenu = bookmarks->addMenu(_("&Set"));
  QMenu *gotoMenu = bookmarks->addMenu(_("&Goto"));
  for (int n = 0; n < 10; ++n) {
    const QString caption = _("Bookmark &") + QString::number(n);
    const auto digit = Qt::Key(Qt::Key_0 + n);
    QAction *set = NewAction(form, QStringLiteral("ActionSetBookmark%1").arg(n), caption,
                             Qt::CTRL | Qt::SHIFT | digit, 0);
    QObject::connect(set, &QAction::triggered, form,
                     [form, set] { SetBookmarkOnLine(form, BookmarkNumberOfCaption(set->text())); });
    setMenu->addAction(set);
    QAction *go =
        NewAction(form, QStringLiteral("ActionGotoBookmark%1").arg(n), caption, Qt::CTRL | digit, 0);
    QObject::connect(go, &QAction::triggered, form, [form, go] {
      TBufferCoord pos;
      if (form->TextBuffer->GetBookmark(BookmarkNumberOfCaption(go->text()), pos))
        form->TextBuffer->SetCaretXY(pos);
    });
    gotoMenu->addAction(go);
  }
  form->pmiGotoBookmark = gotoMenu;

  QMenu *edit = form->MenuEdit;
  edit->addSeparator();
  if (IsSpellType(form->FileType)) {
    AddIfPresent(edit, form, "ActionMisspell");
    AddIfPresent(edit, form, "ActionAddDict");
  }
  for (const char *n : {"ActionMatch", "ActionColumn", "pmiSelectWord"})
    AddIfPresent(edit, form, n);
  edit->addMenu(bookmarks);

  form->pmEditor = new QMenu(form);
  form->pmEditor->setObjectName(QStringLiteral("pmEditor"));
  // "Edit tag" is disabled only while the popup shows that no tag is marked.
  QObject::connect(form->pmEditor, &QMenu::aboutToHide, form, [form] {
    if (QAction *tag = form->Action(QStringLiteral("ActionEditTag")))
      tag->setEnabled(true);
  });
  form->TextBuffer->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(form->TextBuffer, &QWidget::customContextMenuRequested, form, [form](const QPoint &p) {
    PrepareEditorPopup(form)->popup(form->TextBuffer->mapToGlobal(p));
  });
  form->TextBuffer->installEventFilter(new TDocumentKeys(form));
  QObject::connect(form->TextBuffer, &TTextBuffer::GutterClicked, form,
                   [form](int line) { GutterClick(form, line); });

  if (IsSpellType(form->FileType)) {
    form->SpellHighlight = new TSpellHighlight(
        form->TextBuffer, form->FileType, [form] { return form->SpellChecker(); },
        [form] { return form->TextLangId(); }, form);
  }
}

QMenu *PrepareEditorPopup(TMDIForm *form) {
  QMenu *m = form->pmEditor;
  m->clear();
  // Submenus made for the last popup (clear() leaves them, as they are widgets of their own).
  qDeleteAll(m->findChildren<QMenu *>(Qt::FindDirectChildrenOnly));
  if (IsSpellType(form->FileType)) {
    TSynEditSpellCheck *sc = form->SpellHighlight ? form->SpellHighlight->Checker() : nullptr;
    const TCaretWord w = CaretWord(form);
    const bool misspelt = sc && !w.Text.trimmed().isEmpty() && !sc->CheckWord(w.Text);
    form->DictWord = w.Text;
    QMenu *suggestions = new QMenu(_("&Suggested corrections"), m);
    suggestions->setObjectName(QStringLiteral("pmiSuggestions"));
    if (misspelt) {
      QAction *add = m->addAction(FormatS(_("&Add \"%s\" to dictionary"), {w.Text}));
      add->setObjectName(QStringLiteral("pmiAddToDictionary"));
      QObject::connect(add, &QAction::triggered, form, [form] { AddDictExecute(form); });
      for (const QString &s : sc->GetSuggestions(w.Text)) {
        if (s == w.Text)
          continue;
        QAction *a = suggestions->addAction(QString(s).replace(u'&', QStringLiteral("&&")));
        QObject::connect(a, &QAction::triggered, form,
                         [form, s] { ReplaceWord(form, WithoutAmpersands(s)); });
      }
    }
    if (!suggestions->isEmpty())
      m->addMenu(suggestions);
    AddIfPresent(m, form, "ActionMisspell");
    QMenu *lang = m->addMenu(_("Select &language"));
    lang->setObjectName(QStringLiteral("pmiSelectLanguage"));
    FillLanguageMenu(form, lang);
    m->addSeparator();
  }
  for (const char *n :
       {"ActionEditTag", "ActionImageMap", "ActionFileSize", "ActionColor", "pmiSelectWord", "ActionDecode"})
    AddIfPresent(m, form, n);
  if (QAction *tag = form->Action(QStringLiteral("ActionEditTag")))
    tag->setEnabled(form->TagMark.TagType != ttNone);
  m->addSeparator();
  // The insert menu's own submenus, shared rather than copied.
  QMenu *code = m->addMenu(_("Insert &code"));
  for (QAction *a : form->MenuInsert->actions())
    if (a->menu())
      code->addAction(a);
  AddIfPresent(m, form, "ActionHtmlCode");
  m->addSeparator();
  for (const char *n : {"ActionUpperCase", "ActionLowerCase", "ActionWordToIso"})
    AddIfPresent(m, form, n);
  m->addMenu(form->pmiEncoding);
  m->addSeparator();
  AddIfPresent(m, form, "ActionSetBookmark");
  m->addMenu(form->pmiGotoBookmark);
  m->addSeparator();
  QAction *path = m->addAction(_("Select file &path"), form, [form] { form->SelectFilePath(); });
  path->setObjectName(QStringLiteral("pmiSelectFilePath"));
  path->setEnabled(!form->TextPath.isEmpty());
  return m;
}
