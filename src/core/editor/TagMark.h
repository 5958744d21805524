#pragma once
// The link or image tag at the caret, and "Edit tag": the tag is taken apart, its reference and
// attributes go to a dialog, and the tag is put back in place keeping everything the dialog did
// not change.
#include "core/common/Types.h"
#include "core/editor/EditBuffer.h"

#include <QString>
#include <functional>

// The link or image tag around pos (the caret): the nearest "<" or ">" before pos must be the
// "<" of "<a h..." or "<img" (case ignored). Only HTML documents have such tags.
TTagMark GetTagMark(const TEditBuffer &buf, TFileTypes fileType, TBufferCoord pos);
// The tag that starts at start, with its end (just after its ">", or start when the tag has no
// end before the next tag); TagType is ttNone when no link or image tag starts there.
TTagMark TagAt(const TEditBuffer &buf, TBufferCoord start);
// True while the text still holds the marked tag exactly where it was found.
bool TagMarkFits(const TEditBuffer &buf, const TTagMark &mark);

// An opening tag taken apart around one attribute (href or src):
// "<" + Name + Before + Key + "=" + quote + Ref + quote + After + ">".
struct TTagParts {
  QString Name;   // the tag name as written ("a", "IMG")
  QString Before; // attributes before the reference attribute, with the blanks after them
  QString Key;    // the attribute name as written; empty when the tag has none
  QString Ref;    // its value without quotes
  QChar Quote;    // its quote character; null when the value stood without quotes
  QString After;  // everything after the value up to the closing ">" ("/" of "/>" included)
};
TTagParts SplitTag(const QString &tag, const QString &key);
// The tag with a new reference and new attributes after it.
QString ComposeTag(const TTagParts &parts, const QString &defaultKey);

// The dialogs of "Edit tag". An image: reference and the attribute text after it. A link: URL,
// attribute text after it, and the link text (line breaks and "|" as they stand in the page).
using TImageEditor = std::function<bool(QString &src, QString &attributes)>;
using TLinkEditor = std::function<bool(QString &url, QString &attributes, QString &text)>;

enum TEditTagResult { erNoTag, erStale, erCancelled, erDone };
// Edits the marked tag (a link together with its text up to "</a>") as one undo step; the caret
// then stands at the tag's start. Nothing changes when the mark no longer fits the text (erStale)
// or the dialog is cancelled (the selection is restored).
TEditTagResult EditTag(TEditBuffer &buf, const TTagMark &mark, const TImageEditor &editImage,
                       const TLinkEditor &editLink);
