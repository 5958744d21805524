#!/usr/bin/env bash
# Runs every benchmark without a user and prints one table: measurement, ours, peer, ratio, target.
# Builds with -DQUILLMARK_BENCH=ON in its own folder (QM_BENCH_BUILD, default build-bench), installs
# the peer tools that are missing (as root, with apt-get), and gives each benchmark a time bound.
# Options: --skip-ftp leaves out the FTP and SFTP uploads (they need root and take several minutes).
# The full output of each benchmark is kept in $QM_BENCH_BUILD/bench-logs/.
set -uo pipefail
SRC=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QM_BENCH_BUILD:-$SRC/build-bench}
export QM_BENCH_BUILD=$BUILD
skip_ftp=0
for a in "$@"; do
  case "$a" in
    --skip-ftp) skip_ftp=1 ;;
    *) echo "usage: $0 [--skip-ftp]" >&2; exit 2 ;;
  esac
done

bash "$SRC/tools/deps.sh" || exit 1
peers=()
for p in recode sed hunspell curl lftp; do
  command -v "$p" >/dev/null 2>&1 || peers+=("$p")
done
if ((${#peers[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "${peers[@]}" ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${peers[@]}"; }
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export CCACHE_BASEDIR=$SRC
cmake -S "$SRC" -B "$BUILD" -G Ninja -DQUILLMARK_BENCH=ON -DQUILLMARK_TESTS=OFF "${launcher[@]}" >/dev/null || exit 1
cmake --build "$BUILD" -j2 || exit 1

logs=$BUILD/bench-logs
rm -rf "$logs"
mkdir -p "$logs"
export QT_QPA_PLATFORM=offscreen
failed=()

# run NAME TIMEOUT COMMAND...: runs one benchmark, its output to the screen and to its log.
run() {
  local name=$1 limit=$2
  shift 2
  echo "== $name"
  timeout --kill-after=10 "$limit" "$@" </dev/null 2>&1 | tee "$logs/$name.log"
  local rc=${PIPESTATUS[0]}
  ((rc == 0)) || { echo "== $name ended with status $rc"; failed+=("$name"); }
}

for exe in "$BUILD"/bin/bench_*; do
  name=$(basename "$exe")
  case "$name" in
    bench_minimal_editor | bench_ftp | bench_sftp) continue ;; # the peer of start-up; FTP and SFTP run below
  esac
  [ -x "$exe" ] && run "$name" 1800 "$exe"
done
run startup 600 env -u QT_QPA_PLATFORM xvfb-run -a /usr/bin/python3 "$SRC/bench/startup.py" \
  "$BUILD/bin/Velmo" "$BUILD/bin/bench_minimal_editor"
if ((!skip_ftp)); then
  run ftp 3600 sh "$SRC/bench/ftp_bench.sh"
  run bench_sftp 1800 "$BUILD/bin/bench_sftp"
fi

echo
cat "$logs"/*.log | awk -F'\t' '
  BEGIN {
    printf "%-46s %12s %-26s %12s %7s %7s\n", "measurement", "ours ms", "peer", "peer ms", "ratio", "target"
  }
  $1 == "@row" {
    ours = ($3 < 0) ? "FAILED" : sprintf("%.1f", $3)
    peer = ($5 <= 0) ? "FAILED" : sprintf("%.1f", $5)
    ratio = ($3 >= 0 && $5 > 0) ? sprintf("%.2f", $3 / $5) : "n/a"
    target = ($6 > 0) ? sprintf("%.2f", $6) : "-"
    mark = ($6 > 0 && ratio != "n/a" && $3 / $5 > $6) ? "  missed" : ""
    printf "%-46s %12s %-26s %12s %7s %7s%s\n", $2, ours, $4, peer, ratio, target, mark
  }'
if ((${#failed[@]})); then
  echo "benchmarks that did not finish: ${failed[*]}"
  exit 1
fi
