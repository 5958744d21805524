#include "core/projects/AesLib.h"
#include "core/common/OpenSslLibraries.h"

#include <QBuffer>
#include <QIODevice>
#include <QMutexLocker>

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr int PbkdfIterations = 1000;
constexpr int MacSize = 10;
constexpr int BatchBlocks = 256; // key-stream blocks made with one AES call

// The key string for project passwords is scrambled with this byte; see KeyTextFromHex.
constexpr unsigned char KeyScramble = 0x5B;

int KeySizeOfMode(int mode) {
  return 8 + 8 * mode;
} // 16, 24, 32
int SaltSizeOfMode(int mode) {
  return 4 + 4 * mode;
} // 8, 12, 16

const EVP_CIPHER *CipherOfMode(int mode) {
  switch (mode) {
  case 1:
    return EVP_aes_128_ecb();
  case 2:
    return EVP_aes_192_ecb();
  case 3:
    return EVP_aes_256_ecb();
  }
  return nullptr;
}

// Reads until n bytes have arrived or the device has no more; -1 on a read error.
qint64 ReadFull(QIODevice *dev, unsigned char *buf, qint64 n) {
  qint64 got = 0;
  while (got < n) {
    const qint64 r = dev->read(reinterpret_cast<char *>(buf) + got, n - got);
    if (r < 0)
      return -1;
    if (r == 0)
      break;
    got += r;
  }
  return got;
}

bool WriteAll(QIODevice *dev, const unsigned char *buf, qint64 n) {
  return dev->write(reinterpret_cast<const char *>(buf), n) == n;
}
} // namespace

// ---------------------------------------------------------------------------------------------

void TPauseEvent::Set() {
  QMutexLocker lock(&FLock);
  FSet = true;
  FCond.wakeAll();
}

void TPauseEvent::Reset() {
  QMutexLocker lock(&FLock);
  FSet = false;
}

bool TPauseEvent::IsSet() const {
  QMutexLocker lock(&FLock);
  return FSet;
}

bool TPauseEvent::Wait(int timeoutMs) {
  QMutexLocker lock(&FLock);
  if (!FSet)
    FCond.wait(&FLock, QDeadlineTimer(timeoutMs));
  return FSet;
}

// ---------------------------------------------------------------------------------------------

struct TCryptContext {
  EVP_CIPHER_CTX *Aes = nullptr;
  EVP_MAC *MacAlg = nullptr;
  EVP_MAC_CTX *Mac = nullptr;
  unsigned char Counter[16] = {};
  unsigned char Stream[16] = {}; // current key-stream block
  int Pos = 16;                  // used bytes of Stream; 16 makes the next byte start a new block
  unsigned char Batch[BatchBlocks * 16] = {};
  bool Ready = false;

  ~TCryptContext() {
    EVP_CIPHER_CTX_free(Aes);
    EVP_MAC_CTX_free(Mac);
    EVP_MAC_free(MacAlg);
    OPENSSL_cleanse(Stream, sizeof Stream);
    OPENSSL_cleanse(Batch, sizeof Batch);
  }
};

TCrypt::TCrypt(const QByteArray &password, int mode, int bufSize)
    : FCryptCtx(std::make_unique<TCryptContext>()), CBufSize(std::max(bufSize, 16)),
      CBuffer(std::make_unique<unsigned char[]>(CBufSize)) {
  FPwdLen = int(std::min<qsizetype>(password.size(), MaxPasswordLength));
  std::memcpy(FPwd, password.constData(), FPwdLen);
  FFixedKey = mode >= 1 && mode <= 3;
  SetKeyMode(mode);
}

TCrypt::~TCrypt() {
  // The pass phrase and the plain text that went through the buffer must not linger in memory.
  OPENSSL_cleanse(FPwd, sizeof FPwd);
  OPENSSL_cleanse(CBuffer.get(), CBufSize);
}

void TCrypt::SetKeyMode(int mode) {
  if (mode >= 1 && mode <= 3)
    FMode = mode;
  else if (FPwdLen < 32)
    FMode = 1;
  else if (FPwdLen < 48)
    FMode = 2;
  else
    FMode = 3;
}

int TCrypt::SaltSize() const {
  return SaltSizeOfMode(FMode);
}
int TCrypt::GetHeaderSize() const {
  return SaltSize() + 2;
}

bool TCrypt::InitKey(const unsigned char *salt, unsigned char verifier[2]) {
  TCryptContext &c = *FCryptCtx;
  c.Ready = false;
  if (!CryptoLibrary().Load())
    return false;
  const EVP_CIPHER *cipher = CipherOfMode(FMode);
  if (!cipher || FPwdLen > MaxPasswordLength)
    return false;
  const int keySize = KeySizeOfMode(FMode);
  unsigned char material[2 * 32 + 2];
  const int materialSize = 2 * keySize + 2;
  bool ok = PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char *>(FPwd), FPwdLen, salt, SaltSize(),
                                   PbkdfIterations, materialSize, material) == 1;
  if (ok) {
    if (!c.Aes)
      c.Aes = EVP_CIPHER_CTX_new();
    ok = c.Aes && EVP_EncryptInit_ex(c.Aes, cipher, nullptr, material, nullptr) == 1 &&
         EVP_CIPHER_CTX_set_padding(c.Aes, 0) == 1;
  }
  if (ok) {
    if (!c.MacAlg)
      c.MacAlg = EVP_MAC_fetch(nullptr, OSSL_MAC_NAME_HMAC, nullptr);
    EVP_MAC_CTX_free(c.Mac);
    c.Mac = c.MacAlg ? EVP_MAC_CTX_new(c.MacAlg) : nullptr;
    char digest[] = "SHA1";
    const OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                 OSSL_PARAM_construct_end()};
    ok = c.Mac && EVP_MAC_init(c.Mac, material + keySize, size_t(keySize), params) == 1;
  }
  if (ok) {
    verifier[0] = material[2 * keySize];
    verifier[1] = material[2 * keySize + 1];
    std::memset(c.Counter, 0, sizeof c.Counter);
    c.Pos = 16;
    c.Ready = true;
  }
  OPENSSL_cleanse(material, sizeof material);
  return ok;
}

bool TCrypt::KeyStreamXor(unsigned char *data, qsizetype n) {
  TCryptContext &c = *FCryptCtx;
  while (n > 0) {
    if (c.Pos < 16) {
      const qsizetype take = std::min<qsizetype>(n, 16 - c.Pos);
      for (qsizetype i = 0; i < take; ++i)
        data[i] ^= c.Stream[c.Pos + i];
      c.Pos += int(take);
      data += take;
      n -= take;
      continue;
    }
    // Whole blocks: make the counter blocks for as many as are needed and encipher them at once.
    const int blocks = int(std::min<qsizetype>((n + 15) / 16, BatchBlocks));
    for (int b = 0; b < blocks; ++b) {
      // The counter is the low 8 bytes as one little-endian number; the high 8 stay zero.
      for (int i = 0; i < 8 && ++c.Counter[i] == 0; ++i) {
      }
      std::memcpy(c.Batch + 16 * b, c.Counter, 16);
    }
    int outLen = 0;
    if (EVP_EncryptUpdate(c.Aes, c.Batch, &outLen, c.Batch, blocks * 16) != 1 || outLen != blocks * 16)
      return false;
    const qsizetype take = std::min<qsizetype>(n, blocks * 16);
    for (qsizetype i = 0; i < take; ++i)
      data[i] ^= c.Batch[i];
    if (take % 16) {
      std::memcpy(c.Stream, c.Batch + 16 * (blocks - 1), 16);
      c.Pos = int(take % 16);
    }
    data += take;
    n -= take;
  }
  return true;
}

bool TCrypt::Encipher(unsigned char *data, qsizetype n) {
  return FCryptCtx->Ready && KeyStreamXor(data, n) && EVP_MAC_update(FCryptCtx->Mac, data, size_t(n)) == 1;
}

bool TCrypt::Decipher(unsigned char *data, qsizetype n) {
  return FCryptCtx->Ready && EVP_MAC_update(FCryptCtx->Mac, data, size_t(n)) == 1 && KeyStreamXor(data, n);
}

bool TCrypt::FinishMac(unsigned char code[MacSize]) {
  TCryptContext &c = *FCryptCtx;
  unsigned char full[EVP_MAX_MD_SIZE];
  size_t len = 0;
  const bool ok = c.Ready && EVP_MAC_final(c.Mac, full, &len, sizeof full) == 1 && len >= MacSize;
  if (ok)
    std::memcpy(code, full, MacSize);
  c.Ready = false;
  return ok;
}

// ---------------------------------------------------------------------------------------------

TOpResult TEncryption::WaitForEvent(const TCancelFunction &cancel) {
  if (!FEvent)
    return orOk;
  // Short waits so that a paused operation can still be cancelled.
  while (!FEvent->Wait(50))
    if (cancel && cancel())
      return orUserBreak;
  return orOk;
}

TOpResult TEncryption::EncryptStreamEx(QIODevice *sSource, QIODevice *sDest, const TCancelFunction &cancel,
                                       int speedLimit) {
  if (!sSource || !sDest)
    return orError;
  unsigned char header[16 + 2];
  const int saltSize = SaltSize();
  // Salts come from the system's generator: a repeated salt would repeat the key stream.
  if (RAND_bytes(header, saltSize) != 1 || !InitKey(header, header + saltSize))
    return orError;
  if (!WriteAll(sDest, header, saltSize + 2))
    return orError;
  unsigned char *buf = CBuffer.get();
  qint64 done = 0;
  for (;;) {
    if (const TOpResult r = WaitForEvent(cancel); r != orOk)
      return r;
    const qint64 n = ReadFull(sSource, buf, CBufSize);
    if (n < 0)
      return orError;
    done += n;
    Progress(acEncrypt, speedLimit, done);
    if (!Encipher(buf, n) || !WriteAll(sDest, buf, n))
      return orError;
    if (cancel && cancel())
      return orUserBreak;
    if (n < CBufSize)
      break;
  }
  unsigned char code[MacSize];
  if (!FinishMac(code) || !WriteAll(sDest, code, MacSize))
    return orError;
  return orOk;
}

TOpResult TEncryption::DecryptStreamEx(QIODevice *sSource, QIODevice *sDest, const TCancelFunction &cancel,
                                       int speedLimit, qint64 sLength) {
  const int saltSize = SaltSize();
  if (!sSource || sLength < GetHeaderSize() + GetTrailerSize())
    return orError;
  unsigned char header[16 + 2];
  unsigned char verifier[2];
  if (ReadFull(sSource, header, saltSize + 2) != saltSize + 2 || !InitKey(header, verifier))
    return orError;
  if (header[saltSize] != verifier[0] || header[saltSize + 1] != verifier[1])
    return orError; // wrong key, or not one of our streams
  unsigned char *buf = CBuffer.get();
  qint64 remaining = sLength - GetHeaderSize() - GetTrailerSize();
  qint64 done = 0;
  while (remaining > 0) {
    if (const TOpResult r = WaitForEvent(cancel); r != orOk)
      return r;
    const qint64 want = std::min<qint64>(CBufSize, remaining);
    if (ReadFull(sSource, buf, want) != want)
      return orError; // shorter than announced
    done += want;
    Progress(acDecrypt, speedLimit, done);
    if (!Decipher(buf, want) || (sDest && !WriteAll(sDest, buf, want)))
      return orError;
    remaining -= want;
    if (cancel && cancel())
      return orUserBreak;
  }
  unsigned char expected[MacSize];
  unsigned char stored[MacSize];
  if (!FinishMac(expected) || ReadFull(sSource, stored, MacSize) != MacSize)
    return orError;
  return CRYPTO_memcmp(expected, stored, MacSize) == 0 ? orOk : orError;
}

// ---------------------------------------------------------------------------------------------

QString Ascii85Encode(const QByteArray &data) {
  QString out;
  out.reserve((data.size() + 3) / 4 * 5);
  const auto *p = reinterpret_cast<const unsigned char *>(data.constData());
  for (qsizetype at = 0; at < data.size(); at += 4) {
    const int n = int(std::min<qsizetype>(4, data.size() - at));
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
      v = (v << 8) | (i < n ? p[at + i] : 0);
    if (n == 4 && v == 0) {
      out += u'z';
      continue;
    }
    char digits[5];
    for (int i = 4; i >= 0; --i) {
      digits[i] = char(v % 85 + 33);
      v /= 85;
    }
    out += QLatin1String(digits, n + 1);
  }
  return out;
}

bool Ascii85Decode(QStringView text, QByteArray &data) {
  data.clear();
  data.reserve(text.size() / 5 * 4 + 4);
  quint64 v = 0;
  int n = 0; // characters in the current group
  auto flush = [&](int count) {
    // A short group stands for count - 1 bytes; fill it up with the largest digit.
    for (int i = count; i < 5; ++i)
      v = v * 85 + 84;
    if (v > 0xFFFFFFFFu)
      return false;
    for (int i = 0; i < count - 1; ++i)
      data.append(char(v >> (24 - 8 * i)));
    v = 0;
    n = 0;
    return true;
  };
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n')
      continue;
    if (c == u'z' && n == 0) {
      data.append(4, '\0');
      continue;
    }
    if (c < u'!' || c > u'u')
      return false;
    v = v * 85 + (c - 33);
    if (++n == 5 && !flush(5))
      return false;
  }
  if (n == 1)
    return false; // one character cannot encode a byte
  return n == 0 || flush(n);
}

QString HexEncode(const QByteArray &data) {
  return QString::fromLatin1(data.toHex().toUpper());
}

QByteArray HexDecode(QStringView text) {
  auto nibble = [](QChar ch) -> int {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
      return c - u'0';
    if (c >= u'A' && c <= u'F')
      return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
      return c - u'a' + 10;
    return -1;
  };
  QByteArray out;
  out.reserve(text.size() / 2);
  for (qsizetype i = 0; i + 1 < text.size(); i += 2) {
    const int hi = nibble(text[i]);
    const int lo = nibble(text[i + 1]);
    out.append(char(hi < 0 || lo < 0 ? 0 : hi * 16 + lo));
  }
  return out;
}

QString EncryptString(const QByteArray &key, const QByteArray &text, int padLength, bool asHex) {
  if (text.isEmpty())
    return {};
  // A two-byte length prefix holds 13 bits.
  constexpr qsizetype MaxLength = 0x1FFF;
  qsizetype len = text.size();
  if (padLength > 0)
    len = std::min<qsizetype>(len, padLength);
  len = std::min(len, MaxLength);
  QByteArray plain;
  if (len < 223)
    plain.append(char(len + 33));
  else {
    plain.append(char((len >> 8) & 0x1F));
    plain.append(char(len & 0xFF));
  }
  plain.append(text.constData(), len);
  // Padding hides the length of short passwords; "!" to "`" are 64 characters, so a random byte
  // maps onto them evenly.
  const qsizetype pad = qsizetype(padLength) - 1 - len;
  if (pad > 0) {
    QByteArray noise(pad, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(noise.data()), int(pad)) != 1)
      return {};
    for (char &c : noise)
      c = char(33 + (static_cast<unsigned char>(c) & 63));
    plain += noise;
  }
  QByteArray bytes;
  if (key.isEmpty())
    bytes = plain;
  else {
    QBuffer src(&plain);
    QBuffer dst(&bytes);
    src.open(QIODevice::ReadOnly);
    dst.open(QIODevice::WriteOnly);
    TEncryption enc(key, 0, 4096);
    if (!enc.EncryptStream(&src, &dst))
      bytes.clear();
  }
  OPENSSL_cleanse(plain.data(), size_t(plain.size()));
  if (bytes.isEmpty())
    return {};
  return asHex ? HexEncode(bytes) : Ascii85Encode(bytes);
}

QByteArray DecryptString(const QByteArray &key, QStringView text, bool asHex) {
  if (text.isEmpty())
    return {};
  QByteArray bytes;
  if (asHex)
    bytes = HexDecode(text);
  else if (!Ascii85Decode(text, bytes))
    return {};
  QByteArray plain;
  if (key.isEmpty())
    plain = bytes;
  else {
    QBuffer src(&bytes);
    QBuffer dst(&plain);
    src.open(QIODevice::ReadOnly);
    dst.open(QIODevice::WriteOnly);
    TEncryption enc(key, 0, 4096);
    if (!enc.DecryptStream(&src, &dst, 0, bytes.size())) {
      OPENSSL_cleanse(plain.data(), size_t(plain.size()));
      return {};
    }
  }
  const auto *p = reinterpret_cast<const unsigned char *>(plain.constData());
  qsizetype start = 1;
  qsizetype len = 0;
  if (plain.isEmpty())
    return {};
  if (p[0] <= 32) {
    if (plain.size() < 2)
      return {};
    len = p[0] * 256 + p[1];
    start = 2;
  } else
    len = p[0] - 33;
  QByteArray result;
  // A length beyond the data means a damaged text, not a shorter password.
  if (start + len <= plain.size())
    result = plain.mid(start, len);
  OPENSSL_cleanse(plain.data(), size_t(plain.size()));
  return result;
}

QByteArray KeyTextFromHex(QStringView hexText) {
  if (hexText.isEmpty())
    return {};
  QByteArray raw = HexDecode(hexText);
  for (char &c : raw)
    c = char(static_cast<unsigned char>(c) ^ KeyScramble);
  // Each output byte is spread over the nibbles of two input bytes, alternating between the low
  // and the high nibbles, so the pass phrase never shows in the program's data.
  const auto *b = reinterpret_cast<const unsigned char *>(raw.constData());
  QByteArray out;
  for (qsizetype k = 0; 2 * k + 1 < raw.size(); ++k) {
    const unsigned char b0 = b[2 * k];
    const unsigned char b1 = b[2 * k + 1];
    if (k % 2 == 0)
      out.append(char(((b1 & 0x0F) << 4) | (b0 & 0x0F)));
    else
      out.append(char((b0 & 0xF0) | (b1 >> 4)));
  }
  OPENSSL_cleanse(raw.data(), size_t(raw.size()));
  if (out.isEmpty())
    return {};
  const qsizetype n = std::min<qsizetype>(static_cast<unsigned char>(out[0]), out.size() - 1);
  QByteArray key = out.mid(1, n);
  OPENSSL_cleanse(out.data(), size_t(out.size()));
  return key;
}
