#pragma once
// Search and replace in files as they are stored on disk, without any window: the list of files
// to read, the matches per file and the write-back of replacements. RunFileSearch is meant to run
// on a worker thread (see TFileSearchRunner); it checks the cancel flag between files and while
// it reads through a large one.
#include "core/app/FileTypeFilter.h"
#include "core/app/TextBlockPos.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

// Files of a folder whose extension passes the filter, the files of its subfolders first (depth
// first, when recurse is set), each folder's entries in name order. Names starting with "~" (the
// program's own scratch files) are left out; linked folders are not entered, so a link loop
// cannot make the list endless. Stops early (returning what it has) when cancel is set.
QStringList ListFolderFiles(const QString &folder, bool recurse, const TFileTypeFilter &filter,
                            const std::atomic<bool> *cancel = nullptr);

struct TFileSearchOptions {
  QString Find;
  bool MatchCase = false;
  bool WholeWord = false;
  bool DoReplace = false;
  QString Replace;
  bool Confirm = true; // with DoReplace: ask before each match
};

// One listed match. After a replacement it describes the replacement text in the new file.
struct TFileMatch {
  int Line = 0;           // from 1
  int Column = 0;         // from 1, in UTF-16 units
  int Length = 0;         // in UTF-16 units
  QString LineText;       // the line that holds the match start, without its line break; of a
                          // very long line only a window around the match
  int LineTextColumn = 1; // the column of LineText's first character
  TTextBlockPos Pos;
  bool operator==(const TFileMatch &) const = default;
};

struct TFileResult {
  QString FileName;
  QList<TFileMatch> Matches; // in the order of the text, so by line
  bool Rewritten = false;
};

enum TFileReplaceAnswer { frYes, frNo, frAllInFile, frCancel };

struct TReplaceQuestion {
  QString FileName;
  int Line = 0;
  QString LineText; // the line as it stands, earlier replacements of the file included
  QString Find;
  QString Replace;
};

struct TFileProblem {
  QString FileName;
  QString Message;
  bool operator==(const TFileProblem &) const = default;
};

struct TFileSearchSummary {
  int FilesToSearch = 0;
  int FilesSearched = 0;
  int FilesWithMatches = 0;
  qint64 Matches = 0;
  bool Cancelled = false;
  QStringList BinaryFiles;      // skipped: they contain NUL bytes
  QList<TFileProblem> Problems; // not readable, not writable, or the new text does not fit the encoding
  QStringList Rewritten;
};

struct TFileSearchCallbacks {
  // Before each file: its index in the list, the list's length and its name.
  std::function<void(int index, int total, const QString &fileName)> Progress;
  // A file with listed matches (not called for the file during which the run was cancelled).
  std::function<void(const TFileResult &result)> FileDone;
  // With DoReplace and Confirm; unset means Yes.
  std::function<TFileReplaceAnswer(const TReplaceQuestion &question)> Decide;
};

// The files of one run: the given files (open documents) that pass the filter, then, when Folder
// is set, the folder's files (ListFolderFiles).
struct TFileSearchJob {
  TFileSearchOptions Options;
  QStringList Files;
  QString Folder;
  bool SubFolders = false;
  QString Types; // the file-type masks (TFileTypeFilter)
};

// Files larger than this are reported and left out rather than read whole into memory.
constexpr qint64 MaxSearchFileSize = qint64(512) << 20;

// Searches (and replaces in) one file. Returns false when the run must stop (Cancel answered or
// cancel set while in this file); the file is then not written.
bool SearchOneFile(const QString &fileName, const TFileSearchOptions &options, const TFileSearchCallbacks &cb,
                   const std::atomic<bool> &cancel, TFileResult &result, TFileSearchSummary &summary);

// The whole run over the job's files.
TFileSearchSummary RunFileSearch(const TFileSearchJob &job, const TFileSearchCallbacks &cb,
                                 const std::atomic<bool> &cancel);

// The scope choice of the search page and what it allows, kept apart from the widgets.
enum TSearchScope { ssOpenFiles, ssProjectFiles, ssFolder };
struct TSearchScopeState {
  bool OpenFilesEnabled = false;
  bool ProjectEnabled = false;
  bool SubFoldersEnabled = false;
  TSearchScope Scope = ssOpenFiles;
  QString Types;
};
// Called whenever documents or projects change: enables the scopes that have files, moves the
// choice off one that has none, and proposes the file types. activeExtension is the extension of
// the active document (empty without one).
TSearchScopeState UpdateSearchOptions(TSearchScope current, bool namedDocuments, bool hasProjects,
                                      const QString &activeExtension, const QString &projectTypes);
// The file types proposed when the user picks a scope.
QString SearchTypesFor(TSearchScope scope, const QString &activeExtension, const QString &projectTypes,
                       bool hasProjects);

// The text of a result line as the results tree shows it: line number, ": ", the line trimmed of
// blanks, with the match enclosed in "|" (only its start marked when it runs on past the line);
// of a very long line only the part around the match.
QString ResultLineText(const TFileMatch &match);
// "Searching was cancelled!", "%u matches found in\r\n%u file(s)!" or "Found no matches".
QString SearchStatusText(const TFileSearchSummary &summary);
