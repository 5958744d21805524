#pragma once
#include "core/common/LazyLibrary.h"

// The page checker's library (tidy), opened when a page is first checked.
TLazyLibrary &TidyLibrary();
