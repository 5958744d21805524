#pragma once
// A text range of a search hit or an anchor, as the results trees keep it for opening the file.
#include "core/common/Types.h"

struct TTextBlockPos {
  TBufferCoord BBegin; // first character
  TBufferCoord BEnd;   // just after the last character (search hits) or the last one (anchors)
  int FSpaces = 0;     // column of the first character of the line that is no blank or tab (0: none)
  bool operator==(const TTextBlockPos &) const = default;
};
