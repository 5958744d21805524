#include "ui/print/TextPrinter.h"
#include "ui/editor/Highlighters.h"

#include <QDate>
#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QPageRanges>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>
#include <algorithm>

namespace {
TPrintDialogResponder DialogResponder;
// The lexers know at most 128 styles of their own.
constexpr int LexerStyles = 128;
// Space between the text and the footer.
constexpr double FooterGapMm = 2.0;
} // namespace

TTextPrinter::TTextPrinter() : QsciPrinter(QPrinter::HighResolution) {
  // The margins are ours: the whole sheet is the paint device.
  setFullPage(true);
  setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

TTextPrinter::~TTextPrinter() = default;

void TTextPrinter::Setup(const TPrintSettings &settings) {
  FSettings = settings;
  setPageOrientation(settings.Ori == 0 ? QPageLayout::Portrait : QPageLayout::Landscape);
  setFullPage(true);
  setWrapMode(settings.Wrap ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
}

int TTextPrinter::Px(double mm) const { return qRound(mm * resolution() / 25.4); }

double TTextPrinter::HeaderTopMm(const TPrintSettings &s) {
  return std::max(0.0, double(s.TopMargin) - double(std::max(0, s.HtHeader)));
}

QRect TTextPrinter::TextArea(int pagenr, int headerHeight, int footerHeight) const {
  const int w = width(), h = height();
  const TPrintSettings &s = FSettings;
  const bool even = s.Mirror && pagenr % 2 == 0;
  // The gutter lies on the binding side: left on odd pages, right on even ones when mirrored.
  const int inner = std::max(0, s.LeftMargin) + std::max(0, s.Gutter), outer = std::max(0, s.RightMargin);
  int left = Px(even ? outer : inner), right = w - Px(even ? inner : outer);
  int top = Px(std::max(0, s.TopMargin));
  if (s.HtHeader > 0)
    top = std::max(top, Px(HeaderTopMm(s)) + headerHeight);
  const int footerTop = std::min(h - Px(std::max(0, s.BottomMargin)) + Px(FooterGapMm), h - footerHeight);
  int bottom = std::min(h - Px(std::max(0, s.BottomMargin)), footerTop);
  // Margins that leave no room for text: a few lines are always printed, or the layout would
  // never get past the first page.
  const int minHeight = 3 * QFontMetrics(FFont, this).lineSpacing();
  if (bottom - top < minHeight) {
    top = std::max(0, std::min(top, h - minHeight));
    bottom = std::min(h, top + minHeight);
  }
  if (right - left < w / 4) {
    left = 0;
    right = w;
  }
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void TTextPrinter::formatPage(QPainter &painter, bool drawing, QRect &area, int pagenr) {
  FLastFormatted = std::max(FLastFormatted, pagenr);
  QFont headerFont = FFont;
  headerFont.setBold(true);
  const QFontMetrics hm(headerFont, this), fm(FFont, this);
  const int headerHeight = FSettings.HtHeader > 0 ? hm.height() : 0;
  area = TextArea(pagenr, headerHeight, fm.height());
  if (!drawing)
    return;
  const bool even = FSettings.Mirror && pagenr % 2 == 0;
  painter.save();
  painter.setPen(Qt::black);
  if (FSettings.HtHeader > 0) {
    const QRect line(area.left(), Px(HeaderTopMm(FSettings)), area.width(), headerHeight);
    const QString pages = QString::number(pagenr) + u'/' + QString::number(FPageCount);
    painter.setFont(headerFont);
    const int room = std::max(0, line.width() - hm.horizontalAdvance(pages) - hm.horizontalAdvance(QStringLiteral("MM")));
    painter.drawText(line, (even ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop,
                     hm.elidedText(FTitle, Qt::ElideMiddle, room));
    painter.drawText(line, (even ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop, pages);
  }
  painter.setFont(FFont);
  const int footerTop = std::min(height() - Px(std::max(0, FSettings.BottomMargin)) + Px(FooterGapMm),
                                 height() - fm.height());
  painter.drawText(QRect(area.left(), footerTop, area.width(), fm.height()),
                   (even ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignTop, FDate);
  painter.restore();
}

int TTextPrinter::Prepare(const TPrintSource &source) {
  FTitle = source.Title;
  FFont = source.Font;
  FDate = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
  FEditor = std::make_unique<QsciScintilla>();
  QsciScintilla *e = FEditor.get();
  e->setUtf8(true);
  e->setTabWidth(std::max(1, source.TabWidth));
  e->setFont(FFont);
  if (FSettings.Highlight && source.Lexer) {
    // A highlighter of the printer's own with the document's colours and fonts.
    if (QsciLexer *lexer = CreateHighlighter(source.FileType, e)) {
      for (int style = 0; style < LexerStyles; ++style) {
        if (source.Lexer->description(style).isEmpty())
          continue;
        lexer->setColor(source.Lexer->color(style), style);
        lexer->setPaper(source.Lexer->paper(style), style);
        lexer->setFont(source.Lexer->font(style), style);
      }
      e->setLexer(lexer);
    }
  }
  e->setText(source.Text);
  if (e->lexer())
    e->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0, -1);
  e->SendScintilla(QsciScintillaBase::SCI_SETPRINTCOLOURMODE,
                   FSettings.Color ? QsciScintillaBase::SC_PRINT_COLOURONWHITE
                                   : QsciScintillaBase::SC_PRINT_BLACKONWHITE);
  // Only a line-number margin is ever printed.
  e->setMarginWidth(1, 0);
  e->setMarginWidth(2, 0);
  e->setMarginType(0, QsciScintilla::NumberMargin);
  e->setMarginLineNumbers(0, FSettings.LineNumbers);
  e->setMarginWidth(0, FSettings.LineNumbers ? QStringLiteral("00000") : QString());
  e->setMarginsFont(FFont);

  // Counting: the layout runs over every page without drawing any (the range lies past the end),
  // measured on an image with the printer's resolution so that no print job starts.
  QImage probe(1, 1, QImage::Format_RGB32);
  const int dpm = qRound(resolution() / 0.0254);
  probe.setDotsPerMeterX(dpm);
  probe.setDotsPerMeterY(dpm);
  const QPageRanges saved = pageRanges();
  setFromTo(1 << 30, 1 << 30);
  FLastFormatted = 0;
  {
    QPainter p(&probe);
    QsciPrinter::printRange(e, p);
  }
  setPageRanges(saved);
  FPageCount = source.Text.isEmpty() ? 0 : FLastFormatted;
  return FPageCount;
}

bool TTextPrinter::Print() {
  if (!FEditor || FPageCount == 0 || fromPage() > FPageCount)
    return false;
  return QsciPrinter::printRange(FEditor.get()) != 0;
}

void SetPrintDialogResponder(TPrintDialogResponder responder) { DialogResponder = std::move(responder); }

bool PrinterInstalled() { return !QPrinterInfo::availablePrinterNames().isEmpty(); }

bool PrintWithDialog(QWidget *parent, const TPrintSource &source, TPrintSettings &settings, QString &printerName) {
  static bool busy = false;
  if (busy)
    return false;
  busy = true;
  struct TDone {
    ~TDone() { busy = false; }
  } done;
  TTextPrinter printer;
  if (!printerName.isEmpty() && QPrinterInfo::availablePrinterNames().contains(printerName))
    printer.setPrinterName(printerName);
  printer.setDocName(source.Title);
  printer.Setup(settings);
  const int pages = printer.Prepare(source);
  if (pages == 0)
    return false;
  bool ok;
  if (DialogResponder) {
    ok = DialogResponder(printer, pages);
  } else {
    QPrintDialog dlg(&printer, parent);
    dlg.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                   QAbstractPrintDialog::PrintShowPageSize);
    dlg.setMinMax(1, pages);
    dlg.setFromTo(1, pages);
    ok = dlg.exec() == QDialog::Accepted;
  }
  if (!ok)
    return false;
  const int ori = printer.pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
  if (printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty())
    printerName = printer.printerName();
  // The dialog may have changed the paper or its orientation: lay the pages out again.
  settings.Ori = ori;
  const QPageRanges range = printer.pageRanges();
  printer.Setup(settings);
  printer.Prepare(source);
  printer.setPageRanges(range);
  return printer.Print();
}
