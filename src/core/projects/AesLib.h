#pragma once
// Stream encryption with AES in the format of encrypted ZIP entries (AE-1/AE-2): a random salt,
// PBKDF2-HMAC-SHA1 key derivation (1000 rounds), a 2-byte password verifier, AES in counter mode
// with a little-endian counter and a 10-byte HMAC-SHA1 authentication code at the end. Because the
// format is the published one, our streams can be checked with any independent implementation.
//
// On top of it sit the routines that turn a short string (an FTP password in a project file) into
// one line of printable text and back.
#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QWaitCondition>
#include <functional>
#include <memory>

class QIODevice;

enum TOpResult { orOk, orError, orUserBreak };

// What a long file operation is doing, reported with its progress. Shared with publishing.
enum TFileAction {
  acNone,
  acCopy,
  acCompress,
  acUnCompress,
  acEncrypt,
  acDecrypt,
  acVerify,
  acZipVerify,
  acAddVerify,
  acFtpWrite,
  acFtpRead,
  acScan,
  acZipCopy,
  acSegmentCopy,
  acPrepare
};

// A manual-reset event that lets another thread pause a running stream operation: the operation
// waits for the event to be set before each buffer.
class TPauseEvent {
public:
  explicit TPauseEvent(bool initiallySet = true) : FSet(initiallySet) {}
  void Set();
  void Reset();
  bool IsSet() const;
  // Waits up to timeoutMs for the event; true when it is set.
  bool Wait(int timeoutMs);

private:
  mutable QMutex FLock;
  QWaitCondition FCond;
  bool FSet;
};

// Answers true when the running operation should stop.
using TCancelFunction = std::function<bool()>;
// (action, speed limit as passed by the caller, bytes done so far)
using TProgressEvent = std::function<void(TFileAction, int, qint64)>;

struct TCryptContext;

class TCrypt {
public:
  static constexpr int MaxPasswordLength = 128;
  static constexpr int DefaultBufSize = 64 * 1024;

  // Keeps the first 128 bytes of password; mode 1..3 fixes the AES key size (128, 192, 256 bits),
  // any other value chooses it by the pass phrase's length.
  TCrypt(const QByteArray &password, int mode = 0, int bufSize = DefaultBufSize);
  ~TCrypt();
  TCrypt(const TCrypt &) = delete;
  TCrypt &operator=(const TCrypt &) = delete;

  int KeyMode() const { return FMode; }
  void SetKeyMode(int mode);
  bool FixedKey() const { return FFixedKey; }

  int GetHeaderSize() const; // salt + verifier
  static int GetTrailerSize() { return 10; }

protected:
  // Derives AES key, HMAC key and verifier from the pass phrase and salt, and resets the counter.
  bool InitKey(const unsigned char *salt, unsigned char verifier[2]);
  bool Encipher(unsigned char *data, qsizetype n); // key stream XOR, then HMAC over the result
  bool Decipher(unsigned char *data, qsizetype n); // HMAC over the input, then key stream XOR
  bool FinishMac(unsigned char code[10]);
  int SaltSize() const;

  int FMode = 1;
  bool FFixedKey = false;
  std::unique_ptr<TCryptContext> FCryptCtx;
  unsigned char FPwd[MaxPasswordLength] = {};
  int FPwdLen = 0;
  int CBufSize;
  std::unique_ptr<unsigned char[]> CBuffer;
  TPauseEvent *FEvent = nullptr;

private:
  bool KeyStreamXor(unsigned char *data, qsizetype n);
};

class TEncryption : public TCrypt {
public:
  using TCrypt::TCrypt;

  // Not owned; when set, processing waits for it before every buffer (and still obeys cancel).
  TPauseEvent *Event() const { return FEvent; }
  void SetEvent(TPauseEvent *event) { FEvent = event; }
  void SetOnProgress(TProgressEvent handler) { FOnProgress = std::move(handler); }

  // Reads sSource to its end and writes header, enciphered data and trailer to sDest.
  TOpResult EncryptStreamEx(QIODevice *sSource, QIODevice *sDest, const TCancelFunction &cancel = {},
                            int speedLimit = 0);
  bool EncryptStream(QIODevice *sSource, QIODevice *sDest, int speedLimit = 0) {
    return EncryptStreamEx(sSource, sDest, {}, speedLimit) == orOk;
  }
  // Reads sLength enciphered bytes (header and trailer included) from sSource. sDest may be null:
  // then the data are only checked. On an authentication failure the data already written stay
  // in sDest, so callers that care write to a temporary place first.
  TOpResult DecryptStreamEx(QIODevice *sSource, QIODevice *sDest, const TCancelFunction &cancel,
                            int speedLimit, qint64 sLength);
  bool DecryptStream(QIODevice *sSource, QIODevice *sDest, int speedLimit, qint64 sLength) {
    return DecryptStreamEx(sSource, sDest, {}, speedLimit, sLength) == orOk;
  }

private:
  TOpResult WaitForEvent(const TCancelFunction &cancel);
  void Progress(TFileAction action, int speedLimit, qint64 done) {
    if (FOnProgress)
      FOnProgress(action, speedLimit, done);
  }
  TProgressEvent FOnProgress;
};

// Text forms of binary data. The decoders return false for anything that is not well-formed,
// so a damaged text never turns into bytes silently.
QString Ascii85Encode(const QByteArray &data);
bool Ascii85Decode(QStringView text, QByteArray &data);
QString HexEncode(const QByteArray &data);
QByteArray HexDecode(QStringView text); // a pair that is not hexadecimal gives 0

// Enciphers text (cut to padLength bytes, then padded with random printable bytes to padLength)
// with key and returns it as Ascii85 or hexadecimal text; an empty key stores the padded plain
// text. An empty text gives an empty result.
QString EncryptString(const QByteArray &key, const QByteArray &text, int padLength, bool asHex = false);
// The reverse; empty for an empty, damaged or wrongly keyed text.
QByteArray DecryptString(const QByteArray &key, QStringView text, bool asHex = false);
// Builds a pass phrase from its scrambled hexadecimal form; empty for an empty input.
QByteArray KeyTextFromHex(QStringView hexText);
