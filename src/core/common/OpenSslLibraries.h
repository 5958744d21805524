#pragma once
#include "core/common/LazyLibrary.h"

// OpenSSL's libraries, opened when first needed: libcrypto by the password cipher and secured
// data connections, libssl by secured data connections.
TLazyLibrary &CryptoLibrary();
TLazyLibrary &SslLibrary();
