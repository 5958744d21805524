#pragma once
// One syntax highlighter per file type (text documents have none).
#include "core/common/Types.h"

class QsciLexer;
class QObject;

// A new highlighter for the file type, owned by parent; nullptr for ftText and ftNone.
QsciLexer *CreateHighlighter(TFileTypes ft, QObject *parent);
