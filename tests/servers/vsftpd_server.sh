#!/bin/sh
# Test FTP server on 127.0.0.1 built on vsftpd, in the foreground (background=NO).
# Usage: vsftpd_server.sh plain|explicit|implicit
# Prints "ROOT=<dir>", "USER=<name>", "PASSWORD=<pw>", "PORT=<port>" and "READY" once the port
# answers, then waits for vsftpd. Run it in its own process group and stop the group; the
# temporary folder is removed on SIGTERM/SIGINT. Needs root (vsftpd checks a real local user).
set -eu
MODE=${1:-explicit}
FTPUSER=${QM_FTP_USER:-ftpuser}
FTPPASS=${QM_FTP_PASSWORD:-secret}
PY=/usr/bin/python3

VSFTPD=$(command -v vsftpd || echo /usr/sbin/vsftpd)
[ -x "$VSFTPD" ] || { echo "ERROR=vsftpd is not installed"; exit 2; }
[ "$(id -u)" = 0 ] || { echo "ERROR=vsftpd needs root"; exit 2; }

if ! id "$FTPUSER" >/dev/null 2>&1; then
  useradd --create-home --shell /bin/sh "$FTPUSER" >/dev/null 2>&1 || { echo "ERROR=useradd failed"; exit 2; }
fi
echo "$FTPUSER:$FTPPASS" | chpasswd || { echo "ERROR=chpasswd failed"; exit 2; }
grep -qx /bin/sh /etc/shells 2>/dev/null || echo /bin/sh >>/etc/shells
mkdir -p /var/run/vsftpd/empty

TMP=$(mktemp -d /tmp/qm-vsftpd-XXXXXX)
chmod 0755 "$TMP"
ROOT="$TMP/home"
mkdir -p "$ROOT"
chown "$FTPUSER" "$ROOT"
chmod 0755 "$ROOT"
VPID=
cleanup() {
  if [ -n "$VPID" ]; then kill "$VPID" 2>/dev/null || true; fi
  rm -rf "$TMP"
}
trap 'cleanup; exit 0' TERM INT HUP
trap cleanup EXIT

# A free control port and a free run of 100 passive ports (asked from the kernel, then released):
# a fast client sending thousands of small files goes through a short run faster than the ports
# it used become free again, and the server then ends the session.
set -- $($PY - <<'PYEOF'
import socket
def free():
    s = socket.socket(); s.bind(("127.0.0.1", 0)); p = s.getsockname()[1]; s.close(); return p
ctl = free()
for _ in range(200):
    base = free()
    if base + 100 >= 65535 or base <= ctl <= base + 100:
        continue
    ok = True
    for p in range(base, base + 100):
        s = socket.socket()
        try:
            s.bind(("127.0.0.1", p))
        except OSError:
            ok = False
        s.close()
        if not ok:
            break
    if ok:
        print(ctl, base, base + 99)
        break
PYEOF
)
if [ $# -lt 3 ]; then
  echo "ERROR=no free run of passive ports on 127.0.0.1"
  exit 2
fi
PORT=$1 PMIN=$2 PMAX=$3

CONF="$TMP/vsftpd.conf"
cat >"$CONF" <<CONFEOF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$PORT
background=NO
anonymous_enable=NO
local_enable=YES
write_enable=YES
local_umask=022
chroot_local_user=YES
allow_writeable_chroot=YES
local_root=$ROOT
pam_service_name=vsftpd
seccomp_sandbox=NO
connect_from_port_20=NO
port_enable=YES
pasv_enable=YES
pasv_address=127.0.0.1
pasv_min_port=$PMIN
pasv_max_port=$PMAX
mdtm_write=YES
use_localtime=NO
xferlog_enable=NO
secure_chroot_dir=/var/run/vsftpd/empty
CONFEOF
if [ "$MODE" != plain ]; then
  openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=localhost" \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
    -keyout "$TMP/key.pem" -out "$TMP/cert.pem" >/dev/null 2>&1
  cat >>"$CONF" <<CONFEOF
ssl_enable=YES
rsa_cert_file=$TMP/cert.pem
rsa_private_key_file=$TMP/key.pem
force_local_logins_ssl=YES
force_local_data_ssl=YES
require_ssl_reuse=YES
ssl_ciphers=HIGH
CONFEOF
  [ "$MODE" = implicit ] && echo "implicit_ssl=YES" >>"$CONF"
fi

"$VSFTPD" "$CONF" &
VPID=$!
i=0
while ! $PY -c "import socket,sys; socket.create_connection(('127.0.0.1',$PORT),0.2).close()" 2>/dev/null; do
  i=$((i + 1))
  if [ $i -gt 50 ] || ! kill -0 $VPID 2>/dev/null; then
    echo "ERROR=vsftpd did not start"
    cleanup
    exit 2
  fi
  sleep 0.1
done
echo "ROOT=$ROOT"
echo "USER=$FTPUSER"
echo "PASSWORD=$FTPPASS"
echo "PORT=$PORT"
echo "READY"
wait $VPID || true
cleanup
