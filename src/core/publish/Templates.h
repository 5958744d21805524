#pragma once
// HTT templates: an HTML page with a header of variable definitions, turned into the HTML page of
// the same name by "Save as HTML", the preview and publishing.
//
//   <!-- #var
//   title = Home          // comment
//   -->
//   <h1>[%title]</h1>
#include <QString>
#include <functional>

// Receives the progress texts of a conversion made for a transfer.
using TTemplateReport = std::function<void(const QString &text)>;

// Expands fileName (an .htt file) into fileName with the extension "html" and returns that name;
// empty when nothing was written (missing file, no header, a failed write). The previous HTML file
// is kept as "<name>.html.bak". report (when set) receives "Processing HTML template: %s" and
// "No header found in HTML template: %s". error (when given) receives the reason of a failure.
QString ProcessTemplate(const QString &fileName, const TTemplateReport &report = {},
                        QString *error = nullptr);

// The conversion itself: the output text of an HTT text (lines separated by lineBreak, each line
// ended by it); headerFound tells whether a "<!-- #var" line was seen.
QString ExpandTemplateText(const QString &text, const QString &lineBreak, bool *headerFound);
