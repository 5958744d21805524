#pragma once
// What a document window asks of the window that holds it (the main window, or a test).
#include <QString>
#include <functional>

class QObject;

class TFindReplDialog;
class TMDIForm;
class TSynEditSpellCheck;
class TSynEditKeyStrokes;

class TDocumentHost {
public:
  virtual ~TDocumentHost() = default;
  virtual QString HtmPath() const = 0;    // root folder of the current project, trailing '/'
  virtual QString ProgramDir() const = 0; // shipped data files (default.html)
  virtual bool DynTB() const { return true; }
  virtual void SetDynTB(bool) {}
  virtual bool LoadingProject() const { return false; }
  // Status bar refresh; full when the modified state changed.
  virtual void ShowStatus(TMDIForm *doc, bool full) = 0;
  // Saves the document, asking for a name when it has none; true when it was saved.
  virtual bool SaveTextFromMDI(TMDIForm *doc) = 0;
  // The document window is closing.
  virtual void CloseMDI(TMDIForm *doc) = 0;
  // The one find dialog of the program.
  virtual TFindReplDialog *FindDialog() = 0;
  // Calls f with the search text now and whenever it changes while receiver lives (by default
  // through the find dialog; a host may answer without making the dialog yet).
  virtual void FollowFindText(QObject *receiver, std::function<void(const QString &)> f);
  // The program's one spell checker; none when no dictionary could be found.
  virtual TSynEditSpellCheck *SpellChecker() { return nullptr; }
  // Documents in order of use (F7 / F8).
  virtual void PreviousMDI(TMDIForm *) {}
  virtual void NextMDI(TMDIForm *) {}
  // True when the file is open in one of the host's document windows (autosave copies never
  // replace or delete such a file).
  virtual bool IsOpenDocument(const QString &) const { return false; }
  // "Select file &path": shows a document's folder.
  virtual void SelectFilePath(const QString &) {}
  // "Remove &tags ..": the document's text without its markup, as a new document.
  virtual void RemoveTags(TMDIForm *) {}
  // Folder chooser; empty when cancelled.
  virtual QString SelectDirectory(const QString &title, const QString &start, const QString &root) = 0;
  // The keyboard layout in use; none gives a new document the default layout of its own actions.
  virtual const TSynEditKeyStrokes *KeyStrokes() const { return nullptr; }
  // True while the host is about to give every document its layout (during start-up): a new
  // document then need not work out the default one first.
  virtual bool KeyStrokesComing() const { return false; }
};
