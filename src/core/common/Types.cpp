#include "core/common/Types.h"

const std::array<TFileType, FileTypeCount> FileTypeInfo = {{
    {"HTML", "HTML document", "html,htm,htt", "*.html;*.htm;*.htt", "html"},
    {"CSS", "Central style sheet", "css", "*.css", "css"},
    {"JS", "Javascript", "js", "*.js", "js"},
    {"PHP", "PHP file", "php", "*.php", "php"},
    {"VBS", "Visual Basic script", "vbs", "*.vbs", "vbs"},
    {"PL", "Perl script", "pl", "*.pl", "pl"},
    {"Text", "Text document", "txt", "*.txt", "txt"},
}};

const std::array<const char *, EncodingCount> EncodingNames = {"UTF-8", "UTF-16LE", "UTF-16BE",
                                                               "ANSI Latin 1"};
const std::array<const char *, EncodingCount> CharsetNames = {"UTF-8", "UTF-16", "UTF-16", "ISO-8859-1"};
