#pragma once
// Shared by the tests: small file helpers, a document host without a main window, and texts with
// caret and selection markers: "|" is the caret, "[...]" the selection (caret at its end, or at its
// start when written "[|"), and each "~" before the caret one column of virtual space past the end
// of the line.
#include "ui/editor/DocumentHost.h"
#include "ui/editor/FindReplDlg.h"
#include "ui/editor/MDIForm.h"
#include "ui/editor/TextBuffer.h"

#include "FileSupport.h"

#include <memory>

// A document host for document windows tested without the main window.
class TTestHost : public TDocumentHost {
public:
  QString Root = QStringLiteral("/tmp/"), Program = QStringLiteral("/tmp/"), ChosenDir;
  bool SaveFails = false;
  int Closed = 0;
  QString HtmPath() const override { return Root; }
  QString ProgramDir() const override { return Program; }
  void ShowStatus(TMDIForm *, bool) override {}
  bool SaveTextFromMDI(TMDIForm *doc) override { return !SaveFails && doc->SaveText(); }
  void CloseMDI(TMDIForm *) override { ++Closed; }
  QString SelectDirectory(const QString &, const QString &, const QString &) override { return ChosenDir; }
  QString ShownFolder; // the last "Select file &path"
  void SelectFilePath(const QString &folder) override { ShownFolder = folder; }
  TFindReplDialog *FindDialog() override {
    if (!Dialog)
      Dialog = std::make_unique<TFindReplDialog>();
    return Dialog.get();
  }
  std::unique_ptr<TFindReplDialog> Dialog;
};

struct TMarked {
  QString Text;
  TBufferCoord Anchor, Caret;
};

inline TMarked ParseMarked(const QString &marked, const QString &lineBreak = QStringLiteral("\n")) {
  TMarked m;
  TBufferCoord pos, selStart, selEnd;
  int virt = 0;
  bool hasSel = false, caretAtStart = false, hasCaret = false;
  const QString src = QString(marked).replace(QLatin1String("\n"), lineBreak);
  for (qsizetype i = 0; i < src.size(); ++i) {
    const QChar ch = src[i];
    if (ch == u'~') {
      ++virt;
    } else if (ch == u'|') {
      m.Caret = {pos.Char + virt, pos.Line};
      hasCaret = true;
      caretAtStart = hasSel && selStart == pos && selEnd == TBufferCoord{0, 0};
    } else if (ch == u'[') {
      selStart = pos;
      selEnd = {0, 0};
      hasSel = true;
    } else if (ch == u']') {
      selEnd = pos;
    } else {
      m.Text += ch;
      if (ch == u'\r' || ch == u'\n') {
        if (ch == u'\r' && i + 1 < src.size() && src[i + 1] == u'\n')
          m.Text += src[++i];
        pos = {1, pos.Line + 1};
      } else {
        ++pos.Char;
      }
    }
  }
  if (hasSel) {
    m.Anchor = caretAtStart ? selEnd : selStart;
    m.Caret = caretAtStart ? selStart : selEnd;
  } else {
    Q_ASSERT(hasCaret);
    m.Anchor = m.Caret;
  }
  return m;
}

// The buffer's text with its caret and selection written as markers, line breaks as they are.
inline QString RenderMarked(const TTextBuffer &buf) {
  const QString text = buf.Text();
  QList<qsizetype> starts{0}, lengths;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      lengths << i - starts.last();
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
        ++i;
      starts << i + 1;
    }
  }
  lengths << text.size() - starts.last();
  struct TMark {
    qsizetype Index;
    QString Marker;
  };
  QList<TMark> marks;
  auto at = [&](TBufferCoord p, const QString &marker, bool showVirtual) {
    const qsizetype len = lengths.value(p.Line - 1);
    const qsizetype col = p.Char - 1;
    const qsizetype excess = col > len ? col - len : 0;
    marks << TMark{starts.value(p.Line - 1) + std::min(col, len),
                   (showVirtual ? QString(excess, u'~') : QString()) + marker};
  };
  if (buf.SelAvail()) {
    const TBufferCoord b = buf.BlockBegin(), e = buf.BlockEnd();
    at(b, buf.CaretXY() == b ? QStringLiteral("[|") : QStringLiteral("["), false);
    at(e, QStringLiteral("]"), false);
  } else {
    at(buf.CaretXY(), QStringLiteral("|"), true);
  }
  QString out = text;
  for (qsizetype i = marks.size() - 1; i >= 0; --i)
    out.insert(marks[i].Index, marks[i].Marker);
  return out;
}
