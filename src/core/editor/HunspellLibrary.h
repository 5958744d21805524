#pragma once
#include "core/common/LazyLibrary.h"

// The spell checker's library, opened when the first dictionary is.
TLazyLibrary &HunspellLibrary();
