#include "ui/publish/TextViewer.h"

#include "core/common/Encodings.h"
#include "core/common/SafeFile.h"
#include "core/common/Translate.h"
#include "ui/common/MessageBox.h"
#include "ui/print/TextPrinter.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {
// The code pages offered: automatic (byte-order mark, else valid UTF-8, else ANSI) and the
// encodings the editor itself reads and writes.
const TSynEncoding CodePages[] = {seAnsi, seUTF8, seUTF16LE, seUTF16BE};
} // namespace

TTextViewer::TTextViewer(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TextViewer"));
  resize(720, 520);
  auto *lay = new QVBoxLayout(this);
  auto *bar = new QHBoxLayout;
  CodePageBox = new QComboBox(this);
  CodePageBox->setObjectName(QStringLiteral("CodePageBox"));
  CodePageBox->addItem(_("Automatic"));
  for (TSynEncoding e : CodePages)
    CodePageBox->addItem(QString::fromLatin1(EncodingNames[e]));
  const auto button = [this, bar](const char *name, const QString &text, const QString &hint) {
    auto *b = new QPushButton(text, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(hint);
    b->setAutoDefault(false);
    b->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    bar->addWidget(b);
    return b;
  };
  bar->addWidget(CodePageBox);
  PrevSection = button("PrevSection", QStringLiteral("<<"), _("Previous section"));
  NextSection = button("NextSection", QStringLiteral(">>"), _("Next section"));
  PrevError = button("PrevError", QStringLiteral("< !"), _("Previous error"));
  NextError = button("NextError", QStringLiteral("! >"), _("Next error"));
  SearchEdit = new QLineEdit(this);
  SearchEdit->setObjectName(QStringLiteral("SearchEdit"));
  SearchEdit->setMinimumWidth(160);
  SearchEdit->setPlaceholderText(_("Find"));
  bar->addWidget(SearchEdit, 1);
  SearchButton = button("SearchButton", _("&Search"), QString());
  DeleteButton = button("DeleteButton", _("&Delete"), QString());
  // Printing always has a destination (a PDF file when no printer is installed).
  PrintButton = button("PrintButton", _("&Print"), QString());
  lay->addLayout(bar);
  View = new QPlainTextEdit(this);
  View->setObjectName(QStringLiteral("View"));
  View->setReadOnly(true);
  View->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  View->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont mono(QStringLiteral("Monospace"));
  mono.setStyleHint(QFont::TypeWriter);
  View->setFont(mono);
  lay->addWidget(View, 1);
  auto *status = new QHBoxLayout;
  LinePanel = new QLabel(this);
  LinePanel->setObjectName(QStringLiteral("LinePanel"));
  MessagePanel = new QLabel(this);
  MessagePanel->setObjectName(QStringLiteral("MessagePanel"));
  status->addWidget(LinePanel);
  status->addWidget(MessagePanel, 1);
  lay->addLayout(status);
  connect(View, &QPlainTextEdit::cursorPositionChanged, this, &TTextViewer::UpdateLine);
  connect(PrevSection, &QPushButton::clicked, this, [this] { GoSection(false); });
  connect(NextSection, &QPushButton::clicked, this, [this] { GoSection(true); });
  connect(PrevError, &QPushButton::clicked, this, [this] { GoError(false); });
  connect(NextError, &QPushButton::clicked, this, [this] { GoError(true); });
  connect(SearchButton, &QPushButton::clicked, this, [this] { Search(SearchEdit->text()); });
  connect(SearchEdit, &QLineEdit::returnPressed, this, [this] { Search(SearchEdit->text()); });
  connect(DeleteButton, &QPushButton::clicked, this, &TTextViewer::DeleteExecute);
  connect(PrintButton, &QPushButton::clicked, this, &TTextViewer::PrintExecute);
  connect(CodePageBox, &QComboBox::activated, this, [this] {
    if (!FFileName.isEmpty())
      LoadFile(FFileName);
  });
}

void TTextViewer::SetSectionMarks(const QString &sectText, const QString &errText) {
  FSectText = sectText;
  FErrText = errText;
}

bool TTextViewer::LoadFile(const QString &fileName) {
  FFileName = fileName;
  setWindowTitle(windowTitle().section(QStringLiteral(" ["), 0, 0) + QStringLiteral(" [") +
                 QFileInfo(fileName).fileName() + u']');
  MessagePanel->clear();
  QFile f(fileName);
  if (!f.exists()) {
    ErrorBox(_("File: ") + FormatS(_("\"%s\" not found!"), {fileName}));
    return false;
  }
  if (!f.open(QIODevice::ReadOnly)) {
    View->setPlainText(QStringLiteral("*** ") + FormatS(_("Error loading file: \"%s\""), {fileName}));
    return false;
  }
  const QByteArray data = f.readAll();
  const TDetectedEncoding detected = DetectEncoding(data);
  const int page = CodePageBox->currentIndex();
  FEncoding = page <= 0 ? detected.Encoding : CodePages[page - 1];
  FBom = detected.Bom && detected.Encoding == FEncoding;
  QString text, error;
  if (!DecodeText(data, FEncoding, FBom, text, error)) {
    ShowMessage(mkError, _("Invalid code page - Windows default is used!"));
    FEncoding = seAnsi;
    FBom = false;
    text = DecodeAnsi(data);
  }
  // Decoded first, then the zero characters dropped: removing zero bytes before decoding would
  // tear UTF-16 text apart.
  text.remove(QChar(0));
  FLineBreak = DetectLineBreakBytes(data);
  if (FLineBreak.isEmpty())
    FLineBreak = QStringLiteral("\r\n");
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  View->setPlainText(text);
  View->moveCursor(QTextCursor::End);
  View->verticalScrollBar()->setValue(View->verticalScrollBar()->maximum());
  UpdateLine();
  return true;
}

int TTextViewer::CurrentLine() const {
  return View->textCursor().blockNumber() + 1;
}

void TTextViewer::UpdateLine() {
  LinePanel->setText(FormatS(_(" Line: %u of %u"), {QString::number(CurrentLine()),
                                                    QString::number(View->document()->blockCount() + 1)}));
}

bool TTextViewer::Go(const QString &mark, bool forward, const QString &noneText) {
  MessagePanel->clear();
  if (mark.isEmpty())
    return false;
  QTextCursor c = View->textCursor();
  // Searching forward starts behind the current line, so that the line found last is passed.
  if (forward) {
    c.movePosition(QTextCursor::EndOfBlock);
  } else {
    c.movePosition(QTextCursor::StartOfBlock);
  }
  const QTextCursor hit =
      View->document()->find(mark, c, forward ? QTextDocument::FindFlags() : QTextDocument::FindBackward);
  if (hit.isNull()) {
    View->moveCursor(forward ? QTextCursor::End : QTextCursor::Start);
    MessagePanel->setText(noneText);
    return false;
  }
  View->setTextCursor(hit);
  View->ensureCursorVisible();
  return true;
}

bool TTextViewer::GoSection(bool forward) {
  return Go(FSectText, forward, _("No further sections!"));
}
bool TTextViewer::GoError(bool forward) {
  return Go(FErrText, forward, _("No further errors!"));
}

bool TTextViewer::Search(const QString &text) {
  MessagePanel->clear();
  if (text.isEmpty())
    return false;
  if (View->find(text))
    return true;
  // The view usually stands at the end of the log: a search that finds nothing below goes on
  // from the top once.
  const QTextCursor keep = View->textCursor();
  View->moveCursor(QTextCursor::Start);
  if (View->find(text))
    return true;
  View->setTextCursor(keep);
  MessagePanel->setText(FormatS(_("\"%s\" not found!"), {text}));
  return false;
}

void TTextViewer::DeleteExecute() {
  if (FFileName.isEmpty())
    return;
  QTextCursor c = View->textCursor();
  if (!c.hasSelection()) {
    if (!ConfirmBox(FormatS(_("Delete file \"%s\"?"), {FFileName})))
      return;
    if (!QFile::remove(FFileName)) {
      ErrorBox(FormatS(_("Cannot delete file \"%s\"!"), {FFileName}));
      return;
    }
    View->clear();
    return;
  }
  if (!ConfirmBox(_("Delete selected text?")))
    return;
  c.removeSelectedText();
  // The file keeps the encoding and byte-order mark it was read with, so that the log stays
  // readable for the program that appends to it.
  QString error;
  if (!WriteFileAtomically(
          FFileName, EncodeText(View->toPlainText().replace(u'\n', FLineBreak), FEncoding, FBom), &error))
    ErrorBox(error);
}

bool TTextViewer::PrintExecute() {
  QString text = View->toPlainText();
  const QTextCursor c = View->textCursor();
  if (c.hasSelection() && ConfirmBox(_("Print selected lines?"))) {
    // Whole lines, from the one the selection starts in to the one it ends in.
    const QTextBlock first = View->document()->findBlock(c.selectionStart());
    const QTextBlock last = View->document()->findBlock(c.selectionEnd());
    QStringList lines;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
      lines << b.text();
      if (b == last)
        break;
    }
    text = lines.join(u'\n');
  }
  if (text.isEmpty())
    return false;
  TPrintSource src;
  src.Text = text;
  src.Title = windowTitle();
  src.Font = QFont(QStringLiteral("Courier New"), 10);
  src.Font.setStyleHint(QFont::TypeWriter);
  return PrintWithDialog(this, src, FPrintSettings, FPrinterName);
}

void TTextViewer::keyPressEvent(QKeyEvent *e) {
  if (e->matches(QKeySequence::Find)) {
    SearchEdit->setFocus();
    SearchEdit->selectAll();
    return;
  }
  if (e->key() == Qt::Key_F3) {
    Search(SearchEdit->text());
    return;
  }
  if (e->key() == Qt::Key_Delete && View->textCursor().hasSelection()) {
    DeleteExecute();
    return;
  }
  QDialog::keyPressEvent(e);
}
