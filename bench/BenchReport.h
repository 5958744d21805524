#pragma once
// Every benchmark reports a measurement through BenchRow: one readable line, and one line that
// bench/run_all.sh gathers into its table:
//   "@row<TAB>measurement<TAB>ours ms<TAB>peer name<TAB>peer ms<TAB>target"
// The target is the highest acceptable ratio ours / peer (0: none). A side that failed is given
// as a negative time.
#include <cstdio>

inline void BenchRow(const char *what, double oursMs, const char *peer, double peerMs, double target) {
  const bool ok = oursMs >= 0 && peerMs > 0;
  const double ratio = ok ? oursMs / peerMs : 0;
  if (ok)
    std::printf("%s: ours %.2f ms, %s %.2f ms, ratio %.2f", what, oursMs, peer, peerMs, ratio);
  else
    std::printf("%s: ours %s, %s %s", what, oursMs >= 0 ? "ok" : "FAILED", peer, peerMs > 0 ? "ok" : "FAILED");
  if (target > 0)
    std::printf(" (target <= %.2f)%s", target, ok && ratio > target ? " MISSED" : "");
  std::printf("\n@row\t%s\t%.2f\t%s\t%.2f\t%.2f\n", what, oursMs, peer, peerMs, target);
  std::fflush(stdout);
}
