#pragma once
// Files that reach the running program from the desktop: dropped from a file manager onto the
// main window (its documents, tabs and panels), or handed over by a later start of the program.
#include <QStringList>

class THauptForm;

// Opens the files as documents in their order; folders and missing files are named in one
// message. With bringToFront the main window comes up (restored when minimised) and is activated.
// While a modal dialog is open the files wait until it is closed.
void OpenOutsideFiles(THauptForm *form, const QStringList &files, bool bringToFront);

// Lets the main window take drops of local files anywhere on it (text dragged inside an editor is
// left to the editor), and opens every file dialog in the detail view at the size it had last.
void InstallFileDrops(THauptForm *form);

// The local files of a drag (nothing when it carries no local file).
class QMimeData;
QStringList DroppedFiles(const QMimeData *data);
