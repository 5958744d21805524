// libcrypto's functions the password cipher uses, opened on first use.
#include "core/common/OpenSslLibraries.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <cstring>

#define QM_CRYPTO(ret, name, params, args) QM_LAZY_FORWARD(CryptoLibrary(), ret, name, params, args)

QM_CRYPTO(const EVP_CIPHER *, EVP_aes_128_ecb, (void), ())
QM_CRYPTO(const EVP_CIPHER *, EVP_aes_192_ecb, (void), ())
QM_CRYPTO(const EVP_CIPHER *, EVP_aes_256_ecb, (void), ())
QM_CRYPTO(EVP_CIPHER_CTX *, EVP_CIPHER_CTX_new, (void), ())
QM_CRYPTO(void, EVP_CIPHER_CTX_free, (EVP_CIPHER_CTX * c), (c))
QM_CRYPTO(int, EVP_CIPHER_CTX_set_padding, (EVP_CIPHER_CTX * c, int pad), (c, pad))
QM_CRYPTO(int, EVP_EncryptInit_ex,
          (EVP_CIPHER_CTX * c, const EVP_CIPHER *cipher, ENGINE *impl, const unsigned char *key,
           const unsigned char *iv),
          (c, cipher, impl, key, iv))
QM_CRYPTO(int, EVP_EncryptUpdate,
          (EVP_CIPHER_CTX * c, unsigned char *out, int *outl, const unsigned char *in, int inl),
          (c, out, outl, in, inl))
QM_CRYPTO(EVP_MAC *, EVP_MAC_fetch, (OSSL_LIB_CTX * l, const char *a, const char *p), (l, a, p))
QM_CRYPTO(void, EVP_MAC_free, (EVP_MAC * m), (m))
QM_CRYPTO(EVP_MAC_CTX *, EVP_MAC_CTX_new, (EVP_MAC * m), (m))
QM_CRYPTO(void, EVP_MAC_CTX_free, (EVP_MAC_CTX * c), (c))
QM_CRYPTO(int, EVP_MAC_init, (EVP_MAC_CTX * c, const unsigned char *k, size_t n, const OSSL_PARAM p[]),
          (c, k, n, p))
QM_CRYPTO(int, EVP_MAC_update, (EVP_MAC_CTX * c, const unsigned char *d, size_t n), (c, d, n))
QM_CRYPTO(int, EVP_MAC_final, (EVP_MAC_CTX * c, unsigned char *o, size_t *ol, size_t os), (c, o, ol, os))
QM_CRYPTO(int, PKCS5_PBKDF2_HMAC_SHA1,
          (const char *pass, int passlen, const unsigned char *salt, int saltlen, int iter, int keylen,
           unsigned char *out),
          (pass, passlen, salt, saltlen, iter, keylen, out))
// Salts and padding are asked for before any key is made: without the library this fails the
// way the generator itself reports a failure, and the caller says so.
extern "C" int RAND_bytes(unsigned char *b, int n) {
  using TFunc = int (*)(unsigned char *, int);
  if (!CryptoLibrary().Load())
    return 0;
  static const TFunc f = reinterpret_cast<TFunc>(CryptoLibrary().Required("RAND_bytes"));
  return f(b, n);
}
QM_CRYPTO(int, CRYPTO_memcmp, (const void *a, const void *b, size_t n), (a, b, n))
QM_CRYPTO(OSSL_PARAM, OSSL_PARAM_construct_utf8_string, (const char *k, char *b, size_t n), (k, b, n))
QM_CRYPTO(OSSL_PARAM, OSSL_PARAM_construct_end, (void), ())

// Wiping a key needs no library: the C library's wipe is not optimized away either.
extern "C" void OPENSSL_cleanse(void *p, size_t n) {
  explicit_bzero(p, n);
}
