#pragma once
// Turning a page into plain text: markup dropped, chosen closing tags turned into line breaks,
// character references into characters, white space collapsed, and the text wrapped to a line
// length when asked.
#include <QString>
#include <QStringList>
#include <functional>

struct TRemoveTagsOptions {
  bool Wrap = true;
  bool UseParagraph = true; // </p...> ends a line
  bool UseNewline = true;   // <br...>
  bool UseHeadLine = true;  // </h1> ... </h9>
  bool UseListLine = true;  // </li>, </dt>, </dd>
  bool UseTableData = true; // </td>
  bool ExtraLine = true;    // an empty line after a paragraph
  int LineLength = 80;      // 20 to 250

  static constexpr int MinLineLength = 20, MaxLineLength = 250;
};

// The character code of a named reference written with its "&" and ";" ("&amp;"); 0 when it is
// not known.
using TEntityLookup = std::function<int(const QString &name)>;

// The plain text of text as lines; empty when no text is left outside the tags. With markup
// false the text is taken as plain text already: its line breaks stay paragraph ends, and "<" and
// "&" are ordinary characters (so running it over its own result changes nothing).
QStringList RemoveTags(const QString &text, const TRemoveTagsOptions &options, const TEntityLookup &lookup,
                       bool markup = true);
