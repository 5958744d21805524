#include "ui/editor/InsertCommands.h"
#include "core/app/Anchors.h"
#include "core/common/Translate.h"
#include "core/dialogs/Colors.h"
#include "core/editor/CommandCatalogue.h"
#include "core/editor/TagMark.h"
#include "ui/common/Icons.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TagEditDlg.h"
#include "ui/editor/TextBuffer.h"

#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QInputDialog>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QSet>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>
#include <map>

namespace {
QWidget *DialogParent() {
  return QApplication::activeWindow();
}

// The plain input boxes used until the main window installs its dialogs.
TInsertDialogs DefaultDialogs() {
  TInsertDialogs d;
  d.Text = [](QPoint, const QString &caption, const QString &label, QString &text) {
    bool ok = false;
    const QString t = QInputDialog::getText(DialogParent(), caption, label, QLineEdit::Normal, text, &ok);
    if (ok)
      text = t;
    return ok;
  };
  d.Value = [d](QPoint pos, const QString &prompt, TAttrType, QString &value) {
    return d.Text(pos, prompt, prompt, value);
  };
  d.TwoTexts = [d](QPoint pos, const QString &caption, const QString &label1, QString &text1,
                   const QString &label2, QString &text2) {
    QString a = text1, b = text2;
    if (!d.Text(pos, caption, label1, a) || !d.Text(pos, caption, label2, b))
      return false;
    text1 = a;
    text2 = b;
    return true;
  };
  d.HistoryText = [d](QPoint pos, const QString &caption, const QString &label, QString &text,
                      const QString &) { return d.Text(pos, caption, label, text); };
  d.TwoNumbers = [](QPoint, const QString &caption, const QString &label1, int &value1, const QString &label2,
                    int &value2, int min, int max) {
    bool ok = false;
    const int a = QInputDialog::getInt(DialogParent(), caption, label1, value1, min, max, 1, &ok);
    if (!ok)
      return false;
    const int b = QInputDialog::getInt(DialogParent(), caption, label2, value2, min, max, 1, &ok);
    if (!ok)
      return false;
    value1 = a;
    value2 = b;
    return true;
  };
  d.Option = [](QPoint, const QString &caption, const QString &choices, QString &value) {
    QStringList items = choices.split(u',');
    for (QString &i : items)
      i = i.trimmed().remove(u'"');
    bool ok = false;
    const QString v = QInputDialog::getItem(DialogParent(), caption, caption, items, 0, false, &ok);
    if (ok)
      value = v;
    return ok;
  };
  d.Color = [](QPoint, const QString &title, quint32 &color) {
    const QColor c = QColorDialog::getColor(
        color == NoColor ? QColor(Qt::black) : QColor(ColorRed(color), ColorGreen(color), ColorBlue(color)),
        DialogParent(), title);
    if (!c.isValid())
      return false;
    color = RgbToColor(c.red(), c.green(), c.blue());
    return true;
  };
  d.MailAddress = [d](QPoint pos, QString &address) {
    return d.Text(pos, _("Mail address"), _("Address:"), address);
  };
  d.Date = [d](QPoint pos, int &, QString &dateText, const QLocale &locale) {
    QString t = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    if (!d.Text(pos, _("Date"), _("Date:"), t))
      return false;
    dateText = t;
    return true;
  };
  d.FileSize = [d](QPoint pos, const QString &fileName, bool &, QString &sizeText) {
    QString t = QString::number(QFileInfo(fileName).size()) + QStringLiteral(" B");
    if (!d.Text(pos, _("File size"), _("Size:"), t))
      return false;
    sizeText = t;
    return true;
  };
  d.OpenFile = [](const QString &title, const QString &startFile, const QString &filter) {
    // "description|masks|..." as Qt writes it: "description (masks);;..."
    const QStringList parts = filter.split(u'|');
    QStringList qt;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
      qt << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') + u')';
    return QFileDialog::getOpenFileName(DialogParent(), title, startFile, qt.join(QLatin1String(";;")));
  };
  d.LastUrlFile = [] { return QString(); };
  d.Link = [d](QPoint pos, const QString &title, const QString &hint, QString &text, QString &link,
               const QString &, const QString &) {
    QString l = link, t = text;
    if (!d.Text(pos, title, _("Link:"), l))
      return false;
    if (!hint.isEmpty() && !d.Text(pos, title, hint, t))
      return false;
    link = l;
    text = t;
    return true;
  };
  // The plain tag dialogs of "Edit tag": reference, attribute text and (for links) the text.
  d.Reference = [](QPoint pos, const QString &caption, const QString &folder, QString &attributes,
                   QString &text, QString &url) {
    return EditLinkTag(DialogParent(), pos, caption, folder, url, attributes, text);
  };
  d.SelectFromList = [](QPoint, const QString &caption, const QString &description, const QStringList &items,
                        QString &chosen) {
    bool ok = false;
    // Editable, so that a new name can be typed as well.
    const QString v = QInputDialog::getItem(DialogParent(), caption, description, items, 0, true, &ok);
    if (!ok)
      return 2;
    chosen = v;
    return 1;
  };
  d.Image = [](QPoint pos, const QString &folder, QString &image, QString &attributes) {
    return EditImageTag(DialogParent(), pos, folder, image, attributes);
  };
  d.ImageMap = [d](QPoint pos, QString &mapName) { return d.Text(pos, _("Image map"), _("Name:"), mapName); };
  d.Entity = [d](QPoint pos, QString &entity) {
    return d.Text(pos, _("Character entities"), _("Entity:"), entity);
  };
  return d;
}

QString StripAccel(QString s) {
  for (qsizetype i = 0; i < s.size(); ++i)
    if (s[i] == u'&')
      s.remove(i, 1); // "&&" keeps one "&"
  return s.trimmed();
}

QString Tr(const char *s) {
  return s ? _(s) : QString();
}

// A dialog's title or prompt, put together from its two translated parts.
QString Title(const TCommandRow &row, int first, int second) {
  return Tr(row.Text[first]) + Tr(row.Text[second]);
}

// "description|masks|..." with the descriptions translated.
QString Filter(const char *filter) {
  QStringList parts = QString::fromLatin1(filter).split(u'|');
  for (qsizetype i = 0; i < parts.size(); i += 2)
    parts[i] = _(parts[i].toLatin1().constData());
  return parts.join(u'|');
}

const char *const HtmlFilter = "HTML document|*.htm;*.html|all|*.*";
const char *const AllFilter = "all|*.*";

// Everything one command needs while it runs.
struct TRun {
  TMDIForm *Form;
  TTextBuffer &Buf;
  TInsertEngine Engine;
  QPoint Pos;
  const TCommandRow &Row;
  TInsertDialogs &Dlg;

  TRun(TMDIForm *form, const TCommandRow &row)
      : Form(form), Buf(*form->TextBuffer), Engine(*form->TextBuffer, form->FileType),
        Pos(QCursor::pos() + QPoint(0, 20)), Row(row), Dlg(InsertDialogs()) {
    Engine.SetValueAsker(
        [this](const QString &prompt, TAttrType type, const QString &def) -> std::optional<QString> {
          QString v = def;
          if (!Dlg.Value || !Dlg.Value(Pos, prompt, type, v))
            return std::nullopt;
          return v;
        });
  }
  bool Css() const { return Form->FileType == ftCss; }
  bool Html() const { return Form->FileType == ftHtml; }
  void Put(const QString &text, int offset = 0) { Engine.InsertText(text, offset); }
  // Text followed by the editor's line break, undone together.
  void PutLine(const QString &text) {
    TUndoGroup group(Buf);
    Engine.InsertText(text);
    Buf.InsertNewLine();
  }
  bool AskText(const QString &caption, const QString &label, QString &text) {
    return Dlg.Text && Dlg.Text(Pos, caption, label, text);
  }
  bool AskHistory(const QString &caption, const QString &label, QString &text, const QString &list) {
    return Dlg.HistoryText && Dlg.HistoryText(Pos, caption, label, text, list);
  }
  bool AskLink(const QString &title, const QString &hint, QString &text, QString &link, const char *filter) {
    return Dlg.Link && Dlg.Link(Pos, title, hint, text, link, Form->TextPath, Filter(filter));
  }
  QString AskFile(const QString &startFile) {
    return Dlg.OpenFile ? Dlg.OpenFile(_("Select file"), startFile, Filter(AllFilter)) : QString();
  }
  // Where the open dialog of the file commands starts: beside the file chosen last.
  QString StartFolder() const {
    if (!Form->LastSizeFile.isEmpty())
      return QFileInfo(Form->LastSizeFile).absolutePath();
    return Form->TextPath;
  }
};

using THandler = void (*)(TRun &);

void LinkExecute(TRun &r) {
  if (r.Css()) {
    r.Put(QStringLiteral("a {}"), -1);
    return;
  }
  QString attrs, text = r.Buf.SelText(), url;
  if (!r.Dlg.Reference || !r.Dlg.Reference(r.Pos, _("Insert reference"), r.Form->TextPath, attrs, text, url))
    return;
  r.Put(QStringLiteral("<a href=\"") + url + u'"' + attrs + u'>' + text + QStringLiteral("</a>"),
        text.isEmpty() ? -4 : 0);
}

void TargetExecute(TRun &r) {
  if (r.Css()) {
    r.Put(QStringLiteral("a {}"), -1);
    return;
  }
  QString name;
  if (r.AskHistory(_("New anchor"), _("Name:"), name, QStringLiteral("AnchorList")))
    r.Engine.InsertTags(QStringLiteral("<a name=\"") + name + QStringLiteral("\">"), QStringLiteral("</a>"),
                        true);
}

void GotoExecute(TRun &r) {
  if (r.Css()) {
    r.Put(QStringLiteral("a {}"), -1);
    return;
  }
  if (!r.Html())
    return;
  // The same reader as the anchors page, so the picker offers exactly what the page lists.
  QList<TAnchorEntry> found;
  ReadAnchors(r.Buf.Text(), found);
  QStringList anchors;
  for (const TAnchorEntry &e : found)
    anchors << e.Text();
  QString chosen;
  bool ask = anchors.isEmpty();
  if (!ask) {
    for (QString &a : anchors)
      a.remove(u'|');
    const int res = r.Dlg.SelectFromList
                        ? r.Dlg.SelectFromList(r.Pos, _("Select local anchor"),
                                               QFileInfo(r.Form->TextName).fileName(), anchors, chosen)
                        : 2;
    if (res == 2)
      return;
    ask = res == 6;
  }
  if (ask && !r.AskHistory(_("Goto anchor"), _("Name:"), chosen, QStringLiteral("AnchorList")))
    return;
  r.Engine.InsertTags(QStringLiteral("<a href=\"#") + AnchorNameOfEntry(chosen) + QStringLiteral("\">"),
                      QStringLiteral("</a>"), true);
}

void ImageExecute(TRun &r) {
  if (r.Css()) {
    r.Put(QStringLiteral("img {}"), -1);
    return;
  }
  QString image, attrs;
  if (r.Dlg.Image && r.Dlg.Image(r.Pos, r.Form->TextPath, image, attrs))
    r.Put(QStringLiteral("<img src=\"") + image + u'"' + attrs + u'>');
}

// The map of the img tag at the caret, edited with the map editor: an existing map is rewritten
// in place, a new one goes before the image's line and the image gets its usemap.
bool EditImageMap(TRun &r) {
  TTagMark mark = r.Form->TagMark;
  r.Form->TagMark = TTagMark();
  if (mark.TagType == ttNone && r.Html())
    mark = GetTagMark(r.Buf, r.Form->FileType, r.Buf.CaretXY());
  if (mark.TagType != ttImg || !r.Dlg.MapEditor)
    return false;
  if (!TagMarkFits(r.Buf, mark))
    return true; // the text changed under the mark: nothing to edit
  const QString text = r.Buf.Text();
  const qsizetype tagStart = r.Buf.IndexOf(mark.TagStart), tagEnd = r.Buf.IndexOf(mark.TagEnd);
  const TImageTagInfo info = ReadImageTag(text.mid(tagStart, tagEnd - tagStart));
  QString name = info.MapName;
  const TMapBlock block = FindMap(text, name);
  if (name.isEmpty() && !(r.Dlg.ImageMap && r.Dlg.ImageMap(r.Pos, name) && !name.isEmpty()))
    return true;
  QList<TAnchorEntry> found;
  ReadAnchors(text, found);
  QStringList anchors;
  for (const TAnchorEntry &e : found)
    anchors << e.Text();
  TAreaList areas = block.Areas;
  if (!r.Dlg.MapEditor(r.Form->TextPath, info.Src, areas, anchors, name))
    return true;
  const QString map =
      MapText(name, areas, r.Buf.TabWidth()).replace(QLatin1String("\r\n"), r.Buf.LineBreak());
  TUndoGroup group(r.Buf);
  if (block.Start >= 0) {
    r.Buf.SetSelection(r.Buf.CoordOfIndex(block.Start), r.Buf.CoordOfIndex(block.End));
    r.Buf.SetSelText(map);
  } else {
    // A usemap naming a map that is not in the page keeps the tag as it is.
    if (info.MapName.isEmpty()) {
      r.Buf.SetSelection(mark.TagStart, mark.TagEnd);
      r.Buf.SetSelText(ImageTagWithMap(info, name));
    }
    r.Buf.SetCaretXY({1, mark.TagStart.Line});
    r.Buf.SetSelText(map + r.Buf.LineBreak());
  }
  return true;
}

void ImageMapExecute(TRun &r) {
  if (EditImageMap(r))
    return;
  // Away from an image the command starts an empty map for hand-written areas.
  QString name;
  if (r.Dlg.ImageMap && r.Dlg.ImageMap(r.Pos, name))
    r.Engine.InsertTags(QStringLiteral("<map name=\"") + name + QStringLiteral("\">"),
                        QStringLiteral("</map>"), false);
}

void MailtoExecute(TRun &r) {
  QString address;
  if (!r.Dlg.MailAddress || !r.Dlg.MailAddress(r.Pos, address))
    return;
  int offset = 0;
  const QString text = MailtoText(address, r.Buf.SelText(), &offset);
  r.Put(text, offset);
}

void CommentExecute(TRun &r) {
  if (r.Buf.SelAvail()) {
    if (r.Html())
      r.Engine.InsertTags(QStringLiteral("<!-- "), QStringLiteral("-->"), true);
    else
      r.Engine.InsertTags(QStringLiteral("/* "), QStringLiteral(" */"), true);
    return;
  }
  QString text;
  if (!r.AskText(_("Insert comment"), _("Text:"), text))
    return;
  if (r.Html())
    r.Put(QStringLiteral("<!-- ") + text + QStringLiteral(" -->"), -4);
  else
    r.Put(QStringLiteral("/* ") + text + QStringLiteral(" */"), -3);
}

void NewTableExecute(TRun &r) {
  int cols = 2, rows = 2;
  if (!r.Dlg.TwoNumbers || !r.Dlg.TwoNumbers(r.Pos, _("Table"), _("Number of columns:"), cols,
                                             _("Number of rows:"), rows, 1, 1000))
    return;
  const int tw = r.Buf.TabWidth();
  TUndoGroup group(r.Buf);
  const int y = r.Buf.BlockBegin().Line;
  r.Buf.SetSelText(TableSkeleton(cols, rows, tw));
  r.Buf.SetCaretXY({2 * tw + 5, y + 2});
}

void FrameRefExecute(TRun &r) {
  QString text, link;
  if (r.AskLink(_("Frame contents"), _("Name:"), text, link, HtmlFilter))
    r.Put(QStringLiteral("<frame src=\"") + link + QStringLiteral("\" name=\"") + text +
          QStringLiteral("\">"));
}

void IFrameExecute(TRun &r) {
  QString text, link;
  if (r.AskLink(_("Frame contents"), QString(), text, link, HtmlFilter))
    r.Engine.InsertTags(QStringLiteral("<iframe src=\"") + link + QStringLiteral("\">"),
                        QStringLiteral("</iframe>"), false);
}

void TextAreaExecute(TRun &r) {
  int lines = 2, cols = 20;
  if (!r.Dlg.TwoNumbers ||
      !r.Dlg.TwoNumbers(r.Pos, _("Text area"), _("Lines:"), lines, _("Columns:"), cols, 1, 1000))
    return;
  TUndoGroup group(r.Buf);
  r.Engine.InsertCode(
      FormatS(QStringLiteral("<textarea name=\"user_eingabe\" rows=\"%d\" cols=\"%d\"></textarea>"),
              {QString::number(lines), QString::number(cols)}));
  r.Buf.InsertNewLine();
}

void FormValueExecute(TRun &r) {
  QString value;
  if (r.AskHistory(_("Text input"), _("Default value:"), value, QStringLiteral("ValueList")))
    r.Put(QStringLiteral(" value=\"") + value + u'"');
}

void StyleBgPosExecute(TRun &r) {
  const QString userDefined = _("<user defined>");
  QString choice;
  if (!r.Dlg.Option || !r.Dlg.Option(r.Pos, _("Background position") + u':',
                                     u'"' + userDefined + QStringLiteral("\",top,bottom,left,right"), choice))
    return;
  if (!choice.startsWith(u'<')) {
    r.Engine.InsertCode(QStringLiteral("background-position:") + choice + u';');
    return;
  }
  int vert = 0, hor = 0;
  if (r.Dlg.TwoNumbers &&
      r.Dlg.TwoNumbers(r.Pos, _("Background position"), _("Vertical:"), vert, _("Horizontal:"), hor, 0, 1000))
    r.Engine.InsertCode(QStringLiteral("background-position:%1px %2px;").arg(hor).arg(vert));
}

void DateExecute(TRun &r) {
  int format = r.Form->TextDateFormat();
  QString text;
  if (!r.Dlg.Date || !r.Dlg.Date(r.Pos, format, text, r.Form->FormSet))
    return;
  r.Form->SetTextDateFormat(format);
  r.Put(text);
}

void MonthExecute(TRun &r) {
  r.Put(MonthText(QDate::currentDate(), r.Form->FormSet));
}

void YearExecute(TRun &r) {
  r.Put(QString::number(QDate::currentDate().year()));
}

void FileSizeExecute(TRun &r) {
  // A size written at the caret is replaced by the new one.
  std::optional<TTextRun> run;
  const TBufferCoord caret = r.Buf.CaretXY();
  if (r.Html() && !r.Buf.SelAvail())
    run = FindSizeText(r.Buf.Line(caret.Line), caret.Char);

  QString start;
  const QString last = r.Dlg.LastUrlFile ? r.Dlg.LastUrlFile() : QString();
  if (!last.isEmpty()) {
    const QString file = QDir(r.Form->TextPath).absoluteFilePath(last);
    if (QFileInfo(file).isFile())
      start = file;
  }
  if (start.isEmpty())
    start = r.StartFolder();
  const QString file = r.AskFile(start);
  if (file.isEmpty())
    return;
  QString size;
  if (!r.Dlg.FileSize || !r.Dlg.FileSize(r.Pos, file, r.Form->DecComma, size))
    return;
  TUndoGroup group(r.Buf);
  if (run)
    r.Buf.SetSelection({run->Char, caret.Line}, {run->Char + run->Length, caret.Line});
  r.Put(size);
  r.Form->LastSizeFile = file;
}

void HashExecute(TRun &r) {
  const std::optional<THashKind> kind = HashKindOfName(QString::fromLatin1(r.Row.Text[1]));
  if (!kind)
    return;
  const QString file = r.AskFile(r.StartFolder());
  if (file.isEmpty())
    return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::optional<QString> digest = FileDigest(file, *kind);
  QApplication::restoreOverrideCursor();
  if (!digest) {
    // An empty digest would look like a result; say instead that the file could not be read.
    ErrorBox(FormatS(_("Cannot read file:\r\n%s"), {QDir::toNativeSeparators(file)}));
    return;
  }
  r.Put(HashName(*kind) + QStringLiteral(": ") + *digest);
  r.Form->LastSizeFile = file;
}

void HtmlCodeExecute(TRun &r) {
  QString entity;
  r.Pos = QCursor::pos();
  if (r.Dlg.Entity && r.Dlg.Entity(r.Pos, entity) && !entity.isEmpty())
    r.Put(entity);
}

const std::map<QString, THandler> &Handlers() {
  static const std::map<QString, THandler> handlers = {
      {QStringLiteral("Link"), LinkExecute},
      {QStringLiteral("Target"), TargetExecute},
      {QStringLiteral("Goto"), GotoExecute},
      {QStringLiteral("Image"), ImageExecute},
      {QStringLiteral("ImageMap"), ImageMapExecute},
      {QStringLiteral("Mailto"), MailtoExecute},
      {QStringLiteral("Comment"), CommentExecute},
      {QStringLiteral("NewTable"), NewTableExecute},
      {QStringLiteral("FrameRef"), FrameRefExecute},
      {QStringLiteral("IFrame"), IFrameExecute},
      {QStringLiteral("TextArea"), TextAreaExecute},
      {QStringLiteral("FormValue"), FormValueExecute},
      {QStringLiteral("StyleBgPos"), StyleBgPosExecute},
      {QStringLiteral("Date"), DateExecute},
      {QStringLiteral("Month"), MonthExecute},
      {QStringLiteral("Year"), YearExecute},
      {QStringLiteral("FileSize"), FileSizeExecute},
      {QStringLiteral("Hash"), HashExecute},
      {QStringLiteral("HtmlCode"), HtmlCodeExecute},
  };
  return handlers;
}

// The commands that follow one of the patterns of the table.
void Execute(TMDIForm *form, const TCommandRow &row) {
  TRun r(form, row);
  const QString t0 = QString::fromUtf8(row.Text[0]);
  switch (row.Kind) {
  case ckInline:
  case ckBlock:
    r.Engine.InsertTags(t0, QString::fromUtf8(row.Text[1]), row.Kind == ckInline);
    break;
  case ckPut:
    r.Put(t0, row.Num);
    break;
  case ckPutLine:
    r.PutLine(t0);
    break;
  case ckCode:
    r.Engine.InsertCode(t0);
    break;
  case ckAsk:
    r.Engine.InsertValue(Title(row, 0, 3), QString::fromUtf8(row.Text[1]), TAttrType(row.Num),
                         QString::fromUtf8(row.Text[2]));
    break;
  case ckLines: {
    const QStringList lines = t0.split(u'\n');
    r.Engine.InsertLines(lines, int(lines.size()), r.Buf.TabWidth() + 1, row.Num);
    break;
  }
  case ckColor:
  case ckColorCode: {
    r.Pos = QCursor::pos(); // the colour dialog opens at the pointer itself
    const QString title = row.Text[0] ? Title(row, 0, 3) : StripAccel(_(row.Caption));
    quint32 color = RgbToColor((row.Num >> 16) & 0xFF, (row.Num >> 8) & 0xFF, row.Num & 0xFF);
    // "No color" gives no value to write.
    if (!r.Dlg.Color || !r.Dlg.Color(r.Pos, title, color) || color == NoColor)
      break;
    const QString text = FormatS(QString::fromUtf8(row.Text[1]), {ColorToHex(color)});
    row.Kind == ckColor ? r.Put(text) : r.Engine.InsertCode(text);
    break;
  }
  case ckOption:
  case ckOptionPut: {
    QString choice;
    if (!r.Dlg.Option || !r.Dlg.Option(r.Pos, Title(row, 0, 3), QString::fromUtf8(row.Text[2]), choice))
      break;
    const QString text = FormatS(QString::fromUtf8(row.Text[1]), {choice});
    row.Kind == ckOption ? r.Engine.InsertCode(text) : r.Put(text);
    break;
  }
  case ckInput:
  case ckInputLine: {
    QString value = QString::fromUtf8(row.Text[4]);
    if (!r.AskText(Tr(row.Text[0]), Tr(row.Text[1]), value))
      break;
    const QString text = FormatS(QString::fromUtf8(row.Text[2]), {value});
    row.Kind == ckInput ? r.Put(text, row.Num) : r.PutLine(text);
    break;
  }
  case ckTwoInputs: {
    QString a, b;
    if (r.Dlg.TwoTexts && r.Dlg.TwoTexts(r.Pos, Tr(row.Text[0]), Tr(row.Text[1]), a, Tr(row.Text[2]), b))
      r.Put(FormatS(QString::fromUtf8(row.Text[3]), {a, b}));
    break;
  }
  case ckContainer: {
    QString value = QString::fromUtf8(row.Text[4]);
    if (!r.AskText(Tr(row.Text[0]), Tr(row.Text[1]), value))
      break;
    // The block starts where the selection starts, so that is where its lines line up.
    const TBufferCoord at = r.Buf.BlockBegin();
    TUndoGroup group(r.Buf);
    r.Buf.SetSelText(
        ContainerText(QString::fromUtf8(row.Text[2]), value, QString::fromUtf8(row.Text[3]), at.Char));
    r.Buf.SetCaretXY({at.Char + r.Buf.TabWidth(), at.Line + 1});
    break;
  }
  case ckLinkPut:
  case ckLinkCode: {
    QString text, link;
    if (!r.AskLink(Tr(row.Text[0]), QString(), text, link, row.Text[1]))
      break;
    const QString code = FormatS(QString::fromUtf8(row.Text[2]), {link});
    row.Kind == ckLinkPut ? r.Put(code) : r.Engine.InsertCode(code);
    break;
  }
  case ckSpecial: {
    const auto h = Handlers().find(t0);
    if (h != Handlers().end())
      h->second(r);
    break;
  }
  case ckExternal:
    break;
  }
}

// The Insert menu's submenus ("Global", "Global/Headings") are made and filled when first
// opened: a document has some two hundred commands in them, and most menus are never opened.
class TInsertMenus final : public QObject {
public:
  explicit TInsertMenus(QObject *parent) : QObject(parent) {}

  // A category's menu, made at once (it is in the Insert menu).
  void AddCategory(const QString &key, QMenu *menu) {
    FMenus.insert(key, menu);
    Watch(key, menu);
  }
  // a goes into the menu of category and path ("Headings/More"), below any submenus made for it.
  void AddAction(const QString &category, const QString &path, QAction *a) {
    QString key = category;
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts)) {
      const QString sub = key + u'/' + part;
      if (!FTitles.contains(sub)) {
        FTitles.insert(sub, _(part.toUtf8().constData()));
        FItems[key].append({nullptr, sub});
      }
      key = sub;
    }
    FItems[key].append({a, QString()});
  }
  // A separator and then a at the end of the menu of key.
  void AddTail(const QString &key, QAction *a) {
    FItems[key].append({nullptr, QString()});
    FItems[key].append({a, QString()});
  }
  bool Exists(const QString &key) const { return FMenus.contains(key) || FTitles.contains(key); }

  // The menu of key, made (empty until it is opened) if it does not exist yet.
  QMenu *Menu(const QString &key) {
    if (QMenu *m = FMenus.value(key))
      return m;
    auto *m = new QMenu(FTitles.value(key), Menu(key.section(u'/', 0, -2)));
    m->setObjectName(QStringLiteral("pmi") + QString(key).remove(u'/').remove(u' '));
    FMenus.insert(key, m);
    Watch(key, m);
    return m;
  }

private:
  struct TItem {
    QAction *Action; // or else
    QString Sub;     // a submenu's key, or else a separator
  };
  void Watch(const QString &key, QMenu *m) {
    connect(m, &QMenu::aboutToShow, this, [this, key] { Fill(key); });
  }
  void Fill(const QString &key) {
    const QList<TItem> items = FItems.take(key);
    QMenu *m = FMenus.value(key);
    for (const TItem &item : items)
      if (item.Action)
        m->addAction(item.Action);
      else if (!item.Sub.isEmpty())
        m->addMenu(Menu(item.Sub));
      else
        m->addSeparator();
  }

  QHash<QString, QMenu *> FMenus;
  QHash<QString, QString> FTitles;     // of the submenus
  QHash<QString, QList<TItem>> FItems; // what a menu not yet opened gets when it opens
};

// A tool page's button for a submenu ("Headings"), made when the page first shows its buttons:
// most pages are never opened.
class TMenuButtonAction final : public QWidgetAction {
public:
  TMenuButtonAction(const QString &name, const QString &text, TInsertMenus *menus, const QString &key,
                    QObject *parent)
      : QWidgetAction(parent), FName(name), FMenus(menus), FKey(key) {
    setText(text);
  }

protected:
  QWidget *createWidget(QWidget *parent) override {
    auto *btn = new QToolButton(parent);
    btn->setObjectName(FName);
    btn->setText(text());
    if (FMenus)
      btn->setMenu(FMenus->Menu(FKey));
    btn->setPopupMode(QToolButton::InstantPopup);
    if (const QIcon icon = ActionIcon(FName); !icon.isNull())
      btn->setIcon(icon);
    return btn;
  }

private:
  QString FName;
  QPointer<TInsertMenus> FMenus;
  QString FKey;
};

QToolBar *ToolPage(TMDIForm *form, const QString &page) {
  return form->pcTools->findChild<QToolBar *>(QStringLiteral("ts") + page);
}
} // namespace

TInsertDialogs &InsertDialogs() {
  static TInsertDialogs dialogs = DefaultDialogs();
  return dialogs;
}

void ResetInsertDialogs() {
  InsertDialogs() = DefaultDialogs();
}

QStringList InsertHandlerNames() {
  QStringList names;
  for (const auto &h : Handlers())
    names << h.first;
  return names;
}

void CreateInsertCommands(TMDIForm *form) {
  auto *menus = new TInsertMenus(form);
  QHash<QString, QAction *> pageTail;   // the page's own widgets stay at its end
  QHash<QString, QString> pageCategory; // the category last put on a page
  QSet<QString> pageMenus;              // one button per submenu on a page
  QList<QAction *> mainActions;

  for (const QString &category : CommandCategories()) {
    QMenu *catMenu = form->MenuInsert->addMenu(_(category.toUtf8().constData()));
    catMenu->setObjectName(QStringLiteral("pmi") + category);
    menus->AddCategory(category, catMenu);
    const QString page = ToolPageOfCategory(category);
    if (QToolBar *tb = ToolPage(form, page); tb && !pageTail.contains(page))
      pageTail.insert(page, tb->actions().value(0));
  }

  for (const TCommandRow &row : CommandRows()) {
    const QString category = QString::fromLatin1(row.Category);
    const QString path = QString::fromLatin1(row.Menu);
    auto *a = new QAction(_(row.Caption), form);
    a->setObjectName(QString::fromLatin1(row.Name));
    a->setData(row.Tag);
    if (*row.Key)
      a->setShortcut(QKeySequence::fromString(QString::fromLatin1(row.Key), QKeySequence::PortableText));
    a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    // The hint names the command where its caption alone is ambiguous ("&Top" in several menus).
    QStringList hint;
    for (const QString &part : path.split(u'/', Qt::SkipEmptyParts))
      hint << _(part.toUtf8().constData());
    hint << StripAccel(a->text());
    a->setToolTip(hint.join(QLatin1String(" - ")));
    a->setStatusTip(a->toolTip());
    if (row.Kind != ckExternal) {
      const TCommandRow *r = &row;
      QObject::connect(a, &QAction::triggered, form, [form, r] { Execute(form, *r); });
    }
    form->addAction(a);
    form->ActionList << a;

    menus->AddAction(category, path, a);

    const QString page = ToolPageOfCategory(category);
    if (QToolBar *tb = ToolPage(form, page)) {
      QAction *tail = pageTail.value(page);
      if (pageCategory.contains(page) && pageCategory.value(page) != category)
        tb->insertSeparator(tail);
      pageCategory.insert(page, category);
      if (path.isEmpty()) {
        tb->insertAction(tail, a);
      } else {
        const QString top = category + u'/' + path.section(u'/', 0, 0);
        if (!pageMenus.contains(top)) {
          tb->insertAction(
              tail, new TMenuButtonAction(QStringLiteral("tbtn") + QString(top).remove(u'/').remove(u' '),
                                          _(path.section(u'/', 0, 0).toUtf8().constData()), menus, top, tb));
          pageMenus.insert(top);
        }
      }
    }
    if (row.Main)
      mainActions << a;
  }

  // The script menu also offers the bare opening tag.
  if (const QString js = QStringLiteral("Other/JavaScript"); menus->Exists(js)) {
    auto *bare = new QAction(QStringLiteral("<script language=\"JavaScript\">"), menus);
    bare->setObjectName(QStringLiteral("pmiScriptTag"));
    menus->AddTail(js, bare);
    QObject::connect(bare, &QAction::triggered, form, [form] {
      TInsertEngine(*form->TextBuffer, form->FileType)
          .InsertText(QStringLiteral("<script language=\"JavaScript\">"));
    });
  }

  if (!mainActions.isEmpty()) {
    form->tbMain->addSeparator();
    form->tbMain->addActions(mainActions);
  }
}
