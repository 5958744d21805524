#pragma once
#include "core/common/LazyLibrary.h"

// libssh, opened when the first secure shell session starts.
TLazyLibrary &SshLibrary();
