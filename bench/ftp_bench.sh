#!/bin/sh
# FTP upload benchmark: installs what it needs when missing (curl and lftp as the peers, vsftpd and
# pyftpdlib as the servers), builds bench_ftp in its own build folder and runs it. Needs root
# (apt-get, and vsftpd wants a real local account). Options go to bench_ftp (--help lists them);
# QM_BENCH_BUILD chooses the build folder (default: build-bench in the source tree).
set -eu
SRC=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QM_BENCH_BUILD:-$SRC/build-bench}

need=
command -v curl >/dev/null 2>&1 || need="$need curl"
command -v lftp >/dev/null 2>&1 || need="$need lftp"
[ -x /usr/sbin/vsftpd ] || need="$need vsftpd"
/usr/bin/python3 -c "import pyftpdlib, OpenSSL" >/dev/null 2>&1 ||
  need="$need python3-pyftpdlib python3-openssl"
if [ -n "$need" ]; then
  echo "installing:$need"
  # shellcheck disable=SC2086 # one word per package
  timeout 900 apt-get install -y $need ||
    { timeout 900 apt-get update && timeout 900 apt-get install -y $need; }
fi

launcher=
command -v ccache >/dev/null 2>&1 && launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
cmake -S "$SRC" -B "$BUILD" -G Ninja -DQUILLMARK_BENCH=ON $launcher >/dev/null
cmake --build "$BUILD" --target bench_ftp
# The benchmark bounds its own waits; this only catches a hang of the whole run.
exec timeout 3600 "$BUILD/bin/bench_ftp" "$@"
