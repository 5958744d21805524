#pragma once
// Checking the local links of HTML pages before they are published: every href and src value
// that names a file which does not exist, and every "#name" that the target page does not
// define. Nothing is fetched: links with a scheme (http:, mailto:, ...) or starting with "//" are
// left alone. Names are compared as the server will see them: case-sensitively, after the
// project's name conversion when it publishes names in lower or upper case.
#include "core/app/FileSearch.h"
#include "core/projects/ProjectInfo.h"

#include <QByteArrayView>
#include <QSet>
#include <functional>

enum TLinkFault { lfMissingFile, lfMissingAnchor };

struct TBrokenLink {
  QString FileName; // the page that holds the link
  QString Link;     // the attribute value as written
  TLinkFault Fault = lfMissingFile;
  TFileMatch Match; // where the value stands (select it to show the link)
};

struct TLinkCheckJob {
  QStringList Files; // pages checked as given (for example the open documents)
  QString Folder;    // and every page below this folder
  bool SubFolders = true;
  QString Types = QStringLiteral("htm*"); // the pages read, by extension (TFileTypeFilter)
  QString Root;                  // the folder of links starting with "/" (the project root); empty: Folder
  TTextChange CaseMode = tcNone; // the project's conversion of published names
};

struct TLinkCheckSummary {
  int FilesChecked = 0;
  qint64 LinksChecked = 0;
  QList<TBrokenLink> Broken;    // by page in the order checked, then by position
  QList<TFileProblem> Problems; // pages that could not be read
  bool Cancelled = false;
};

TLinkCheckSummary
CheckLinks(const TLinkCheckJob &job,
           const std::function<void(int index, int total, const QString &fileName)> &progress,
           const std::atomic<bool> &cancel);

// What one page holds, read from its UTF-8 text in one pass: the href/src values (start, length
// in bytes) outside comments, scripts and style sheets, the names it defines as jump targets
// (id attributes, the name attribute of a elements, and the local anchors of the anchor list)
// and whether it has a base element (its relative links then point elsewhere).
struct TPageLinks {
  QList<QPair<qsizetype, qsizetype>> Links;
  QSet<QByteArray> Names;
  bool HasBase = false;
};
TPageLinks ScanPageLinks(QByteArrayView utf8);
