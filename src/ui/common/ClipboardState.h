#pragma once
// Whether the clipboard holds text, for enabling Paste and the commands that take the
// clipboard's text. Asking the system clipboard is slow the first time (it learns every image
// format the program could read), so the answer is kept until the clipboard changes, and until
// the program has started the commands simply stay enabled (they check again when run).

// True while the program starts; after that whether the clipboard holds text.
bool ClipboardHasText();
// From now on the clipboard is asked (called once the main window is on the screen).
void StartAskingClipboard();
