#include "ui/editor/ConversionCommands.h"
#include "core/common/AppPaths.h"
#include "core/common/Translate.h"
#include "core/dialogs/Colors.h"
#include "core/editor/Conversions.h"
#include "core/editor/Entities.h"
#include "core/editor/InsertEngine.h"
#include "core/editor/TagMark.h"
#include "ui/common/ClipboardState.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/HtmlCharDlg.h"
#include "ui/editor/InsertCommands.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TagEditDlg.h"
#include "ui/editor/TextBuffer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>

namespace {
TConversionHooks Hooks;

// The table is normally loaded at start-up; a document opened before (or without) that finds
// the default file beside the program.
const TEntityTable &Entities() {
  static bool tried = false;
  TEntityTable &t = HtmlEntities();
  if (t.IsEmpty() && !tried) {
    tried = true;
    t.LoadCharList(TAppPaths::FromEnvironment().ProgramDir, QStringLiteral("html-codes.txt"), QString());
  }
  return t;
}

QPoint BelowMouse() {
  return QCursor::pos() + QPoint(0, 20);
}

bool PickColor(TMDIForm *, const QString &title, quint32 &color) {
  const QString plain = QString(title).remove(u'&');
  if (Hooks.PickColor)
    return Hooks.PickColor(plain, color);
  // The main window's dialog with its list of custom colours, which is stored at exit.
  return InsertDialogs().Color(QCursor::pos(), plain, color);
}

std::optional<QString> AskMailAddress(TMDIForm *) {
  if (Hooks.AskMailAddress)
    return Hooks.AskMailAddress();
  // The main window's mail dialog keeps the name and address lists of the settings file.
  QString address;
  if (!InsertDialogs().MailAddress(BelowMouse(), address))
    return std::nullopt;
  return address;
}

// Watches the mouse in the editor: every press finds the tag at the caret anew. A right press
// first moves the caret to the mouse unless text is selected, so that the popup menu works on
// the tag under the mouse.
class TTagMarker : public QObject {
public:
  explicit TTagMarker(TMDIForm *form) : QObject(form), FForm(form) {}

protected:
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() != QEvent::MouseButtonPress)
      return false;
    const auto *me = static_cast<QMouseEvent *>(e);
    TTextBuffer *buf = FForm->TextBuffer;
    if (me->button() == Qt::RightButton) {
      TBufferCoord at;
      if (buf->CoordAtPoint(me->position().toPoint(), at)) {
        if (!buf->SelAvail())
          buf->SetCaretXY(at);
        MarkTagAt(FForm, at);
      } else {
        FForm->TagMark = TTagMark();
      }
      return false;
    }
    // The editor moves the caret after this filter: look once it has.
    QMetaObject::invokeMethod(
        FForm, [form = FForm] { MarkTagAt(form, form->TextBuffer->CaretXY()); }, Qt::QueuedConnection);
    return false;
  }

private:
  TMDIForm *FForm;
};

void CaseExecute(TMDIForm *form, bool upper) {
  TTextBuffer *buf = form->TextBuffer;
  if (!buf->SelAvail())
    return;
  // A column selection is several ranges: the editor's own command handles those (ASCII
  // letters only). A plain selection gets the full case mapping, umlauts included.
  if (buf->IsColumnSelection())
    buf->standardCommands()
        ->find(upper ? QsciCommand::SelectionUpperCase : QsciCommand::SelectionLowerCase)
        ->execute();
  else
    ChangeSelectionCase(*buf, upper);
}

void JsTextExecute(TMDIForm *form) {
  const QMimeData *md = QApplication::clipboard()->mimeData();
  if (!md || !md->hasText())
    return;
  TInsertEngine(*form->TextBuffer, form->FileType)
      .InsertText(JsTextArgument(md->text(), form->TextBuffer->edgeColumn()));
}

void MailtoCodeExecute(TMDIForm *form) {
  const std::optional<QString> address = AskMailAddress(form);
  if (!address)
    return;
  TTextBuffer *buf = form->TextBuffer;
  TInsertEngine engine(*buf, form->FileType);
  const QString sel = buf->SelText();
  if (address->isEmpty()) {
    // Without an address this is the plain mail link.
    if (sel.isEmpty())
      engine.InsertText(QStringLiteral("<a href=\"mailto:\"></a>"), -6);
    else
      engine.InsertText(QStringLiteral("<a href=\"mailto:\">") + sel + QStringLiteral("</a>"),
                        -int(sel.size()) - 6);
    return;
  }
  const int key = Hooks.MailKey ? Hooks.MailKey() : int(QRandomGenerator::global()->bounded(128, 256));
  QString block;
  for (const QString &line : MailEncodeScript(sel, MailCodeList(*address, key)))
    block += engine.ExpandPlaceholders(line) + QStringLiteral("\r\n");
  TUndoGroup group(*buf);
  engine.InsertText(block);
  if (sel.isEmpty()) {
    // Into the empty quotes after "MailEncode(", where the link text goes.
    const int line = buf->CaretXY().Line - 3;
    const qsizetype at = buf->Line(line).indexOf(QLatin1String("MailEncode('"));
    if (line >= 1 && at >= 0)
      buf->SetCaretXY({int(at) + 13, line});
  }
}

void DecodeExecute(TMDIForm *form) {
  TTextBuffer *buf = form->TextBuffer;
  QString codes;
  if (buf->SelAvail())
    codes = buf->SelText();
  else if (form->FileType == ftHtml)
    codes = QuotedTextAt(buf->Line(buf->CaretXY().Line), buf->CaretXY().Char);
  if (!codes.contains(u':'))
    return;
  const std::optional<QString> text = DecodeText(codes);
  if (!text) {
    QApplication::beep(); // a code that is no character
    return;
  }
  if (!text->isEmpty())
    InfoBox(_("Decoded text:") + QStringLiteral("\r\n") + *text);
}

void EditTagExecute(TMDIForm *form) {
  TTextBuffer *buf = form->TextBuffer;
  const QPoint pos = BelowMouse();
  const QString folder = form->TextPath;
  // The same image and link dialogs as the insert commands, so an edited tag gets what a new one
  // would.
  TInsertDialogs &dlg = InsertDialogs();
  const TImageEditor image =
      Hooks.EditImage ? TImageEditor(Hooks.EditImage) : TImageEditor([&](QString &src, QString &attrs) {
        return dlg.Image ? dlg.Image(pos, folder, src, attrs) : EditImageTag(form, pos, folder, src, attrs);
      });
  const TLinkEditor link =
      Hooks.EditLink ? TLinkEditor(Hooks.EditLink)
                     : TLinkEditor([&](QString &url, QString &attrs, QString &text) {
                         return dlg.Reference
                                    ? dlg.Reference(pos, _("Edit link"), folder, attrs, text, url)
                                    : EditLinkTag(form, pos, _("Edit link"), folder, url, attrs, text);
                       });
  const TTagMark mark = form->TagMark;
  form->TagMark = TTagMark();
  if (EditTag(*buf, mark, image, link) == erStale)
    QApplication::beep();
}

void ColorExecute(TMDIForm *form) {
  TTextBuffer *buf = form->TextBuffer;
  const TBufferCoord caret = buf->CaretXY();
  const QString line = buf->Line(caret.Line);
  const TLineSpan word = WordAt(line, caret.Char);
  // Only a word of six hexadecimal digits is a colour value to replace; any other word stays
  // and the colour goes in at the caret.
  const bool isColor = IsHexColor(line.mid(word.Start, word.End - word.Start)) &&
                       !line.mid(word.Start, word.End - word.Start).startsWith(u'#');
  quint32 color = isColor ? HexToColor(line.mid(word.Start, word.End - word.Start)) : 0;
  if (!PickColor(form, _("Select color"), color) || color == NoColor)
    return;
  TInsertEngine engine(*buf, form->FileType);
  if (isColor) {
    TUndoGroup group(*buf);
    buf->SetSelection({int(word.Start) + 1, caret.Line}, {int(word.End) + 1, caret.Line});
    engine.InsertText(ColorToHex(color));
  } else {
    engine.InsertText(QStringLiteral("#") + ColorToHex(color));
  }
}

void HtmlCodeExecute(TMDIForm *form) {
  auto *dlg = form->findChild<THtmlCharDialog *>();
  if (!dlg)
    dlg = new THtmlCharDialog(Entities(), form);
  QString html;
  if (dlg->Execute(QCursor::pos(), html))
    TInsertEngine(*form->TextBuffer, form->FileType).InsertText(html);
}

void CvToHtmlExecute(TMDIForm *form) {
  ConvertDocument(*form->TextBuffer, [](const QString &s) { return Entities().CharsToEntities(s); });
}
void CvToIsoExecute(TMDIForm *form) {
  ConvertDocument(*form->TextBuffer, [](const QString &s) { return Entities().EntitiesToChars(s); });
}
void WordToIsoExecute(TMDIForm *form) {
  WordToChar(*form->TextBuffer, Entities());
}
void UpperCaseExecute(TMDIForm *form) {
  CaseExecute(form, true);
}
void LowerCaseExecute(TMDIForm *form) {
  CaseExecute(form, false);
}
void UpperTagsExecute(TMDIForm *form) {
  ConvertDocument(*form->TextBuffer, [](const QString &s) { return ChangeTagCase(s, true); });
}
void LowerTagsExecute(TMDIForm *form) {
  ConvertDocument(*form->TextBuffer, [](const QString &s) { return ChangeTagCase(s, false); });
}
void WrapBlockExecute(TMDIForm *form) {
  WrapBlock(*form->TextBuffer, form->TextBuffer->edgeColumn());
}
void JsDecodeExecute(TMDIForm *form) {
  TInsertEngine(*form->TextBuffer, form->FileType).InsertLines(MailDecoderScript(), 6, 1, 6);
}

struct TCommandRow {
  const char *Name;
  const char *Caption;
  QKeyCombination Key;
  int Tag;
  bool EditMenu; // the edit menu's conversions, else the insert menu
  void (*Execute)(TMDIForm *);
};

const TCommandRow Rows[] = {
    {"ActionCvToHtml", "All not &ASCII to HTML entities", {}, 2024, true, CvToHtmlExecute},
    {"ActionCvToIso", "All &HTML entities  to characters", {}, 2023, true, CvToIsoExecute},
    {"ActionWordToIso", "&HTML entity to character", {}, 2029, true, WordToIsoExecute},
    {"ActionUpperCase", "&Uppercase", Qt::CTRL | Qt::ALT | Qt::Key_U, 2020, true, UpperCaseExecute},
    {"ActionLowerCase", "&Lowercase", Qt::CTRL | Qt::ALT | Qt::Key_L, 2021, true, LowerCaseExecute},
    {"ActionUpperTags", "&Upper case tags", {}, 2026, true, UpperTagsExecute},
    {"ActionLowerTags", "&Lower case tags", {}, 2025, true, LowerTagsExecute},
    {"ActionWrapBlock", "&Wrap text", {}, 2027, true, WrapBlockExecute},
    {"ActionDecode", "&Decode text", {}, 2039, true, DecodeExecute},
    {"ActionEditTag", "Edit &tag", {}, 4413, false, EditTagExecute},
    {"ActionColor", "&Color", {}, 4206, false, ColorExecute},
    {"ActionHtmlCode", "&Character entities ..", {}, 0, false, HtmlCodeExecute},
    {"ActionJsText", "&Text as JS argument", {}, 4806, false, JsTextExecute},
    {"ActionMailtoCode", "&Encoded mail address", {}, 4416, false, MailtoCodeExecute},
    {"ActionJsDecode", "&Decode mail address", {}, 4807, false, JsDecodeExecute},
};
} // namespace

void SetConversionHooks(const TConversionHooks &hooks) {
  Hooks = hooks;
}

void MarkTagAt(TMDIForm *form, TBufferCoord pos) {
  form->TagMark = GetTagMark(*form->TextBuffer, form->FileType, pos);
}

void CreateConversionCommands(TMDIForm *form) {
  QMenu *convert = nullptr;
  for (const TCommandRow &r : Rows) {
    const QString name = QString::fromLatin1(r.Name);
    // The catalogue may already list the command (with a stand-in); it then gets this handler.
    QAction *a = form->Action(name);
    if (a) {
      QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
    } else {
      a = new QAction(_(r.Caption), form);
      a->setObjectName(name);
      a->setData(r.Tag);
      if (r.Key.toCombined())
        a->setShortcut(QKeySequence(r.Key));
      a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
      form->addAction(a);
      form->ActionList << a;
      if (r.EditMenu) {
        if (!convert) {
          form->MenuEdit->addSeparator();
          convert = form->MenuEdit->addMenu(_("Con&vert"));
          convert->setObjectName(QStringLiteral("pmiConvert"));
        }
        convert->addAction(a);
      } else {
        form->MenuInsert->addAction(a);
      }
    }
    QObject::connect(a, &QAction::triggered, form, [form, run = r.Execute] { run(form); });
  }

  // "Text as JS argument" works on the clipboard's text only.
  if (QAction *js = form->Action(QStringLiteral("ActionJsText"))) {
    const auto update = [js] { js->setEnabled(ClipboardHasText()); };
    update();
    QObject::connect(QApplication::clipboard(), &QClipboard::dataChanged, js, update);
  }

  form->TextBuffer->viewport()->installEventFilter(new TTagMarker(form));
}
