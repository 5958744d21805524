#pragma once
// The document window's spelling and navigation commands (misspellings, the user's words, the
// text language, numbered bookmarks, bracket matching, column mode, word selection) and its
// popup menu.
#include <QString>

class QMenu;
class TMDIForm;

void CreateEditorCommands(TMDIForm *form);

// Fills the popup menu for the caret's position (the right button has moved the caret there)
// and returns it; the caller shows it.
QMenu *PrepareEditorPopup(TMDIForm *form);

// The document's language menu: "None" and the checker's languages, the document's checked.
void FillLanguageMenu(TMDIForm *form, QMenu *menu);

// Bookmark commands (also the gutter click): the number a menu item stands for is the last
// character of its caption (0 when that is no digit).
int BookmarkNumberOfCaption(const QString &caption);
void SetNextBookmark(TMDIForm *form);
void SetBookmarkOnLine(TMDIForm *form, int n);
void GutterClick(TMDIForm *form, int line);
