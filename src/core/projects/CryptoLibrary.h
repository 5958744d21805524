#pragma once
#include "core/common/LazyLibrary.h"

// libcrypto, opened when the first password is enciphered or deciphered.
TLazyLibrary &CryptoLibrary();
