#include "core/common/OpenSslLibraries.h"

TLazyLibrary &CryptoLibrary() {
  static TLazyLibrary lib("crypto", {QM_LIBCRYPTO_SONAME, "libcrypto.so.3"});
  return lib;
}

TLazyLibrary &SslLibrary() {
  static TLazyLibrary lib("ssl", {QM_LIBSSL_SONAME, "libssl.so.3"});
  return lib;
}
