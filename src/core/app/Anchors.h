#pragma once
// Local anchors: the named jump targets of HTML pages written the way the anchor command writes
// them (an a element whose name attribute follows the tag name directly: <a name="top">), their
// list per file, and the anchor list file.
#include "core/app/TextBlockPos.h"
#include "core/editor/CommandCatalogue.h" // AnchorNameOfEntry

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <atomic>
#include <functional>

struct TAnchorEntry {
  QString Name;      // blanks trimmed
  QString LinkText;  // the element's text without markup
  TTextBlockPos Pos; // BBegin: first character of the name; BEnd: the character before the ">"
  // "|" name "|" " (" line "): " link text, e.g. "|top| (12): Back to the top".
  QString Text() const;
  bool operator==(const TAnchorEntry &) const = default;
};

// Appends the anchors of text (lines ended by CR LF, LF or CR) to list. With sorted, the list is
// kept in the order of the entry texts without regard to case (so by name), else entries are
// appended in the order of the text. An anchor whose name has no closing quote, or whose tag has
// no ">" after the name, is skipped.
void ReadAnchors(const QString &text, QList<TAnchorEntry> &list, bool sorted = false);
// The same for a file on disk, read with the encoding detection of documents. False (list
// unchanged) with the reader's message when the file cannot be read as text.
bool ReadAnchorsFromFile(const QString &fileName, QList<TAnchorEntry> &list, bool sorted = false,
                         QString *error = nullptr);
// The anchor names of UTF-8 text by the same rules, without positions or link texts (for checking
// links, where only the names matter).
void ForEachAnchorNameUtf8(QByteArrayView utf8, const std::function<void(QByteArrayView name)> &f);

// Orders entries by their text without regard to case (keeping the order of equal ones).
void SortAnchorsByName(QList<TAnchorEntry> &list);

// A file of the anchor tree.
struct TAnchorFile {
  QString Name; // relative to the project root; files outside it start with "../"
  QList<TAnchorEntry> Entries;
};
// The name of a file node: the file relative to root ("../" steps for files outside it).
QString AnchorFileNodeName(const QString &fileName, const QString &root);

// The anchors of each file that exists and has any, in the order of files (the anchor search of
// the anchors page). Unreadable files are left out with their message in problems (when given).
// progress is called before each file; the loop ends early when cancel is set.
QList<TAnchorFile> CollectAnchors(const QStringList &files, const QString &root, bool sorted,
                                  const std::function<void(int index, int total)> &progress = {},
                                  const std::atomic<bool> *cancel = nullptr, QStringList *problems = nullptr);

// "%u anchor(s) found in %u file(s)!" or "Found no anchors".
QString AnchorStatusText(const QList<TAnchorFile> &files);

// The anchor list file: Windows-1252 text, every line ended by CR LF. Characters that code page
// cannot hold become "?"; unencodable (when given) receives how many there were.
QByteArray AnchorExportBytes(const QString &projectName, const QString &root, const QList<TAnchorFile> &files,
                             qsizetype *unencodable = nullptr);
// Writes it atomically; false with the system's message in error.
bool WriteAnchorExport(const QString &fileName, const QString &projectName, const QString &root,
                       const QList<TAnchorFile> &files, QString *error = nullptr);
