// Trusting a server certificate that does not verify: the rule, the key in the project file, and
// connections to pyftpdlib with its self-signed certificate.
#include "../servers/FtpTestServer.h"
#include "core/projects/ProjectInfo.h"
#include "core/publish/CertTrust.h"
#include "core/publish/FtpThread.h"
#include "core/publish/FtpUtils.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(TCertVerdict)

namespace {
const QString FpA = QStringLiteral("AB:CD:EF:01");
const QString FpB = QStringLiteral("12:34:56:78");

TCerticateInfo Cert(const QString &fingerprint, bool verified) {
  TCerticateInfo c;
  c.Server = QStringLiteral("ftp.example.net");
  c.Fingerprint = fingerprint;
  c.Verified = verified;
  return c;
}
} // namespace

class TestPublishCertTrust : public QObject {
  Q_OBJECT
private slots:
  void judge_data();
  void judge();
  void projectKey();
  void selfSignedServer();
};

void TestPublishCertTrust::judge_data() {
  QTest::addColumn<QString>("stored");
  QTest::addColumn<QString>("presented");
  QTest::addColumn<bool>("verified");
  QTest::addColumn<TCertVerdict>("verdict");
  QTest::newRow("verified, nothing stored") << QString() << FpA << true << cvAccept;
  // A certificate that verifies needs no pinning, even when it differs from the stored one.
  QTest::newRow("verified, other stored") << FpB << FpA << true << cvAccept;
  QTest::newRow("unverified, same stored") << FpA << FpA << false << cvAccept;
  QTest::newRow("unverified, same in other spelling")
      << QStringLiteral("abcdef01") << FpA << false << cvAccept;
  QTest::newRow("unverified, nothing stored") << QString() << FpA << false << cvAsk;
  QTest::newRow("unverified, other stored") << FpB << FpA << false << cvRefuse;
  QTest::newRow("unverified, no fingerprint") << FpB << QString() << false << cvRefuse;
  QTest::newRow("unverified, no fingerprint, nothing stored") << QString() << QString() << false << cvRefuse;
}

void TestPublishCertTrust::judge() {
  QFETCH(QString, stored);
  QFETCH(QString, presented);
  QFETCH(bool, verified);
  QFETCH(TCertVerdict, verdict);
  const TCertJudgement j = JudgeCertificate(stored, Cert(presented, verified));
  QCOMPARE(j.Verdict, verdict);
  QCOMPARE(j.Warning.isEmpty(), verdict != cvRefuse);
  if (verdict == cvRefuse && !presented.isEmpty()) {
    // The user must be able to compare both certificates.
    QVERIFY2(j.Warning.contains(stored) && j.Warning.contains(presented), qPrintable(j.Warning));
  }
}

void TestPublishCertTrust::projectKey() {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("site.prj"));
  TProjectInfo p(file);
  p.ProjName = QStringLiteral("site");
  p.TransferMode = tmFtp;
  p.Host = QStringLiteral("127.0.0.1");
  p.Changed = true;
  QVERIFY(WriteProjectFile(p));
  // A project without a trusted certificate writes no key, as older files are.
  QFile f(file);
  QVERIFY(f.open(QIODevice::ReadOnly));
  const QByteArray raw = f.readAll();
  QVERIFY(!QString::fromUtf16(reinterpret_cast<const char16_t *>(raw.constData()), raw.size() / 2)
               .contains(QStringLiteral("CertFingerprint")));
  f.close();
  TProjectInfo back(file);
  QVERIFY(ReadProjectFile(0, back, 0));
  QVERIFY(back.CertFingerprint.isEmpty());

  back.CertFingerprint = FpA;
  back.Changed = true;
  QVERIFY(WriteProjectFile(back));
  TProjectInfo again(file);
  QVERIFY(ReadProjectFile(0, again, 0));
  QCOMPARE(again.CertFingerprint, FpA);
}

void TestPublishCertTrust::selfSignedServer() {
  TTestFtpServer srv;
  QVERIFY2(srv.Start(QStringLiteral("pyftpd"), {QStringLiteral("--mode"), QStringLiteral("explicit")}),
           qPrintable(srv.Error));
  const QList<QSslCertificate> certs = QSslCertificate::fromPath(srv.CertFile);
  QVERIFY(!certs.isEmpty());
  const QString expected =
      QString::fromLatin1(certs.first().digest(QCryptographicHash::Sha256).toHex(':').toUpper());

  auto ftp = std::make_unique<TExtFtp>(QByteArray(), QString(), QString(), QString(), QString());
  TFtpConnectParams params;
  params.Host = QStringLiteral("127.0.0.1");
  params.Port = srv.Port;
  params.Username = srv.User;
  params.Password = srv.Password;
  params.Passive = true;
  params.SecureMode = 2;
  params.TransferTimeout = 10000;
  ftp->SetConnectParams(params);
  ftp->ConnectTimeout = 5000;
  ftp->SetVerifyPeerMode(1);
  TFtpThread thread(std::move(ftp));

  // The program's callback in small: the rule, and "yes" to every question.
  QString stored;
  int asked = 0;
  TCerticateInfo seen;
  auto connectOnce = [&] {
    bool ok = false;
    thread.Run([&](TExtFtp &s) {
      s.SetConfirmCert([&](const TCerticateInfo &cert) {
        seen = cert;
        const TCertJudgement j = JudgeCertificate(stored, cert);
        if (j.Verdict == cvAsk) {
          ++asked;
          stored = cert.Fingerprint;
          return true;
        }
        return j.Verdict == cvAccept;
      });
      ok = s.ConnectWithRetries(1);
      s.Disconnect();
      return 0;
    });
    return ok;
  };

  QVERIFY(connectOnce());
  QCOMPARE(asked, 1);
  QCOMPARE(stored, expected);
  QVERIFY(!seen.Verified);
  QVERIFY(seen.ValidFrom.isValid() && seen.ValidUntil.isValid());
  QVERIFY(!seen.Subject.isEmpty());
  QVERIFY(CertificateQuestion(seen).contains(expected));

  QVERIFY(connectOnce());
  QCOMPARE(asked, 1); // the trusted certificate passes without a question

  stored = FpB; // as if the server had presented another certificate before
  QVERIFY(!connectOnce());
  QCOMPARE(asked, 1);
}

QTEST_GUILESS_MAIN(TestPublishCertTrust)
#include "tst_publish_certtrust.moc"
