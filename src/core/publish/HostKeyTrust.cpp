#include "core/publish/HostKeyTrust.h"

#include "core/common/Translate.h"

TCertJudgement JudgeHostKey(const QString &stored, const QString &presented, const QString &server) {
  // Base64 is case-sensitive: the fingerprints are compared exactly, blanks aside.
  const QString s = stored.trimmed(), p = presented.trimmed();
  if (p.isEmpty())
    return {cvRefuse, FormatS(_("The server %s presented no key that could be checked."), {server})};
  if (s.isEmpty())
    return {cvAsk, {}};
  if (s == p)
    return {cvAccept, {}};
  return {cvRefuse,
          FormatS(_("WARNING: the key of server %s has changed. Trusted for this project: %s; presented now: "
                    "%s. The connection was refused. If the server's key was replaced on purpose, remove "
                    "HostKeyFingerprint from the project file to trust the new one."),
                  {server, s, p})};
}

QString HostKeyQuestion(const QString &server, const QString &fingerprint) {
  return FormatS(_("The server %s is not known yet.\r\n\r\nIts key fingerprint is:\r\n%s\r\n\r\n"
                   "Compare it with the one your host gives. Trust this key for this project?"),
                 {server, fingerprint});
}
