#pragma once
// Underlines the misspelt words of a document's running text. Only the lines on the screen and
// the lines just edited are checked, a little later and in slices, so that typing never waits
// for the dictionary.
#include "core/common/Types.h"
#include "core/editor/SpellCheck.h"

#include <QObject>
#include <QSet>
#include <QTimer>
#include <functional>

class TTextBuffer;

class TSpellHighlight : public QObject {
  Q_OBJECT
public:
  // checker: the program's one spell checker (may be null); langId: the document's language.
  TSpellHighlight(TTextBuffer *buffer, TFileTypes fileType, std::function<TSynEditSpellCheck *()> checker,
                  std::function<quint32()> langId, QObject *parent);

  // The checker switched to this document's language, or null when checking is off for it.
  TSynEditSpellCheck *Checker() const;
  // The words of a line that are running text and get checked: in HTML the text between tags
  // (not tags, attribute values, comments, scripts or styles), in a plain text every word.
  // Words with digits and parts of a word written with entities ("Gr&ouml;&szlig;e") are left out.
  QList<TWordSpan> TextWords(int line, const QString &lineText);
  // Checks the lines now (tests, and after the language or the user's words changed).
  void CheckLines(int first, int last);
  // Forgets every underline and checks the visible lines again soon.
  void Invalidate();
  // The next misspelt word of running text after pos: its line and UTF-16 span; false at the end.
  bool FindNext(TBufferCoord from, TBufferCoord &start, int &length);
  // Runs the pending work at once (tests).
  void Flush();

private:
  void Schedule();
  void Work();
  void CheckLine(TSynEditSpellCheck *sc, int line);
  // The HTML scan's state at the start of a line, from the cache of line states; the text is
  // scanned as UTF-8 bytes from the last known line on.
  THtmlScanState LineState(int line);
  QList<THtmlScanState> FStates;

  TTextBuffer *FBuffer;
  TFileTypes FFileType;
  std::function<TSynEditSpellCheck *()> FChecker;
  std::function<quint32()> FLangId;
  QTimer FTimer;
  QSet<int> FEdited;
  bool FVisibleDirty = true;
  bool FCleared = false;
  quint64 FGeneration = 0;
};
