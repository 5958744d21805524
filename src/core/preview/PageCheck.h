#pragma once
// "Check page": the errors and warnings of an HTML text, as an HTML5-aware checker reports them.
// The text is only read, never changed.
#include <QByteArrayView>
#include <QList>
#include <QString>

struct TPageMessage {
  int Line = 0;   // from 1; 0 for a message about the whole page
  int Column = 0; // from 1, in UTF-16 code units of the line (the editor's columns)
  bool Error = false;
  QString Text;
};

struct TPageCheck {
  bool Available = true; // false when the program was built without the checker
  QList<TPageMessage> Messages;
  bool Truncated = false; // more messages than MaxPageMessages
};

constexpr int MaxPageMessages = 1000;

// Checks utf8 (any size; the checker is linear in its input).
TPageCheck CheckPage(QByteArrayView utf8);
