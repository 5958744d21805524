#pragma once
// The preview page: the document's current text written beside it (HTT templates expanded), so
// that relative links to style sheets and images resolve against the document's folder.
#include "core/common/Types.h"

#include <QByteArrayView>
#include <QSize>
#include <QString>
#include <QStringList>

// folder + "~" + programBase + ".html" (folder with or without its trailing slash).
QString PreviewFileName(const QString &folder, const QString &programBase);

struct TPreviewWrite {
  QString FileName;          // the page to show; empty on failure
  QString Error;             // why nothing could be shown
  bool TemplateFailed = false; // the template could not be expanded
};

// Writes utf8 (the editor's text) as the preview page of a document in folder, in the document's
// encoding (characters the encoding cannot hold are replaced rather than refused: it is a scratch
// page). A template (isTemplate) is written as "~<base>.htmp" first, expanded into "~<base>.html"
// and the intermediate file (and the backup the expansion keeps) removed again.
TPreviewWrite WritePreviewFile(const QString &folder, const QString &programBase, QByteArrayView utf8,
                               TSynEncoding enc, bool bom, bool isTemplate);

// The fixed sizes of the preview's size list ("640x480", ...).
QStringList PreviewSizeEntries();
// "800x600" as a size; an invalid size for anything else (also for zero or absurd numbers).
QSize ParseSizeEntry(const QString &entry);
QString SizeEntryText(QSize size);

// The address a reference path stands for: with "://" a web (or other) address as written, else a
// local file (backslashes read as slashes, relative names against the current folder).
QString ReferenceAddress(const QString &path);
// The proposal for a web reference when none was entered before.
QString DefaultWikiAddress();
