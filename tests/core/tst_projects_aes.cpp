// The stream cipher and the password text forms. Interoperation with the published ZIP AES scheme
// is checked against an independent implementation in tests/tools/zipaes.py.
#include "core/projects/AesLib.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {
QByteArray RandomBytes(qsizetype n, quint32 seed) {
  QRandomGenerator gen(seed);
  QByteArray b(n, '\0');
  for (char &c : b)
    c = char(gen.bounded(256));
  return b;
}

QByteArray Encrypt(const QByteArray &pwd, int mode, const QByteArray &plain, int bufSize = 4096) {
  QByteArray in = plain, out;
  QBuffer src(&in), dst(&out);
  src.open(QIODevice::ReadOnly);
  dst.open(QIODevice::WriteOnly);
  TEncryption enc(pwd, mode, bufSize);
  if (enc.EncryptStreamEx(&src, &dst) != orOk)
    return {};
  return out;
}

TOpResult Decrypt(const QByteArray &pwd, int mode, QByteArray stream, QByteArray &plain, int bufSize = 4096,
                  qint64 sLength = -1) {
  plain.clear();
  QBuffer src(&stream), dst(&plain);
  src.open(QIODevice::ReadOnly);
  dst.open(QIODevice::WriteOnly);
  TEncryption enc(pwd, mode, bufSize);
  return enc.DecryptStreamEx(&src, &dst, {}, 0, sLength < 0 ? stream.size() : sLength);
}

int RunZipAes(const QStringList &args) {
  QProcess p;
  p.start(QStringLiteral("/usr/bin/python3"),
          QStringList{QStringLiteral(TEST_SOURCE_DIR "/tests/tools/zipaes.py")} + args);
  if (!p.waitForFinished(60000)) {
    qWarning() << "zipaes.py did not finish" << p.errorString();
    return -1;
  }
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() == 1)
    qWarning().noquote() << p.readAllStandardError();
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool WriteFile(const QString &name, const QByteArray &data) {
  QFile f(name);
  return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray ReadFile(const QString &name) {
  QFile f(name);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A pass phrase whose last byte is not ASCII, so that byte handling is part of the check.
const QByteArray Phrase = QByteArrayLiteral("s3;\"#=\\z\xE9");
} // namespace

class TestProjectsAes : public QObject {
  Q_OBJECT
private slots:
  void keyMode_data();
  void keyMode();
  void streamRoundTrip_data();
  void streamRoundTrip();
  void zipInterop_data();
  void zipInterop();
  void streamRejects_data();
  void streamRejects();
  void cancelAndPause();
  void ascii85_data();
  void ascii85();
  void ascii85Rejects_data();
  void ascii85Rejects();
  void encryptString_data();
  void encryptString();
  void decryptStringRejects_data();
  void decryptStringRejects();
  void decryptStringFuzz();
  void keyTextFromHex_data();
  void keyTextFromHex();
};

void TestProjectsAes::keyMode_data() {
  QTest::addColumn<int>("phraseLength");
  QTest::addColumn<int>("requested");
  QTest::addColumn<int>("mode");
  QTest::addColumn<bool>("fixed");
  QTest::newRow("31 chars auto") << 31 << 0 << 1 << false;
  QTest::newRow("32 chars auto") << 32 << 0 << 2 << false;
  QTest::newRow("47 chars auto") << 47 << 0 << 2 << false;
  QTest::newRow("48 chars auto") << 48 << 0 << 3 << false;
  QTest::newRow("200 chars auto") << 200 << 0 << 3 << false;
  QTest::newRow("out of range is auto") << 10 << 4 << 1 << false;
  QTest::newRow("fixed 3 with short phrase") << 5 << 3 << 3 << true;
  QTest::newRow("fixed 1 with long phrase") << 60 << 1 << 1 << true;
}

void TestProjectsAes::keyMode() {
  QFETCH(int, phraseLength);
  QFETCH(int, requested);
  QFETCH(int, mode);
  QFETCH(bool, fixed);
  TEncryption enc(QByteArray(phraseLength, 'k'), requested);
  QCOMPARE(enc.KeyMode(), mode);
  QCOMPARE(enc.FixedKey(), fixed);
  QCOMPARE(enc.GetHeaderSize(), 4 + 4 * mode + 2);
  QCOMPARE(TCrypt::GetTrailerSize(), 10);
  QCOMPARE(Encrypt(QByteArray(phraseLength, 'k'), requested, "abc").size(), enc.GetHeaderSize() + 3 + 10);
}

void TestProjectsAes::streamRoundTrip_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<int>("size");
  QTest::addColumn<int>("encBuf");
  QTest::addColumn<int>("decBuf");
  // Buffer sizes that cut the key stream in the middle of a block on either side.
  QTest::newRow("empty") << 1 << 0 << 4096 << 4096;
  QTest::newRow("one byte") << 1 << 1 << 4096 << 4096;
  QTest::newRow("block minus one, tiny buffers") << 2 << 15 << 16 << 17;
  QTest::newRow("block plus one") << 3 << 17 << 4096 << 16;
  QTest::newRow("exactly one buffer") << 1 << 4096 << 4096 << 1000;
  QTest::newRow("many odd pieces") << 2 << 100003 << 1000 << 4099;
  QTest::newRow("more than one batch") << 3 << 70001 << 65536 << 333;
}

void TestProjectsAes::streamRoundTrip() {
  QFETCH(int, mode);
  QFETCH(int, size);
  QFETCH(int, encBuf);
  QFETCH(int, decBuf);
  const QByteArray plain = RandomBytes(size, quint32(size + mode));

  QByteArray in = plain, stream;
  QBuffer src(&in), dst(&stream);
  src.open(QIODevice::ReadOnly);
  dst.open(QIODevice::WriteOnly);
  TEncryption enc(Phrase, mode, encBuf);
  QList<qint64> reported;
  enc.SetOnProgress([&](TFileAction a, int speed, qint64 done) {
    QCOMPARE(a, acEncrypt);
    QCOMPARE(speed, 77);
    reported << done;
  });
  QCOMPARE(enc.EncryptStreamEx(&src, &dst, {}, 77), orOk);
  QCOMPARE(stream.size(), enc.GetHeaderSize() + size + 10);
  QCOMPARE(reported.last(), qint64(size));
  QCOMPARE(reported.size(), size / encBuf + 1);
  // Counter mode: the data part is as long as the input and not the input itself.
  if (size > 0)
    QVERIFY(stream.mid(enc.GetHeaderSize(), size) != plain);

  QByteArray back;
  QCOMPARE(Decrypt(Phrase, mode, stream, back, decBuf), orOk);
  QCOMPARE(back, plain);
  // Without a destination the stream is only checked.
  QBuffer check(&stream);
  check.open(QIODevice::ReadOnly);
  TEncryption dec(Phrase, mode, decBuf);
  QCOMPARE(dec.DecryptStreamEx(&check, nullptr, {}, 0, stream.size()), orOk);
}

void TestProjectsAes::zipInterop_data() {
  QTest::addColumn<int>("mode");
  QTest::addColumn<int>("size");
  QTest::newRow("AES-128 empty") << 1 << 0;
  QTest::newRow("AES-128 odd size") << 1 << 4097;
  QTest::newRow("AES-192 one block") << 2 << 16;
  QTest::newRow("AES-256 large") << 3 << 70001;
}

void TestProjectsAes::zipInterop() {
  QFETCH(int, mode);
  QFETCH(int, size);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString hexPwd = QString::fromLatin1(Phrase.toHex());
  const QString mode_ = QString::number(mode);
  const QByteArray plain = RandomBytes(size, 4711u + quint32(size));
  const QString plainFile = dir.filePath("plain"), ours = dir.filePath("ours"),
                theirs = dir.filePath("theirs"), out = dir.filePath("out");
  QVERIFY(WriteFile(plainFile, plain));

  // Ours -> independent implementation, as raw entry data and inside AE-1 and AE-2 archives.
  const QByteArray stream = Encrypt(Phrase, mode, plain, 1000);
  QVERIFY(WriteFile(ours, stream));
  QCOMPARE(RunZipAes({"decrypt", mode_, hexPwd, ours, out}), 0);
  QCOMPARE(ReadFile(out), plain);
  for (const char *version : {"1", "2"}) {
    const QString zip = dir.filePath(QStringLiteral("ae%1.zip").arg(version));
    QCOMPARE(RunZipAes({"zip", mode_, version, ours, plainFile, zip}), 0);
    QVERIFY(QFile::remove(out));
    QCOMPARE(RunZipAes({"unzip", hexPwd, zip, out}), 0);
    QCOMPARE(ReadFile(out), plain);
  }
  // The independent side notices a wrong password and a changed byte, so the checks above mean
  // something.
  QCOMPARE(RunZipAes({"decrypt", mode_, QStringLiteral("00"), ours, out}), 2);
  QByteArray altered = stream;
  altered[altered.size() - 1] = char(altered[altered.size() - 1] ^ 1);
  QVERIFY(WriteFile(ours, altered));
  QCOMPARE(RunZipAes({"decrypt", mode_, hexPwd, ours, out}), 3);

  // Independent implementation -> ours.
  QCOMPARE(RunZipAes({"encrypt", mode_, hexPwd, plainFile, theirs}), 0);
  QByteArray back;
  QCOMPARE(Decrypt(Phrase, mode, ReadFile(theirs), back, 777), orOk);
  QCOMPARE(back, plain);
}

void TestProjectsAes::streamRejects_data() {
  QTest::addColumn<QString>("damage");
  QTest::addColumn<bool>("writesNothing");
  QTest::newRow("wrong password") << "password" << true;
  QTest::newRow("wrong key mode") << "mode" << true;
  QTest::newRow("changed data byte") << "data" << false;
  QTest::newRow("changed authentication code") << "code" << false;
  QTest::newRow("trailer cut off") << "cut" << false;
  QTest::newRow("announced length beyond the data") << "long" << false;
  QTest::newRow("shorter than header and trailer") << "tiny" << true;
  QTest::newRow("empty stream") << "empty" << true;
}

void TestProjectsAes::streamRejects() {
  QFETCH(QString, damage);
  QFETCH(bool, writesNothing);
  const QByteArray plain = RandomBytes(300, 9);
  QByteArray stream = Encrypt(Phrase, 1, plain);
  QByteArray pwd = Phrase;
  int mode = 1;
  qint64 sLength = -1;
  if (damage == "password")
    pwd = "other";
  else if (damage == "mode")
    mode = 2;
  else if (damage == "data")
    stream[20] = char(stream[20] ^ 0x40);
  else if (damage == "code")
    stream[stream.size() - 3] = char(stream[stream.size() - 3] + 1);
  else if (damage == "cut")
    stream.chop(10);
  else if (damage == "long")
    sLength = stream.size() + 5;
  else if (damage == "tiny")
    stream = stream.left(19);
  else if (damage == "empty")
    stream.clear();
  QByteArray out;
  QCOMPARE(Decrypt(pwd, mode, stream, out, 4096, sLength), orError);
  if (writesNothing)
    QVERIFY(out.isEmpty());
}

void TestProjectsAes::cancelAndPause() {
  const QByteArray plain = RandomBytes(10000, 3);
  {
    // Cancel after the first buffer: what was done so far stays in the destination.
    QByteArray in = plain, out;
    QBuffer src(&in), dst(&out);
    src.open(QIODevice::ReadOnly);
    dst.open(QIODevice::WriteOnly);
    TEncryption enc(Phrase, 0, 1000);
    int calls = 0;
    QCOMPARE(enc.EncryptStreamEx(&src, &dst, [&] { return ++calls == 1; }), orUserBreak);
    QCOMPARE(out.size(), enc.GetHeaderSize() + 1000);
  }
  {
    // A paused operation waits for the event and goes on when another thread sets it.
    const QByteArray stream = Encrypt(Phrase, 1, plain);
    QByteArray in = stream, out;
    QBuffer src(&in), dst(&out);
    src.open(QIODevice::ReadOnly);
    dst.open(QIODevice::WriteOnly);
    TPauseEvent event(false);
    TEncryption dec(Phrase, 1, 4096);
    dec.SetEvent(&event);
    QThread *resumer = QThread::create([&] {
      QThread::msleep(150);
      event.Set();
    });
    QElapsedTimer t;
    t.start();
    resumer->start();
    QCOMPARE(dec.DecryptStreamEx(&src, &dst, {}, 0, stream.size()), orOk);
    QVERIFY(t.elapsed() >= 100);
    resumer->wait();
    delete resumer;
    QCOMPARE(out, plain);
  }
  {
    // Cancelling works while paused.
    QByteArray in = plain, out;
    QBuffer src(&in), dst(&out);
    src.open(QIODevice::ReadOnly);
    dst.open(QIODevice::WriteOnly);
    TPauseEvent event(false);
    TEncryption enc(Phrase, 0, 4096);
    enc.SetEvent(&event);
    QElapsedTimer t;
    t.start();
    QCOMPARE(enc.EncryptStreamEx(&src, &dst, [&] { return t.elapsed() > 100; }), orUserBreak);
  }
}

void TestProjectsAes::ascii85_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("text");
  QTest::newRow("one group") << QByteArray("Man ") << "9jqo^";
  QTest::newRow("zero group is z") << QByteArray(4, '\0') << "z";
  QTest::newRow("zeros inside a short group are not z") << QByteArray(3, '\0') << "!!!!";
  QTest::newRow("one byte") << QByteArray("\xFF") << "rr";
  QTest::newRow("largest group") << QByteArray(4, '\xFF') << "s8W-!";
  QTest::newRow("group, z, tail") << QByteArray("Man \0\0\0\0su", 10) << "9jqo^zF*.";
}

void TestProjectsAes::ascii85() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, text);
  QCOMPARE(Ascii85Encode(bytes), text);
  QByteArray back;
  QVERIFY(Ascii85Decode(text, back));
  QCOMPARE(back, bytes);
  QCOMPARE(HexDecode(HexEncode(bytes)), bytes);
}

void TestProjectsAes::ascii85Rejects_data() {
  QTest::addColumn<QString>("text");
  QTest::newRow("character after u") << "9jqo^v";
  QTest::newRow("tilde") << "9jq~o";
  QTest::newRow("control character") << QStringLiteral("9j\x01qo");
  QTest::newRow("non-Latin") << QStringLiteral("9jq\u00e9o");
  QTest::newRow("z inside a group") << "9jzqo";
  QTest::newRow("single last character") << "9jqo^9";
  QTest::newRow("group above 32 bits") << "uuuuu";
  QTest::newRow("short group above 32 bits") << "uuu";
}

void TestProjectsAes::ascii85Rejects() {
  QFETCH(QString, text);
  QByteArray out;
  QVERIFY(!Ascii85Decode(text, out));
}

void TestProjectsAes::encryptString_data() {
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<bool>("asHex");
  QTest::addColumn<int>("textLength");
  QTest::addColumn<QByteArray>("expected");
  QTest::newRow("one character") << QByteArray("x") << false << 105 << QByteArray("x");
  QTest::newRow("63 characters") << QByteArray(63, 'p') << false << 105 << QByteArray(63, 'p');
  QTest::newRow("quotes and backslash")
      << QByteArray("s3;\"#=\\z") << false << 105 << QByteArray("s3;\"#=\\z");
  QTest::newRow("64 characters, no padding") << QByteArray(64, 'q') << false << 107 << QByteArray(64, 'q');
  QTest::newRow("70 characters are cut to 64") << QByteArray(70, 'r') << false << 107 << QByteArray(64, 'r');
  QTest::newRow("hexadecimal form") << QByteArray("pw") << true << 168 << QByteArray("pw");
}

void TestProjectsAes::encryptString() {
  QFETCH(QByteArray, text);
  QFETCH(bool, asHex);
  QFETCH(int, textLength);
  QFETCH(QByteArray, expected);
  const QString a = EncryptString(Phrase, text, 64, asHex);
  const QString b = EncryptString(Phrase, text, 64, asHex);
  // A zero group would shorten the Ascii85 text; it has a chance of about 1 in 2^27 here.
  QCOMPARE(a.size(), textLength);
  QVERIFY(a != b); // fresh salt and padding each time
  QCOMPARE(DecryptString(Phrase, a, asHex), expected);
  QCOMPARE(DecryptString(Phrase, b, asHex), expected);
  QVERIFY(DecryptString("other", a, asHex).isEmpty());
}

void TestProjectsAes::decryptStringRejects_data() {
  QTest::addColumn<QByteArray>("key");
  QTest::addColumn<QString>("text");
  const QString good = EncryptString(Phrase, "secret", 64, false);
  QString altered = good;
  altered[50] = altered[50] == u'A' ? u'B' : u'A';
  QTest::newRow("empty") << Phrase << QString();
  QTest::newRow("one character changed") << Phrase << altered;
  QTest::newRow("truncated") << Phrase << good.left(100);
  QTest::newRow("only the header") << Phrase << good.left(15);
  QTest::newRow("not Ascii85") << Phrase << QString(good).replace(10, 1, u'~');
  QTest::newRow("wrong key") << QByteArray("other") << good;
  // Without a key the length prefix is all there is; these claim more bytes than follow.
  QTest::newRow("one-byte length beyond the data") << QByteArray()
                                                   << Ascii85Encode(QByteArray("\x30"
                                                                               "abc"));
  QTest::newRow("two-byte length beyond the data") << QByteArray()
                                                   << Ascii85Encode(QByteArray("\x01\x00"
                                                                               "ab",
                                                                               4));
  QTest::newRow("two-byte length without its second byte")
      << QByteArray() << Ascii85Encode(QByteArray("\x05"));
}

void TestProjectsAes::decryptStringRejects() {
  QFETCH(QByteArray, key);
  QFETCH(QString, text);
  QVERIFY(DecryptString(key, text).isEmpty());
}

void TestProjectsAes::decryptStringFuzz() {
  // Random damage to a stored text must give the password or nothing, never garbage or a crash.
  const QByteArray pwd = "s3;\"#=\\z";
  const QString good = EncryptString(Phrase, pwd, 64, false);
  QRandomGenerator gen(20261210);
  for (int round = 0; round < 2000; ++round) {
    QString t = good;
    const int edits = 1 + int(gen.bounded(3));
    for (int e = 0; e < edits && !t.isEmpty(); ++e) {
      const int at = int(gen.bounded(t.size()));
      switch (gen.bounded(4)) {
      case 0:
        t[at] = QChar(char16_t(gen.bounded(32, 127)));
        break;
      case 1:
        t.remove(at, 1);
        break;
      case 2:
        t.insert(at, QChar(char16_t(gen.bounded(32, 127))));
        break;
      default:
        t.truncate(at);
      }
    }
    const QByteArray r = DecryptString(Phrase, t);
    QVERIFY2(r.isEmpty() || r == pwd, qPrintable(t));
    // Keyless texts exercise the length prefix on arbitrary bytes.
    const QByteArray noise = RandomBytes(gen.bounded(0, 12), quint32(round));
    QVERIFY(DecryptString({}, Ascii85Encode(noise)).size() <= noise.size());
    QVERIFY(DecryptString({}, HexEncode(noise), true).size() <= noise.size());
  }
}

void TestProjectsAes::keyTextFromHex_data() {
  QTest::addColumn<QString>("hex");
  QTest::addColumn<QByteArray>("phrase");
  // Made by spreading [4, 'P', 'a', 's', 's'] over nibbles and scrambling, the reverse way.
  QTest::newRow("short phrase") << "FF0B0857FA0D2867F80C" << QByteArray("Pass");
  QTest::newRow("lower-case digits") << "ff0b0857fa0d2867f80c" << QByteArray("Pass");
  QTest::newRow("full key string") << "F00B28B7F50C28B7F50C28B7F50C28B7F50C28B7F50C28B7"
                                   << QByteArray(11, '~');
  QTest::newRow("length beyond the data is cut") << "F00B28B7F50C" << QByteArray(2, '~');
  QTest::newRow("odd digit ignored") << "FF0B0857FA0D2867F80C5" << QByteArray("Pass");
  QTest::newRow("empty") << "" << QByteArray();
  QTest::newRow("one byte") << "FF" << QByteArray();
}

void TestProjectsAes::keyTextFromHex() {
  QFETCH(QString, hex);
  QFETCH(QByteArray, phrase);
  QCOMPARE(KeyTextFromHex(hex), phrase);
}

QTEST_GUILESS_MAIN(TestProjectsAes)
#include "tst_projects_aes.moc"
