#include "core/publish/CertTrust.h"

#include "core/common/Translate.h"

namespace {
// Fingerprints are compared as hex digits only, so "AB:CD" and "abcd" are the same.
QString Digits(const QString &fingerprint) {
  QString out;
  for (QChar c : fingerprint)
    if (c.isLetterOrNumber())
      out += c.toUpper();
  return out;
}

QString DateText(const QDateTime &t) {
  return t.isValid() ? t.toString(Qt::ISODate) : QStringLiteral("?");
}
} // namespace

TCertJudgement JudgeCertificate(const QString &stored, const TCerticateInfo &cert) {
  if (cert.Verified)
    return {cvAccept, {}};
  const QString presented = Digits(cert.Fingerprint);
  if (presented.isEmpty())
    return {cvRefuse, _("The server presented no certificate that could be checked.")};
  if (Digits(stored).isEmpty())
    return {cvAsk, {}};
  if (Digits(stored) == presented)
    return {cvAccept, {}};
  return {cvRefuse,
          _("WARNING: the certificate of %1 has changed. Trusted for this project: %2; presented now: "
            "%3. The connection was refused. If the server's certificate was replaced on purpose, remove "
            "CertFingerprint from the project file to trust the new one.")
              .arg(cert.Server, stored, cert.Fingerprint)};
}

QString CertificateQuestion(const TCerticateInfo &cert) {
  return _("The certificate of %1 could not be verified.\r\n\r\nSHA-256 fingerprint: %2\r\nSubject: %3\r\n"
           "Issuer: %4\r\nValid from %5 until %6\r\n\r\nTrust this certificate for this project?")
      .arg(cert.Server, cert.Fingerprint, cert.Subject, cert.Issuer, DateText(cert.ValidFrom),
           DateText(cert.ValidUntil));
}
