// The main window's side of the tab bar, status bar, project page, removing tags and printing;
// the work is TMainShell's.
#include "ui/app/HauptForm.h"
#include "ui/shell/MainShell.h"

void THauptForm::RemoveTags(TMDIForm *doc) {
  if (FShell)
    FShell->RemoveTags(doc);
}

void THauptForm::SyncFileView(const QString &fileName) {
  if (FShell)
    FShell->SyncFileView(fileName);
}
