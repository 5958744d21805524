#pragma once
// Trust on first use for SFTP servers: the first connection shows the server's key fingerprint
// and the user may trust it for the project; a different key later is refused rather than asked
// about again, as it may mean someone is in between.
#include "core/publish/CertTrust.h" // TCertVerdict, TCertJudgement

#include <QString>

// stored: the fingerprint kept in the project ("" when none was trusted yet); presented: the
// server's now ("SHA256:..."); server: host:port for the texts.
TCertJudgement JudgeHostKey(const QString &stored, const QString &presented, const QString &server);

// The question put to the user for cvAsk.
QString HostKeyQuestion(const QString &server, const QString &fingerprint);
