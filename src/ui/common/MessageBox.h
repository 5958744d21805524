#pragma once
// The program's one message-box routine: errors, information, and questions with Yes/No or
// Yes/No/Cancel. The caption is the program's name and version unless the caller gives one, or
// (for the program's own texts only, see TMsgOptions::CaptionInText) the text carries its own
// caption before a '|'. Texts are shown as plain text and whole; the box sizes itself to them.
// Boxes appear centred on the main window, on the screen, or at a point kept inside the screen,
// and may close themselves after a time-out, answering OK.
#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>

class QWidget;

enum TMsgKind { mkError, mkInformation, mkConfirm, mkConfirmCancel };
enum TMsgResult { mrOk, mrYes, mrNo, mrCancel };
enum TMsgPlace { mpMainWindow, mpScreen, mpPoint };

struct TMsgOptions {
  TMsgPlace Place = mpMainWindow;
  QPoint At{-1, -1};       // for mpPoint; (-1, -1) means none (then the main window)
  TMsgResult Default = mrYes; // default button of confirmations
  int TimeoutSeconds = 0;  // > 0: closes itself and answers mrOk
  QString Caption;         // overrides the program caption when not empty
  // The text starts with its own caption up to the first '|'. Only for the program's own texts:
  // file names, search texts and other user data may hold a '|', which must never split them.
  bool CaptionInText = false;
};

TMsgResult ShowMessage(TMsgKind kind, const QString &text, const TMsgOptions &options = {});
inline void ErrorBox(const QString &text) { ShowMessage(mkError, text); }
inline void InfoBox(const QString &text) { ShowMessage(mkInformation, text); }
inline bool ConfirmBox(const QString &text, const TMsgOptions &o = {}) { return ShowMessage(mkConfirm, text, o) == mrYes; }

// The main window the boxes centre on, and the default caption ("Velmo (Version ...)").
void SetMessageOwner(QWidget *mainWindow, const QString &caption);
QString ProgramCaption();

// Tests answer boxes without a user: the responder gets kind and text and returns the answer.
// The last box shown is remembered either way.
using TMsgResponder = std::function<TMsgResult(TMsgKind, const QString &)>;
void SetMessageResponder(TMsgResponder responder);
QString LastMessageText();

// Keeps a rectangle of the given size at pos inside the screen that holds the main window (the
// screen at pos when there is no main window on view).
QPoint KeepOnScreen(QPoint pos, QSize size);
// Every dialog opened at the pointer, at a button's corner or at a stored place goes through this:
// moves the window (sized to its contents when it has no size yet) to pos, kept fully inside the
// main window's screen with its title bar, and checks once more when it is shown.
void KeepWindowOnScreen(QWidget *window, QPoint pos, bool recheckWhenShown = true);
