// Trust on first use for FTP servers whose TLS certificate does not verify (typically a
// self-signed one): the user may trust it once for the project, and a different certificate
// later is refused rather than asked about again, as it may mean someone is in between.
#pragma once

#include "core/publish/FtpUtils.h"

#include <QString>

enum TCertVerdict { cvAccept, cvAsk, cvRefuse };

struct TCertJudgement {
  TCertVerdict Verdict = cvRefuse;
  QString Warning; // for cvRefuse: what the user is told and the log gets
};

// stored: the fingerprint kept in the project ("" when none was trusted yet).
TCertJudgement JudgeCertificate(const QString &stored, const TCerticateInfo &cert);

// The question put to the user for cvAsk: fingerprint, subject, issuer and validity.
QString CertificateQuestion(const TCerticateInfo &cert);
