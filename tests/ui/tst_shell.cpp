// The main window's tab bar, status bar and project page, "Select &Document", removing tags and
// printing to PDF files (checked with poppler's pdftotext and pdfinfo).
#include "core/common/IniFileUtils.h"
#include "core/projects/ProjectInfo.h"
#include "core/editor/Entities.h"
#include "ui/app/HauptForm.h"
#include "ui/app/RecoverDlg.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"
#include "ui/print/PageFormatDlg.h"
#include "ui/print/TextPrinter.h"
#include "ui/publish/TextViewer.h"
#include "ui/shell/FilesTabBar.h"
#include "ui/shell/MainShell.h"
#include "ui/shell/ProjectPage.h"

#include "TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {
// The words of a PDF with their boxes in points (pdftotext -bbox), page by page.
struct TPdfWord {
  QString Text;
  double X = 0, Y = 0;
};
struct TPdf {
  QList<QList<TPdfWord>> Pages;
  double Width = 0, Height = 0;
  QString PageText(int i) const {
    QStringList words;
    for (const TPdfWord &w : Pages.value(i))
      words << w.Text;
    return words.join(u' ');
  }
};

TPdf ReadPdf(const QString &file) {
  TPdf pdf;
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), file, QStringLiteral("-")});
  if (!p.waitForFinished(30000))
    return pdf;
  const QString html = QString::fromUtf8(p.readAllStandardOutput());
  static const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
  static const QRegularExpression word(
      QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"[0-9.]+\" yMax=\"[0-9.]+\">([^<]*)</word>"));
  for (const QString &part : html.split(QStringLiteral("</page>"))) {
    const auto pm = page.match(part);
    if (!pm.hasMatch())
      continue;
    pdf.Width = pm.captured(1).toDouble();
    pdf.Height = pm.captured(2).toDouble();
    QList<TPdfWord> words;
    auto it = word.globalMatch(part);
    while (it.hasNext()) {
      const auto m = it.next();
      words << TPdfWord{m.captured(3), m.captured(1).toDouble(), m.captured(2).toDouble()};
    }
    pdf.Pages << words;
  }
  return pdf;
}

constexpr double PtPerMm = 72.0 / 25.4;

const TPdfWord *FindWord(const TPdf &pdf, int page, const QString &text) {
  for (const TPdfWord &w : pdf.Pages.value(page))
    if (w.Text == text)
      return &w;
  return nullptr;
}
} // namespace

class TstShell : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  QString FWeb;
  QStringList FAsked;
  QList<TMsgResult> FAnswers;
  QStringList FSaveTitles;
  QStringList FSaveNames;
  int FProjectFiles = 0;

  std::unique_ptr<THauptForm> NewMain(const QStringList &files = {}) {
    auto m = std::make_unique<THauptForm>(files);
    m->SaveNameResponder = [this](const QString &title, const QString &, const QString &) {
      if (title == "Save project to file")
        return FDir.filePath(QStringLiteral("proj%1.prj").arg(++FProjectFiles));
      FSaveTitles << title;
      return FSaveNames.isEmpty() ? QString() : FSaveNames.takeFirst();
    };
    m->ProjectDialogResponder = [this](TProjectInfo &p, const QString &) {
      p.ProjName = "Site";
      p.ProjPath = FWeb;
      return true;
    };
    m->SelectProjectResponder = [](const QStringList &, int &index) {
      index = 0;
      return 1;
    };
    const bool ok = m->Init();
    [&] { QVERIFY(ok); }();
    return m;
  }
  QString Web(const QString &name) const { return FWeb + name; }

  // A text of about the given number of pages with the settings: lines "Line n" until the
  // printer's layout gives exactly that many.
  static QString TextOfPages(int pages, const TPrintSettings &s, const QFont &font) {
    TTextPrinter probe;
    probe.Setup(s);
    const auto text = [](int lines) {
      QStringList l;
      for (int i = 1; i <= lines; ++i)
        l << QStringLiteral("Line %1").arg(i);
      return l.join(u'\n') + u'\n';
    };
    TPrintSource src;
    src.Font = font;
    // Lines per page from a long text, then a count in the middle of the last page.
    src.Text = text(1000);
    const int full = probe.Prepare(src);
    int lines = (pages - 1) * 1000 / std::max(1, full) + 1000 / std::max(1, 2 * full);
    for (int tries = 0; tries < 40; ++tries) {
      src.Text = text(lines);
      const int got = probe.Prepare(src);
      if (got == pages)
        break;
      lines += got < pages ? 1000 / std::max(1, 4 * full) + 1 : -(1000 / std::max(1, 4 * full) + 1);
    }
    [&] { QCOMPARE(probe.Prepare(src), pages); }();
    return src.Text;
  }

  QString PrintToPdf(THauptForm &m, const QString &name, int from, int to, int *pageCount = nullptr) {
    const QString pdf = FDir.filePath(name);
    QFile::remove(pdf);
    SetPrintDialogResponder([&](QPrinter &printer, int pages) {
      if (pageCount)
        *pageCount = pages;
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      printer.setFromTo(from, to);
      return true;
    });
    m.Shell()->PrintExecute();
    SetPrintDialogResponder({});
    return pdf;
  }

private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toUtf8());
    FWeb = FDir.filePath("web/");
    QDir().mkpath(FWeb);
    QDir().mkpath(FDir.filePath("config/Tamrix"));
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return FAnswers.isEmpty() ? mrYes : FAnswers.takeFirst();
    });
    TRecoverDialog::SetResponder([](const QString &, const QString &) { return rcLater; });
    QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(), "pdftotext (poppler-utils) is needed");
  }
  void init() {
    const QString ini = FDir.filePath("config/Tamrix/tst_shell.ini");
    QFile::remove(ini);
    auto w = TUnicodeIniFile::CreateForWrite(ini);
    w->WriteString("Config", "StdPath", FWeb);
    QVERIFY(w->UpdateFile());
    FAsked.clear();
    FAnswers.clear();
    FSaveTitles.clear();
    FSaveNames.clear();
  }

  // Pages 2 to 3 of five: two pages whose headers carry the file name and "2/5", "3/5"; the
  // footer the date; the margins, the header distance and the orientation in the page geometry.
  void printPageRangeToPdf_data() {
    QTest::addColumn<int>("ori");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("header");
    QTest::addColumn<double>("headerTopMm"); // where the header line starts
    QTest::newRow("portrait, defaults") << 0 << 25 << 20 << 5 << 15.0;
    QTest::newRow("landscape, wide margins") << 1 << 40 << 30 << 10 << 20.0;
    QTest::newRow("header distance beyond the top margin is clamped") << 0 << 25 << 8 << 30 << 0.0;
  }
  void printPageRangeToPdf() {
    QFETCH(int, ori);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, header);
    QFETCH(double, headerTopMm);
    auto m = NewMain();
    TPrintSettings &s = m->Settings.PrText;
    s.Ori = ori;
    s.LeftMargin = left;
    s.TopMargin = top;
    s.HtHeader = header;
    s.LineNumbers = false;
    QVERIFY(WriteAll(Web("report.html"), QByteArray()));
    QVERIFY(m->OpenTextFile(Web("report.html")));
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->setText(TextOfPages(5, s, doc->TextBuffer->font()));
    int pages = 0;
    const QString file = PrintToPdf(*m, "range.pdf", 2, 3, &pages);
    QCOMPARE(pages, 5);
    const TPdf pdf = ReadPdf(file);
    QCOMPARE(pdf.Pages.size(), 2);
    if (ori == 1)
      QVERIFY2(pdf.Width > pdf.Height, qPrintable(QStringLiteral("%1 x %2").arg(pdf.Width).arg(pdf.Height)));
    else
      QVERIFY(pdf.Height > pdf.Width);
    const QString date = QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
    for (int p = 0; p < 2; ++p) {
      const QString pageNo = QStringLiteral("%1/5").arg(p + 2);
      const QString text = pdf.PageText(p);
      QVERIFY2(text.contains(pageNo), qPrintable(text.left(200)));
      QVERIFY2(text.contains(QStringLiteral("report.html")), qPrintable(text.left(200)));
      QVERIFY2(text.contains(date), qPrintable(text.right(100)));
      const TPdfWord *title = nullptr;
      for (const TPdfWord &w : pdf.Pages[p])
        if (w.Text.endsWith(QStringLiteral("report.html")))
          title = &w;
      QVERIFY(title);
      QVERIFY2(std::abs(title->Y - headerTopMm * PtPerMm) < 3.0, qPrintable(QString::number(title->Y / PtPerMm)));
      // The text starts at the left margin, below the header.
      const TPdfWord *line = FindWord(pdf, p, QStringLiteral("Line"));
      QVERIFY(line);
      QVERIFY2(std::abs(line->X - left * PtPerMm) < 2.0, qPrintable(QString::number(line->X / PtPerMm)));
      QVERIFY(line->Y > title->Y);
      QVERIFY(line->Y >= top * PtPerMm - 2.0);
    }
    // Page 2 continues where page 1 ended: its first line is not "Line 1".
    QVERIFY(!pdf.PageText(0).contains(QStringLiteral("Line 1 ")));
  }

  // Line numbers, duplex mirroring and the header switched off.
  void printOptions() {
    auto m = NewMain();
    TPrintSettings &s = m->Settings.PrText;
    s.Ori = 0;
    s.LineNumbers = true;
    s.Mirror = true;
    s.LeftMargin = 30;
    s.RightMargin = 10;
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->setText(TextOfPages(2, s, doc->TextBuffer->font()));
    TPdf pdf = ReadPdf(PrintToPdf(*m, "options.pdf", 0, 0));
    QCOMPARE(pdf.Pages.size(), 2);
    // Page 1 has the wide margin on the left, page 2 (mirrored) on the right; numbers lead.
    const TPdfWord *n1 = FindWord(pdf, 0, QStringLiteral("1"));
    QVERIFY(n1);
    // Numbers stand right-aligned in their margin, which starts at the left margin.
    QVERIFY2(n1->X > 30 * PtPerMm - 1 && n1->X < 45 * PtPerMm, qPrintable(QString::number(n1->X / PtPerMm)));
    const TPdfWord *l2 = FindWord(pdf, 1, QStringLiteral("Line"));
    QVERIFY(l2);
    QVERIFY2(l2->X < 30 * PtPerMm, qPrintable(QString::number(l2->X / PtPerMm)));
    QVERIFY(pdf.PageText(0).contains(QStringLiteral("1/2")));

    s.HtHeader = 0;
    s.LineNumbers = false;
    pdf = ReadPdf(PrintToPdf(*m, "noheader.pdf", 1, 1));
    QCOMPARE(pdf.Pages.size(), 1);
    QVERIFY(!pdf.PageText(0).contains(QStringLiteral("1/2")));
  }

  // A range past the end prints nothing; an empty document is not printed.
  void printNothing() {
    auto m = NewMain();
    TMDIForm *doc = m->ActiveDocument();
    doc->TextBuffer->setText(QString());
    QVERIFY(!QFileInfo::exists(PrintToPdf(*m, "empty.pdf", 0, 0)));
    doc->TextBuffer->setText(QStringLiteral("one line\n"));
    QVERIFY(!QFileInfo::exists(PrintToPdf(*m, "beyond.pdf", 4, 5)));
  }

  // The page format dialog: the header box and its panel, orientation, margins.
  void pageFormatDialog() {
    TPageFormatDialog dlg;
    TPrintSettings s;
    s.Ori = 0;
    s.HtHeader = 0;
    s.TopMargin = 33;
    dlg.Fill(s);
    QVERIFY(!dlg.cbxHeader->isChecked());
    QVERIFY(dlg.pnlHeader->isHidden());
    QVERIFY(dlg.rbPortrait->isChecked());
    QCOMPARE(dlg.edtTop->value(), 33);
    dlg.cbxHeader->setChecked(true);
    QVERIFY(!dlg.pnlHeader->isHidden());
    dlg.edtHeader->setValue(7);
    dlg.rbLandscape->setChecked(true);
    dlg.cbxDuplex->setChecked(true);
    TPrintSettings out;
    dlg.Store(out);
    QCOMPARE(out.HtHeader, 7);
    QCOMPARE(out.Ori, 1);
    QVERIFY(out.Mirror);
    QCOMPARE(out.TopMargin, 33);
    dlg.cbxHeader->setChecked(false);
    dlg.Store(out);
    QCOMPARE(out.HtHeader, 0);
    dlg.Fill(out);
    QVERIFY(dlg.pnlHeader->isHidden());
  }

  // The log viewer prints through the same path: its button is on, a selection asks first.
  void viewerPrints() {
    const QString log = FDir.filePath("viewer.log");
    QVERIFY(WriteAll(log, "first line\nsecond line\nthird line\n"));
    TTextViewer v;
    QVERIFY(v.LoadFile(log));
    QVERIFY(v.PrintButton->isEnabled());
    const QString pdf = FDir.filePath("viewer.pdf");
    SetPrintDialogResponder([&](QPrinter &printer, int) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(pdf);
      return true;
    });
    QTextCursor c = v.View->textCursor();
    c.setPosition(14); // inside "second line"
    c.setPosition(16, QTextCursor::KeepAnchor);
    v.View->setTextCursor(c);
    FAnswers << mrYes;
    QVERIFY(v.PrintExecute());
    SetPrintDialogResponder({});
    QVERIFY(FAsked.contains(QStringLiteral("Print selected lines?")));
    const QString text = ReadPdf(pdf).PageText(0);
    QVERIFY2(text.contains(QStringLiteral("second line")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("first")));
  }

  // Removing tags: the result is a text document after the source, named like it with "txt",
  // saved there directly; a second run changes nothing; an existing name is never replaced
  // without asking.
  void removeTags() {
    QVERIFY(WriteAll(Web("page.html"), "<html><body><h1>Title &amp; more</h1>\r\n<p>One</p><p>Two</p></body></html>"));
    auto m = NewMain();
    HtmlEntities().LoadCharList(QStringLiteral(TEST_SOURCE_DIR "/data"), QStringLiteral("html-codes.txt"), QString());
    QVERIFY(m->OpenTextFile(Web("page.html")));
    TMDIForm *src = m->ActiveDocument();
    int dialogs = 0;
    QList<int> offered;
    m->Shell()->RemoveTagsResponder = [&](TRemoveTagsOptions &o) {
      ++dialogs;
      offered << o.LineLength;
      o.LineLength = 60;
      return true;
    };
    src->Action("ActionRemoveTags")->trigger();
    TMDIForm *res = m->ActiveDocument();
    QVERIFY(res != src);
    QCOMPARE(res->FileType, ftText);
    QCOMPARE(res->WinIndex, src->WinIndex + 1);
    QCOMPARE(res->TextName, Web("page.txt"));
    QCOMPARE(res->Status, tsOld);
    QVERIFY(res->IsModified());
    QCOMPARE(res->TextBuffer->Text(), QString("Title & more\nOne\n\nTwo\n"));
    QCOMPARE(src->TextBuffer->Text().left(6), QString("<html>")); // the source stays

    QVERIFY(m->SaveTextFromMDI(res, true));
    QVERIFY(FSaveTitles.isEmpty());
    QCOMPARE(ReadAll(Web("page.txt")), QByteArray("Title & more\nOne\n\nTwo\n"));

    // A second run over the result gives the same text.
    res->Action("ActionRemoveTags")->trigger();
    TMDIForm *again = m->ActiveDocument();
    QCOMPARE(again->TextBuffer->Text(), res->TextBuffer->Text());
    QCOMPARE(offered, (QList<int>{80, 60})); // the last choice is offered again
    // Its name is its source's own: saving asks for a name, and Cancel writes nothing.
    QCOMPARE(again->TextName, Web("page.txt"));
    QVERIFY(!m->SaveTextFromMDI(again, true));
    QCOMPARE(FSaveTitles.size(), 1);
    QCOMPARE(ReadAll(Web("page.txt")), QByteArray("Title & more\nOne\n\nTwo\n"));

    // Cancel in the options dialog: nothing happens.
    const int docs = m->Documents().size();
    m->Shell()->RemoveTagsResponder = [](TRemoveTagsOptions &) { return false; };
    src->Action("ActionRemoveTags")->trigger();
    QCOMPARE(m->Documents().size(), docs);

    // Nothing outside the tags: a message, no document. An unnamed source gives an unnamed result.
    m->Shell()->RemoveTagsResponder = [](TRemoveTagsOptions &) { return true; };
    TMDIForm *empty = m->CreateNewText(ftHtml);
    empty->TextBuffer->setText(QStringLiteral("<p> </p>"));
    QVERIFY(!m->Shell()->RemoveTags(empty));
    QCOMPARE(FAsked.last(), QString("No untagged text found!"));
    empty->TextBuffer->setText(QStringLiteral("<b>x</b>"));
    TMDIForm *unnamed = m->Shell()->RemoveTags(empty);
    QVERIFY(unnamed);
    QCOMPARE(unnamed->Status, tsNew);
    QVERIFY(unnamed->TextName.startsWith(u'*'));
    for (TMDIForm *d : m->Documents())
      d->TextBuffer->SetModified(false);
  }

  // Dragging a tab reorders the documents; F7/F8 still follow the order of use.
  void dragTabs() {
    auto m = NewMain();
    m->show();
    QVERIFY(QTest::qWaitForWindowExposed(m.get()));
    TMDIForm *a = m->ActiveDocument();
    TMDIForm *b = m->CreateNewText(ftCss);
    TMDIForm *c = m->CreateNewText(ftJs);
    QCOMPARE(m->Documents(), (QList<TMDIForm *>{a, b, c}));
    m->ActivateText(a); // order of use: a, c, b
    auto *bar = m->findChild<TFilesTabBar *>("tcFiles");
    QVERIFY(bar);
    const auto send = [bar](QEvent::Type type, QPoint pos, Qt::MouseButtons buttons) {
      QMouseEvent e(type, pos, bar->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    buttons, Qt::NoModifier);
      QApplication::sendEvent(bar, &e);
    };
    send(QEvent::MouseButtonPress, bar->tabRect(0).center(), Qt::LeftButton);
    send(QEvent::MouseMove, bar->tabRect(2).center(), Qt::LeftButton);
    QCOMPARE(bar->LastTabIndex, 2);
    send(QEvent::MouseButtonRelease, bar->tabRect(2).center(), Qt::NoButton);
    QCOMPARE(m->Documents(), (QList<TMDIForm *>{b, c, a}));
    QCOMPARE(a->WinIndex, 2);
    QCOMPARE(b->WinIndex, 0);
    QCOMPARE(m->ActiveDocument(), a);
    QCOMPARE(bar->currentIndex(), 2);
    // F7 goes to the document used before (c), not to the tab beside it.
    a->ActionPreviousWin->trigger();
    QCOMPARE(m->ActiveDocument(), c);
    // Released beside the tabs: the order stays.
    send(QEvent::MouseButtonPress, bar->tabRect(0).center(), Qt::LeftButton);
    const QPoint outside(bar->tabRect(2).right() + 40, bar->tabRect(2).center().y());
    send(QEvent::MouseMove, outside, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, outside, Qt::NoButton);
    QCOMPARE(m->Documents(), (QList<TMDIForm *>{b, c, a}));
    QCOMPARE(bar->OrgTabIndex, -1);
  }

  // Ctrl+click closes a tab's document, asking about its changes; the last one makes way for an
  // empty HTML page. The wheel steps through the tabs; hovering shows the name in the status bar.
  void tabClicksWheelAndHints() {
    QVERIFY(WriteAll(Web("hint.css"), "p {}\n"));
    auto m = NewMain();
    m->show();
    QVERIFY(QTest::qWaitForWindowExposed(m.get()));
    TMDIForm *first = m->ActiveDocument();
    QVERIFY(m->OpenTextFile(Web("hint.css")));
    TMDIForm *css = m->ActiveDocument();
    auto *bar = m->findChild<TFilesTabBar *>("tcFiles");
    QLabel *last = m->Shell()->Panel(5);
    QCOMPARE(last->text(), QString("Central style sheet: hint.css"));

    // Hover over the first tab, then leave the bar.
    QMouseEvent move(QEvent::MouseMove, bar->tabRect(0).center(), bar->mapToGlobal(bar->tabRect(0).center()),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    QCOMPARE(last->text(), QString("HTML document: ") + first->GetTextName());
    QCOMPARE(last->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(bar, &leave);
    QCOMPARE(last->text(), QString("Central style sheet: hint.css"));
    QVERIFY(last->palette().color(QPalette::WindowText) != QColor(Qt::blue));

    // The wheel: down goes left, up goes right.
    const auto wheel = [bar](int dy) {
      QWheelEvent w(QPointF(5, 5), bar->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, dy), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(bar, &w);
    };
    wheel(-120);
    QCOMPARE(m->ActiveDocument(), first);
    wheel(120);
    QCOMPARE(m->ActiveDocument(), css);

    // Ctrl+click on the modified style sheet asks; No closes it without saving.
    css->TextBuffer->setText(QStringLiteral("changed"));
    FAnswers << mrNo;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::ControlModifier, bar->tabRect(1).center());
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().startsWith(QStringLiteral("Save ")));
    QCOMPARE(m->Documents(), QList<TMDIForm *>{first});
    QCOMPARE(ReadAll(Web("hint.css")), QByteArray("p {}\n"));
    // The last document: an empty HTML page takes its place.
    QTest::mouseClick(bar, Qt::LeftButton, Qt::ControlModifier, bar->tabRect(0).center());
    QTRY_COMPARE(m->Documents().size(), 1);
    QVERIFY(m->Documents().first() != first);
    QCOMPARE(m->Documents().first()->FileType, ftHtml);
  }

  // Without documents the panels are empty and the file commands off.
  void statusWithoutDocuments() {
    auto m = NewMain();
    QVERIFY(!m->Shell()->Panel(1)->text().isEmpty());
    QCOMPARE(m->Shell()->Panel(2)->text(), QString("Insert"));
    QCOMPARE(m->Shell()->Panel(4)->text(), QString("[ANSI Latin 1]"));
    // The panel shortens the path to its width; its hint has it whole.
    QVERIFY(m->Shell()->Panel(0)->toolTip().startsWith(QStringLiteral("Root-Path: ")));
    QVERIFY(!m->Shell()->Panel(0)->text().isEmpty());
    QVERIFY(m->CloseProjectTexts(false));
    QVERIFY(m->Documents().isEmpty());
    for (int i : {1, 3, 4, 5})
      QVERIFY2(m->Shell()->Panel(i)->text().isEmpty(), qPrintable(QString::number(i)));
    for (const char *name : {"ActionSave", "ActionSaveAs", "ActionSaveAll", "ActionClose", "ActionPrint"})
      QVERIFY2(!m->Action(QString::fromLatin1(name))->isEnabled(), name);
  }

  void selectDocument() {
    auto m = NewMain();
    TMDIForm *a = m->ActiveDocument();
    m->CreateNewText(ftCss);
    QStringList offered;
    m->Shell()->SelectDocumentResponder = [&](const QStringList &names, int current) {
      offered = names;
      [&] { QCOMPARE(current, 1); }();
      return 0;
    };
    m->Action("ActionSelectDoc")->trigger();
    QCOMPARE(offered, (QStringList{a->GetTextName(), m->Documents()[1]->GetTextName()}));
    QCOMPARE(m->ActiveDocument(), a);
  }

  // The project page lists folders and web files (no "~" files), opens a file on a double click,
  // warns before deleting an open file, makes folders only below its own, and follows the
  // active document.
  void projectPage() {
    QDir().mkpath(Web("site/sub"));
    QVERIFY(WriteAll(Web("site/a.html"), "<p>a</p>"));
    QVERIFY(WriteAll(Web("site/~a.html"), "scratch"));
    QVERIFY(WriteAll(Web("site/notes.xyz"), "other"));
    QVERIFY(WriteAll(Web("site/sub/deep.css"), "p {}"));
    auto m = NewMain();
    TProjectPage *page = m->Shell()->ProjectPage();
    QVERIFY(page);
    page->GotoProjectFolder();
    QCOMPARE(page->CurrentFolder() + u'/', FWeb);
    QVERIFY(page->ShowFolder(Web("site")));
    const auto listed = [page] {
      QStringList names;
      const QModelIndex root = page->lvFiles->rootIndex();
      for (int r = 0; r < page->lvFiles->model()->rowCount(root); ++r)
        names << page->lvFiles->model()->index(r, 0, root).data().toString();
      names.sort();
      return names;
    };
    QTRY_COMPARE(listed(), (QStringList{"a.html", "sub"}));

    // Double click on a file opens it; on a folder shows it.
    QVERIFY(page->SelectPath(Web("site/a.html")));
    emit page->lvFiles->activated(page->lvFiles->currentIndex());
    QCOMPARE(m->ActiveDocument()->TextName, Web("site/a.html"));

    // Deleting the open file: a warning first; No keeps it.
    QVERIFY(page->SelectPath(Web("site/a.html")));
    FAnswers << mrNo;
    QVERIFY(!page->DeleteSelectedFile());
    QVERIFY(FAsked.last().contains(QStringLiteral("open in a document")));
    QVERIFY(QFileInfo::exists(Web("site/a.html")));

    // New folders go below the shown one only.
    page->NameResponder = [](const QString &) { return QStringLiteral("made"); };
    QVERIFY(page->NewSubdirectory());
    QVERIFY(QFileInfo(Web("site/made")).isDir());
    page->NameResponder = [](const QString &) { return QStringLiteral("../escaped"); };
    QVERIFY(!page->NewSubdirectory());
    QVERIFY(FAsked.last().startsWith(QStringLiteral("Cannot create directory: ")));
    QVERIFY(!QFileInfo::exists(Web("escaped")));

    // Opening a file elsewhere shows its folder and selects it; "Go one folder up" goes back.
    QVERIFY(m->OpenTextFile(Web("site/sub/deep.css")));
    QCOMPARE(page->CurrentFolder(), Web("site/sub"));
    QTRY_COMPARE(page->SelectedPath(), Web("site/sub/deep.css"));
    page->GoUp();
    QCOMPARE(page->CurrentFolder(), Web("site"));
    // A file that is not open goes without a warning.
    QVERIFY(WriteAll(Web("site/old.html"), "x"));
    QTRY_VERIFY(page->SelectPath(Web("site/old.html")));
    FAsked.clear();
    QVERIFY(page->DeleteSelectedFile());
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(!FAsked.first().contains(QStringLiteral("open in a document")));
    QVERIFY(!QFileInfo::exists(Web("site/old.html")));
  }
};

QTEST_MAIN(TstShell)
#include "tst_shell.moc"
