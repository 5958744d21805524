#!/bin/sh
# Test SFTP server on 127.0.0.1: OpenSSH's sshd in the foreground with its own host key,
# configuration file and a local test user who may log in with a password or a key. The user
# gets SFTP only, starting in ROOT.
# Prints "ROOT=<dir>", "USER=<name>", "PASSWORD=<pw>", "KEY=<private key, no pass phrase>",
# "PKEY=<private key with pass phrase>", "PHRASE=<its pass phrase>", "FINGERPRINT=SHA256:...",
# "PORT=<port>" and "READY" once the port answers, then waits for sshd. Run it in its own
# process group and stop the group; the temporary folder is removed on SIGTERM/SIGINT.
# Needs root (sshd changes to the test user).
set -eu
SSHUSER=${QM_SSH_USER:-sftpuser}
SSHPASS=${QM_SSH_PASSWORD:-secret}
PHRASE=${QM_SSH_PHRASE:-key phrase}
PY=/usr/bin/python3
SSHD=/usr/sbin/sshd

[ -x "$SSHD" ] || { echo "ERROR=openssh-server is not installed"; exit 2; }
[ "$(id -u)" = 0 ] || { echo "ERROR=sshd needs root"; exit 2; }

if ! id "$SSHUSER" >/dev/null 2>&1; then
  useradd --create-home --shell /bin/sh "$SSHUSER" >/dev/null 2>&1 || { echo "ERROR=useradd failed"; exit 2; }
fi
echo "$SSHUSER:$SSHPASS" | chpasswd || { echo "ERROR=chpasswd failed"; exit 2; }
grep -qx /bin/sh /etc/shells 2>/dev/null || echo /bin/sh >>/etc/shells
# sshd's privilege separation needs this folder.
mkdir -p /run/sshd
chmod 0755 /run/sshd

TMP=$(mktemp -d /tmp/qm-sshd-XXXXXX)
chmod 0755 "$TMP"
ROOT="$TMP/home"
mkdir -p "$ROOT"
chown "$SSHUSER" "$ROOT"
chmod 0755 "$ROOT"
SPID=
cleanup() {
  if [ -n "$SPID" ]; then kill "$SPID" 2>/dev/null || true; fi
  rm -rf "$TMP"
}
trap 'cleanup; exit 0' TERM INT HUP
trap cleanup EXIT

ssh-keygen -q -t ed25519 -N '' -C qm-host -f "$TMP/host_key" >/dev/null
ssh-keygen -q -t ed25519 -N '' -C qm-user -f "$TMP/user_key" >/dev/null
ssh-keygen -q -t ed25519 -N "$PHRASE" -C qm-user2 -f "$TMP/user_key_pw" >/dev/null
cat "$TMP/user_key.pub" "$TMP/user_key_pw.pub" >"$TMP/authorized_keys"
chmod 0644 "$TMP/authorized_keys"
FP=$(ssh-keygen -l -E sha256 -f "$TMP/host_key.pub" | awk '{print $2}')

PORT=$($PY -c "import socket; s=socket.socket(); s.bind(('127.0.0.1',0)); print(s.getsockname()[1]); s.close()")

CONF="$TMP/sshd_config"
cat >"$CONF" <<CONFEOF
Port $PORT
ListenAddress 127.0.0.1
HostKey $TMP/host_key
PidFile $TMP/sshd.pid
UsePAM no
PasswordAuthentication yes
KbdInteractiveAuthentication no
PubkeyAuthentication yes
AuthorizedKeysFile $TMP/authorized_keys
StrictModes no
PermitRootLogin no
AllowUsers $SSHUSER
MaxStartups 100:30:200
MaxAuthTries 10
LogLevel ERROR
Subsystem sftp internal-sftp
ForceCommand internal-sftp -d $ROOT
CONFEOF

"$SSHD" -D -e -f "$CONF" &
SPID=$!
i=0
while ! $PY -c "import socket,sys; socket.create_connection(('127.0.0.1',$PORT),0.2).close()" 2>/dev/null; do
  i=$((i + 1))
  if [ $i -gt 50 ] || ! kill -0 $SPID 2>/dev/null; then
    echo "ERROR=sshd did not start"
    cleanup
    exit 2
  fi
  sleep 0.1
done
echo "ROOT=$ROOT"
echo "USER=$SSHUSER"
echo "PASSWORD=$SSHPASS"
echo "KEY=$TMP/user_key"
echo "PKEY=$TMP/user_key_pw"
echo "PHRASE=$PHRASE"
echo "FINGERPRINT=$FP"
echo "PORT=$PORT"
echo "READY"
wait $SPID || true
cleanup
