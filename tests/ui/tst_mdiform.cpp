// The document window on the real editor control: loading and saving with encodings, new
// documents, templates, autosave copies, closing and changes made by other programs.
#include "core/common/Encodings.h"
#include "core/common/FileNames.h"
#include "ui/common/MessageBox.h"
#include "ui/editor/DocumentHost.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "core/common/IniFileUtils.h"

#include "TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>


class TstMdiForm : public QObject {
  Q_OBJECT
  QTemporaryDir FDir;
  TTestHost FHost;
  QList<QString> FAsked;
  TMsgResult FAnswer = mrYes;

  std::unique_ptr<TMDIForm> NewDoc(TFileTypes ft, TSynEncoding preset = seAnsi) {
    auto d = std::make_unique<TMDIForm>(&FHost, nullptr, ft);
    d->Encoding = preset;
    d->WinIndex = 0;
    return d;
  }

  // Find and replace through the dialog, as a user drives it.
  struct TFindCase {
    TFindReplDialog *Dlg;
    std::unique_ptr<TMDIForm> Doc;
  };
  TFindCase FindSetup(const QString &text, const QString &find, const QString &repl, TSynSearchOptions opts,
                      bool replace) {
    TFindCase c{FHost.FindDialog(), NewDoc(ftText)};
    c.Doc->TextBuffer->LoadContent(text, "\n");
    c.Doc->TextBuffer->SetCaretXY({1, 1});
    c.Dlg->SetOptions(opts);
    c.Doc->ClaimFindDialog(true);
    c.Dlg->Execute(replace);
    c.Dlg->SetFindText(find);
    c.Dlg->SetReplaceText(repl);
    c.Dlg->cbAutoclose->setChecked(true);
    return c;
  }

private slots:
  void initTestCase() {
    FHost.Root = WithTrailingSlash(FDir.path());
    FHost.Program = FDir.filePath("prog/");
    QDir().mkpath(FHost.Program);
    SetMessageResponder([this](TMsgKind, const QString &text) {
      FAsked << text;
      return FAnswer;
    });
  }
  void init() {
    FAsked.clear();
    FAnswer = mrYes;
    FHost.SaveFails = false;
  }

  void roundTrip_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("enc");
    QTest::newRow("utf8 bom, LF") << QByteArray("\xEF\xBB\xBFK\xC3\xA4se\nzwei\n") << int(seUTF8);
    QTest::newRow("utf8, CRLF, no final break") << QByteArray("K\xC3\xA4se\r\nzwei") << int(seUTF8);
    QTest::newRow("utf8 outside the BMP") << QByteArray("a\xF0\x9F\x98\x80z\r\n") << int(seUTF8);
    QTest::newRow("utf16le, CRLF") << QByteArray("\xFF\xFE" "a\0\r\0\n\0\xE4\0", 10) << int(seUTF16LE);
    QTest::newRow("utf16be, LF") << QByteArray("\xFE\xFF\0a\0\n\0\xE4", 8) << int(seUTF16BE);
    QTest::newRow("ansi, CRLF") << QByteArray("K\xE4se \x80\r\nx\x81y\r\n") << int(seAnsi);
    QTest::newRow("utf8 start, bad byte later") << (QByteArray("\xC3\xA4\n") + QByteArray(20000, 'a') + "\xE4\n")
                                                << int(seAnsi);
    QTest::newRow("mixed breaks kept") << QByteArray("a\r\nb\nc\rd") << int(seAnsi);
  }
  void roundTrip() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, enc);
    const QString f = FDir.filePath("round.txt");
    QVERIFY(WriteAll(f, bytes));
    auto d = NewDoc(ftText);
    QVERIFY(d->LoadText(f));
    QCOMPARE(int(d->Encoding), enc);
    QVERIFY(!d->IsModified());
    QVERIFY(d->SaveText());
    QCOMPARE(ReadAll(f), bytes);
    // An edit is written in the same encoding.
    d->TextBuffer->SetCaretXY({1, 1});
    d->TextBuffer->SetSelText(QStringLiteral("\u00FC"));
    QVERIFY(d->SaveText());
    QString text, err;
    const QByteArray saved = ReadAll(f);
    const TDetectedEncoding det = DetectEncoding(saved);
    QVERIFY(DecodeText(saved, TSynEncoding(enc), det.Bom, text, err));
    QVERIFY(text.startsWith(QStringLiteral("\u00FC")));
  }

  // An HTML page is saved in the project's encoding and its declaration says so, also when the
  // detection agrees with the project (an ASCII page is detected as ANSI): otherwise the first
  // typed "ä" would be written in another encoding than the page declares.
  void htmlTakesThePresetEncoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("preset");
    QTest::addColumn<bool>("modifiedAfterLoad");
    QTest::addColumn<QByteArray>("saved"); // after typing "ä" at the start of line 2
    QTest::newRow("utf-8 page, ansi project")
        << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n<p>K\xC3\xA4se</p>\n")
        << int(seAnsi) << true
        << QByteArray("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=ISO-8859-1\">\n\xE4<p>K\xE4se</p>\n");
    QTest::newRow("ascii page declaring utf-8, ansi project")
        << QByteArray("<meta charset=\"utf-8\">\n<p>Kase</p>\n") << int(seAnsi) << true
        << QByteArray("<meta charset=\"ISO-8859-1\">\n\xE4<p>Kase</p>\n");
    QTest::newRow("utf-8 page declaring latin-1, utf-8 project")
        << QByteArray("<meta charset=iso-8859-1>\n<p>K\xC3\xA4se</p>\n") << int(seUTF8) << true
        << QByteArray("<meta charset=UTF-8>\n\xC3\xA4<p>K\xC3\xA4se</p>\n");
    QTest::newRow("ascii page without declaration, ansi project")
        << QByteArray("<html>\n<p>Kase</p>\n") << int(seAnsi) << false
        << QByteArray("<html>\n\xE4<p>Kase</p>\n");
    QTest::newRow("ascii page declaring latin-1, ansi project")
        << QByteArray("<meta charset=\"iso-8859-1\">\n<p>Kase</p>\n") << int(seAnsi) << false
        << QByteArray("<meta charset=\"iso-8859-1\">\n\xE4<p>Kase</p>\n");
  }
  void htmlTakesThePresetEncoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, preset);
    QFETCH(bool, modifiedAfterLoad);
    QFETCH(QByteArray, saved);
    const QString f = FDir.filePath("page.html");
    QVERIFY(WriteAll(f, bytes));
    auto d = NewDoc(ftHtml, TSynEncoding(preset));
    QVERIFY(d->LoadText(f));
    QCOMPARE(int(d->Encoding), preset);
    QCOMPARE(d->IsModified(), modifiedAfterLoad);
    d->TextBuffer->SetCaretXY({1, 2});
    d->TextBuffer->SetSelText(QStringLiteral("\u00E4"));
    QVERIFY(d->SaveText());
    QCOMPARE(ReadAll(f), saved);
  }

  // A loaded file keeps its byte-order mark (or its lack of one), also when an HTML page takes
  // the project's encoding instead of the one it was read in.
  void loadedFileKeepsItsMark_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("preset");
    QTest::addColumn<bool>("presetBom");
    QTest::addColumn<QByteArray>("saved");
    QTest::newRow("ascii page, utf-8 project with mark")
        << int(ftHtml) << QByteArray("<p>a</p>\n") << int(seUTF8) << true << QByteArray("<p>a</p>\n");
    QTest::newRow("utf-8 page with mark, ansi project")
        << int(ftHtml) << QByteArray("\xEF\xBB\xBF<p>\xC3\xA4</p>\n") << int(seAnsi) << false
        << QByteArray("<p>\xE4</p>\n");
    QTest::newRow("utf-8 page with mark, same project encoding without")
        << int(ftHtml) << QByteArray("\xEF\xBB\xBF<p>a</p>\n") << int(seUTF8) << false
        << QByteArray("\xEF\xBB\xBF<p>a</p>\n");
    QTest::newRow("ascii text, project with mark")
        << int(ftText) << QByteArray("a\n") << int(seUTF8) << true << QByteArray("a\n");
  }
  void loadedFileKeepsItsMark() {
    QFETCH(int, type);
    QFETCH(QByteArray, bytes);
    QFETCH(int, preset);
    QFETCH(bool, presetBom);
    QFETCH(QByteArray, saved);
    const QString f = FDir.filePath(type == ftHtml ? "mark.html" : "mark.txt");
    QVERIFY(WriteAll(f, bytes));
    auto d = NewDoc(TFileTypes(type), TSynEncoding(preset));
    d->UseBom = presetBom;
    QVERIFY(d->LoadText(f));
    QVERIFY(d->SaveText());
    QCOMPARE(ReadAll(f), saved);
  }

  // UTF-16 code units that are no characters cannot survive the editor: the user hears of them
  // when the file is loaded and is asked before a save replaces them.
  void unpairedSurrogates_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("lone");
    QTest::newRow("pair is fine") << QByteArray("\xFF\xFE" "a\0\x3D\xD8\x00\xDE", 8) << 0;
    QTest::newRow("high at the end") << QByteArray("\xFF\xFE" "a\0\x3D\xD8", 6) << 1;
    QTest::newRow("low alone, big endian") << QByteArray("\xFE\xFF\xDC\x00\0a", 6) << 1;
    QTest::newRow("pair reversed") << QByteArray("\xFF\xFE\x00\xDE\x3D\xD8" "b\0", 8) << 2;
    QTest::newRow("two highs then a low") << QByteArray("\xFF\xFE\x3D\xD8\x3D\xD8\x00\xDE", 8) << 1;
  }
  void unpairedSurrogates() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, lone);
    const QString f = FDir.filePath("surrogates.txt");
    QVERIFY(WriteAll(f, bytes));
    auto d = NewDoc(ftText);
    QVERIFY(d->LoadText(f));
    if (lone == 0) {
      QVERIFY(FAsked.isEmpty());
      QVERIFY(d->SaveText());
      QCOMPARE(ReadAll(f), bytes);
      return;
    }
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().contains(QString("holds %1 UTF-16 code units that are no characters").arg(lone)));
    FAnswer = mrNo;
    QVERIFY(!d->SaveText());
    QCOMPARE(FAsked.size(), 2);
    QCOMPARE(ReadAll(f), bytes);
    FAnswer = mrYes;
    QVERIFY(d->SaveText());
    QVERIFY(ReadAll(f) != bytes);
    QVERIFY(d->SaveText()); // the file holds what the editor shows now: no more questions
    QCOMPARE(FAsked.size(), 3);
  }

  void charsetDeclaration_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("enc");
    QTest::addColumn<QString>("after"); // text after ChangeEncoding(seUTF8)
    QTest::newRow("utf-16 lower case")
        << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-16\">" << int(seUTF16LE)
        << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">";
    QTest::newRow("unknown name") << "<meta http-equiv=\"content-type\" content=\"text/html; charset=koi8-r\">"
                                  << int(seAnsi)
                                  << "<meta http-equiv=\"content-type\" content=\"text/html; charset=UTF-8\">";
    // The short form is a declaration as well: left as it stood, an ANSI save would contradict it.
    QTest::newRow("charset attribute") << "<meta charset=\"utf-16\">" << int(seUTF16LE) << "<meta charset=\"UTF-8\">";
    QTest::newRow("charset attribute unquoted")
        << "<META Charset=iso-8859-1 name=x>" << int(seAnsi) << "<META Charset=UTF-8 name=x>";
    QTest::newRow("charset in another tag")
        << "<meta http-equiv=\"Content-Type\" content=\"text/html\"><p>charset=\"x\"</p>" << int(seAnsi)
        << "<meta http-equiv=\"Content-Type\" content=\"text/html\"><p>charset=\"x\"</p>";
    QTest::newRow("content before http-equiv")
        << "<meta content=\"text/html; charset=UTF-8\" http-equiv=\"Content-Type\">" << int(seUTF8)
        << "<meta content=\"text/html; charset=UTF-8\" http-equiv=\"Content-Type\">";
  }
  void charsetDeclaration() {
    QFETCH(QString, text);
    QFETCH(int, enc);
    QFETCH(QString, after);
    auto d = NewDoc(ftHtml);
    d->TextBuffer->LoadContent(text, "\n");
    d->TextBuffer->SetCaretXY({3, 1});
    QCOMPARE(int(d->GetEncodingFromHeader()), enc);
    d->ChangeEncoding(seUTF8);
    QCOMPARE(d->TextBuffer->Text(), after);
    QCOMPARE(int(d->Encoding), int(seUTF8));
    QVERIFY(d->IsModified()); // with or without a declaration: Save has something to write
    QCOMPARE(d->CaretXY(), (TBufferCoord{3, 1}));
  }

  void ansiSaveAsksBeforeLosingCharacters() {
    const QString f = FDir.filePath("ansi.txt");
    QVERIFY(WriteAll(f, "old\n"));
    auto d = NewDoc(ftText);
    QVERIFY(d->LoadText(f));
    d->TextBuffer->SetSelText(QStringLiteral("\u0151 "));
    FAnswer = mrNo;
    QVERIFY(!d->SaveText());
    QCOMPARE(ReadAll(f), QByteArray("old\n"));
    QVERIFY(d->IsModified());
    FAnswer = mrYes;
    QVERIFY(d->SaveText());
    QCOMPARE(int(d->Encoding), int(seUTF8));
    QCOMPARE(ReadAll(f), QByteArray("\xC5\x91 old\n"));
  }

  void failedSaveKeepsDocumentAndFile() {
    const QString sub = FDir.filePath("vanishing");
    QVERIFY(QDir().mkpath(sub));
    const QString f = sub + "/a.txt";
    QVERIFY(WriteAll(f, "keep\n"));
    auto d = NewDoc(ftText);
    QVERIFY(d->LoadText(f));
    d->TextBuffer->SetSelText("x");
    QVERIFY(QDir(sub).removeRecursively());
    QVERIFY(!d->SaveText());
    QVERIFY(!FAsked.isEmpty() && FAsked.last().contains(f));
    QVERIFY(d->IsModified());
    // A read-only file is not replaced either (the folder decides for a rename, so test the
    // plain case of a target that is a folder).
    QVERIFY(QDir().mkpath(sub + "/b.txt"));
    d->TextName = sub + "/b.txt";
    QVERIFY(!d->SaveText());
  }

  void loadErrors_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("folder");
    QTest::newRow("folder") << QByteArray() << true;
    QTest::newRow("NUL bytes in 8-bit text") << QByteArray("ab\0cd", 5) << false;
    QTest::newRow("odd UTF-16") << QByteArray("\xFF\xFE" "a\0b", 5) << false;
  }
  void loadErrors() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, folder);
    const QString f = FDir.filePath(folder ? "adir" : "bad.txt");
    if (folder)
      QVERIFY(QDir().mkpath(f));
    else
      QVERIFY(WriteAll(f, bytes));
    auto d = NewDoc(ftText);
    QVERIFY(!d->LoadText(f));
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().contains("Loading of " + f + " canceled!"));
  }

  void newDocumentSkeletons_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("enc");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::newRow("css") << int(ftCss) << int(seUTF8) << "@charset \"UTF-8\";\n\n" << 2;
    QTest::newRow("php") << int(ftPhp) << int(seAnsi) << "<?php\n\n?>" << 2;
    QTest::newRow("vbs") << int(ftVbs) << int(seAnsi) << "' Visual Basic Script\n\n" << 2;
    QTest::newRow("perl") << int(ftPerl) << int(seAnsi) << "#!/bin/perl\nrequire \"cgi-lib.pl\";\n\n" << 2;
    QTest::newRow("js") << int(ftJs) << int(seAnsi) << "" << 1;
    QTest::newRow("text") << int(ftText) << int(seAnsi) << "" << 1;
  }
  void newDocumentSkeletons() {
    QFETCH(int, type);
    QFETCH(int, enc);
    QFETCH(QString, text);
    QFETCH(int, line);
    auto d = NewDoc(TFileTypes(type));
    d->InitNewText("*New1", QString(), TSynEncoding(enc));
    QCOMPARE(d->TextBuffer->Text(), text);
    QCOMPARE(d->CaretXY(), (TBufferCoord{1, line}));
    QVERIFY(!d->IsModified());
    QCOMPARE(int(d->Status), int(tsNew));
    QCOMPARE(d->TextName, QString("*New1"));
    QCOMPARE(d->TextPath, FHost.Root);
  }

  void htmlTemplates() {
    // Program default: the charset placeholder and the caret marker.
    QVERIFY(WriteAll(FHost.Program + "default.html", "<meta charset=%S>\n<body>\n$2,7\n</body>\n"));
    auto d = NewDoc(ftHtml);
    d->InitNewText("*New2", QString(), seUTF8);
    QCOMPARE(d->TextBuffer->Text(), QString("<meta charset=UTF-8>\n<body>\n</body>\n"));
    QCOMPARE(d->CaretXY(), (TBufferCoord{7, 2}));
    QVERIFY(!d->IsModified());

    // The project's own template wins; only a "$line,col" line is a marker.
    QString lines;
    for (int i = 1; i <= 13; ++i)
      lines += QString("line %1\r\n").arg(i);
    lines.insert(0, "$price\r\n");
    lines += "$12,5\r\n";
    QVERIFY(WriteAll(FHost.Root + "~template.html", lines.toLatin1()));
    auto t = NewDoc(ftHtml);
    t->InitNewText("*New3", QString(), seAnsi);
    QVERIFY(t->TextBuffer->Text().startsWith("$price\r\nline 1\r\n"));
    QVERIFY(!t->TextBuffer->Text().contains("$12,5"));
    QCOMPARE(t->CaretXY(), (TBufferCoord{5, 12}));
    QCOMPARE(int(t->Status), int(tsNew));
    QVERIFY(!t->TimeStamp.IsValid());

    // SaveTemplate writes the caret marker and leaves the document's state alone.
    t->TextBuffer->SetCaretXY({3, 2});
    QVERIFY(t->IsModified());
    QVERIFY(t->SaveTemplate(FDir.filePath("out.html")));
    QVERIFY(ReadAll(FDir.filePath("out.html")).endsWith("line 13\r\n$2,3\r\n"));
    QVERIFY(t->IsModified());
    QFile::remove(FHost.Root + "~template.html");
  }

  void autosaveCopy() {
    auto d = NewDoc(ftText);
    d->InitNewText("*New3", QString(), seAnsi);
    d->SaveTextToTemp();
    QVERIFY(d->TsvName.isEmpty()); // unmodified: nothing written
    d->TextBuffer->SetSelText("draft");
    d->SaveTextToTemp();
    QCOMPARE(d->TsvName, FHost.Root + "New3.tsv");
    QCOMPARE(ReadAll(d->TsvName), QByteArray("draft"));
    QVERIFY(d->IsModified());
    d->TextName = FDir.filePath("named.txt");
    d->Status = tsOld;
    QVERIFY(d->SaveText());
    QVERIFY(!QFile::exists(FHost.Root + "New3.tsv"));
  }

  void askForSave() {
    auto d = NewDoc(ftText);
    d->InitNewText("*New4", QString(), seAnsi);
    QVERIFY(d->AskForSave()); // unmodified: no question
    QVERIFY(FAsked.isEmpty());
    d->TextBuffer->SetSelText("x");
    FAnswer = mrCancel;
    QVERIFY(!d->AskForSave());
    QVERIFY(FAsked.last().contains("Save *New4?"));
    FAnswer = mrYes;
    FHost.SaveFails = true; // e.g. the save dialog was cancelled
    QVERIFY(!d->AskForSave());
    QVERIFY(d->IsModified());
    FAnswer = mrNo;
    QVERIFY(d->AskForSave());
  }

  void changesByOtherPrograms() {
    const QString f = FDir.filePath("ext.txt");
    QVERIFY(WriteAll(f, "one\n"));
    auto d = NewDoc(ftText);
    QVERIFY(d->LoadText(f));
    d->UpdateText();
    QVERIFY(FAsked.isEmpty());
    QVERIFY(WriteAll(f, "two\n")); // same size, maybe the same second
    {
      QFile touch(f);
      QVERIFY(touch.open(QIODevice::ReadWrite));
      QVERIFY(touch.setFileTime(QDateTime::currentDateTime().addMSecs(1500), QFileDevice::FileModificationTime));
    }
    FAnswer = mrYes;
    d->UpdateText();
    QCOMPARE(FAsked.size(), 1);
    QVERIFY(FAsked.first().contains("was changed by another application!"));
    QCOMPARE(d->TextBuffer->Text(), QString("two\n"));
    d->UpdateText();
    QCOMPARE(FAsked.size(), 1); // asked once per change
  }

  void textNameAndLanguage() {
    auto d = NewDoc(ftCss);
    d->TextName = FHost.Root + "sub/a.html";
    QCOMPARE(d->GetTextName(), QString("sub/a.html"));
    d->TextName = "/elsewhere/a.html";
    QCOMPARE(d->GetTextName(), QString("/elsewhere/a.html"));
    d->SetTextLangId(0x0407);
    QCOMPARE(d->TextLangId(), 0u); // style sheets have no text language
    auto h = NewDoc(ftHtml);
    h->SetTextLangId(0x0407);
    QCOMPARE(h->TextLangId(), 0x0407u);
    QVERIFY(h->DecComma);
  }

  void replaceWithConfirmation_data() {
    QTest::addColumn<QString>("answers"); // y = yes, n = no, a = all, c = cancel
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("notFound");
    QTest::newRow("yes, no, yes") << "yny" << "X b a b X" << 0;
    QTest::newRow("no to all three") << "nnn" << "a b a b a" << 0;
    QTest::newRow("cancel at the second") << "yc" << "X b a b a" << 0;
    QTest::newRow("all at the second") << "na" << "a b X b X" << 0;
  }
  void replaceWithConfirmation() {
    QFETCH(QString, answers);
    QFETCH(QString, result);
    QFETCH(int, notFound);
    auto c = FindSetup("a b a b a", "a", "X", ssoPrompt | ssoWholeWord, true);
    int asked = 0;
    SetConfirmResponder([&](const QString &prompt) {
      [&] { QVERIFY(prompt.contains("Replace this match of \"a\"")); }();
      const QChar k = asked < answers.size() ? answers.at(asked) : QChar(u'c');
      ++asked;
      return k == u'y' ? raReplace : k == u'n' ? raSkip : k == u'a' ? raReplaceAll : raCancel;
    });
    c.Dlg->btnReplAll->click();
    SetConfirmResponder({});
    QCOMPARE(c.Doc->TextBuffer->Text(), result);
    QCOMPARE(int(FAsked.size()), notFound);
    c.Doc->TextBuffer->undo();
    QCOMPARE(c.Doc->TextBuffer->Text(), QString("a b a b a")); // one undo step
  }

  void replaceOneAtATime() {
    // Without "all": each Replace handles one match; No skips to the next without a message,
    // and the message comes only when nothing more matches.
    auto c = FindSetup("cat cat", "cat", "dog", ssoPrompt, true);
    QList<TSynReplaceAction> answers{raSkip, raReplace};
    SetConfirmResponder([&](const QString &) { return answers.isEmpty() ? raCancel : answers.takeFirst(); });
    c.Dlg->btnSearch->click();
    QCOMPARE(c.Doc->TextBuffer->Text(), QString("cat dog"));
    QVERIFY(FAsked.isEmpty());
    c.Dlg->btnSearch->click();
    SetConfirmResponder({});
    QCOMPARE(FAsked.size(), 1);
    QCOMPARE(FAsked.first(), QString("\"cat\" not found!"));
  }

  void replaceAllTerminatesAndIsOneStep() {
    auto c = FindSetup("aa a\na", "a", "aXa", 0, true);
    c.Dlg->btnReplAll->click();
    QCOMPARE(c.Doc->TextBuffer->Text(), QString("aXaaXa aXa\naXa"));
    c.Doc->TextBuffer->undo();
    QCOMPARE(c.Doc->TextBuffer->Text(), QString("aa a\na"));
  }

  void continueThenReplace() {
    auto c = FindSetup("one two one two", "two", "2", 0, true);
    c.Dlg->btnRepeat->click(); // selects the first "two" without replacing
    QCOMPARE(c.Doc->TextBuffer->SelText(), QString("two"));
    c.Dlg->btnSearch->click(); // replaces the match Continue selected
    QCOMPARE(c.Doc->TextBuffer->Text(), QString("one 2 one two"));
  }

  void findDirectionsAndScope() {
    auto c = FindSetup("ab ab ab", "ab", "", ssoEntireScope, false);
    c.Dlg->rbFromBeginning->setChecked(true);
    c.Doc->TextBuffer->SetCaretXY({8, 1});
    c.Dlg->btnSearch->click(); // from the beginning: the first one
    QCOMPARE(c.Doc->CaretXY(), (TBufferCoord{3, 1}));
    c.Dlg->btnRepeat->click(); // Continue: the next one
    QCOMPARE(c.Doc->CaretXY(), (TBufferCoord{6, 1}));
    c.Doc->ActionFindNext->trigger();
    QCOMPARE(c.Doc->CaretXY(), (TBufferCoord{9, 1}));
    c.Doc->ActionFindNext->trigger();
    QCOMPARE(FAsked.size(), 1); // nothing after the last
    c.Doc->ActionFindPrev->trigger(); // Shift+F3 goes back
    QCOMPARE(c.Doc->TextBuffer->BlockBegin().Char, 7);
    c.Doc->ActionFindPrev->trigger();
    QCOMPARE(c.Doc->TextBuffer->BlockBegin().Char, 4);
    c.Dlg->SetFindText("");
    c.Doc->ActionFindNext->trigger(); // empty: a beep only
    QCOMPARE(FAsked.size(), 1);
  }

  void findHistories() {
    TFindReplDialog dlg;
    for (int i = 0; i < 21; ++i)
      TFindReplDialog::AddToHistory(dlg.cbxSearch, QString("t%1").arg(i));
    TFindReplDialog::AddToHistory(dlg.cbxSearch, "t5"); // already listed: stays where it is
    QCOMPARE(dlg.FindHistory().size(), 20);
    QCOMPARE(dlg.FindHistory().first(), QString("t20"));
    QVERIFY(!dlg.FindHistory().contains("t0"));
    TFindReplDialog::AddToHistory(dlg.cbxReplace, "line one\nline two");
    const QString f = FDir.filePath("find.ini");
    {
      auto ini = TUnicodeIniFile::CreateForWrite(f);
      dlg.SaveToIni(*ini);
      QVERIFY(ini->UpdateFile());
    }
    TFindReplDialog back;
    back.LoadFromIni(*TUnicodeIniFile::CreateForRead(f));
    QCOMPARE(back.FindHistory(), dlg.FindHistory());
    QCOMPARE(back.ReplaceHistory(), QStringList{"line one"});
  }

  void undoRedo() {
    auto d = NewDoc(ftText);
    d->InitNewText("*New5", QString(), seAnsi);
    d->TextBuffer->SetSelText("Hello");
    d->TextBuffer->SetSelection({1, 1}, {6, 1});
    d->TextBuffer->SetSelText("<b>Hello</b>");
    d->ActionUndo->trigger();
    QCOMPARE(d->TextBuffer->Text(), QString("Hello"));
    d->ActionRedo->trigger();
    QCOMPARE(d->TextBuffer->Text(), QString("<b>Hello</b>"));
  }
};

QTEST_MAIN(TstMdiForm)
#include "tst_mdiform.moc"
