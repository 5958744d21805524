#pragma once
// Printing a text through the editor control's print support: page margins (mirrored on even
// pages for duplex), a header with the title and "page/pages", a footer with the date, line
// numbers, wrapping, highlighting and colour, and a page range. The text is laid out in an
// editor of the printer's own, so printing never changes what the user sees.
#include "core/common/Settings.h"
#include "core/common/Types.h"

#include <QFont>
#include <Qsci/qsciprinter.h>
#include <functional>
#include <memory>

class QsciLexer;
class QsciScintilla;
class QWidget;

struct TPrintSource {
  QString Text;
  QString Title;                    // left in the header (the file name)
  TFileTypes FileType = ftText;     // the highlighter when highlighting is on
  const QsciLexer *Lexer = nullptr; // the document's highlighter: its colours and fonts are used
  QFont Font;                       // the print font; the header is its bold form
  int TabWidth = 8;
};

class TTextPrinter : public QsciPrinter {
public:
  TTextPrinter();
  ~TTextPrinter() override;

  // Orientation and the layout options; margins in millimetres.
  void Setup(const TPrintSettings &settings);
  const TPrintSettings &Settings() const { return FSettings; }
  // Lays the text out for this printer and returns the number of pages (0 for an empty text).
  int Prepare(const TPrintSource &source);
  int PageCount() const { return FPageCount; }
  // Prints the pages of the printer's range (all when none is set); false when nothing could be
  // printed (an empty text, a printer that refused).
  bool Print();

  // Page geometry in device pixels of this printer, for page pagenr (from 1).
  QRect TextArea(int pagenr, int headerHeight, int footerHeight) const;
  // The header's top edge in millimetres from the paper's top: the top margin less the header
  // distance, never above the paper.
  static double HeaderTopMm(const TPrintSettings &s);

  void formatPage(QPainter &painter, bool drawing, QRect &area, int pagenr) override;

private:
  int Px(double mm) const;
  TPrintSettings FSettings;
  std::unique_ptr<QsciScintilla> FEditor;
  QFont FFont;
  QString FTitle, FDate;
  int FPageCount = 0;
  int FLastFormatted = 0;
};

// The system's print dialog (pages 1 to the page count; a PDF file is one of its outputs). Tests
// answer it instead: the responder sets up the printer and returns false for Cancel.
using TPrintDialogResponder = std::function<bool(QPrinter &printer, int pageCount)>;
void SetPrintDialogResponder(TPrintDialogResponder responder);

// Asks for printer and pages, then prints. printerName is the chosen printer before and after
// (kept when the output is a file); settings.Ori follows the dialog's orientation. False when
// cancelled or when nothing was printed.
bool PrintWithDialog(QWidget *parent, const TPrintSource &source, TPrintSettings &settings, QString &printerName);
// True when the system lists at least one printer.
bool PrinterInstalled();
