// The main window's side of the tab bar, status bar, project page, removing tags and printing;
// the work is TMainShell's.
#include "ui/app/HauptForm.h"
#include "ui/shell/MainShell.h"

void THauptForm::RemoveTags(TMDIForm *doc) {
  if (FShell)
    FShell->RemoveTags(doc);
}

void THauptForm::SyncFileView(const QString &fileName) {
  // While the window starts, the project page only notes the file: reading its folder waits
  // until the window is on the screen (see Init).
  if (FStarting) {
    FStartFile = fileName;
    return;
  }
  FStartFile.clear();
  if (FShell)
    FShell->SyncFileView(fileName);
}
