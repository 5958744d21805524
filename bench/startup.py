"""Start-up to the first shown window: the editor with one document against a bare QScintilla
program showing the same. Run under xvfb-run: python3 bench/startup.py build/bin/Velmo build/bin/bench_minimal_editor"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display


def viewable(d, part):
    def walk(w):
        try:
            name = w.get_wm_name()
            if isinstance(name, bytes):
                name = name.decode(errors="replace")
            if name and part in name and w.get_attributes().map_state == X.IsViewable:
                return True
            return any(walk(c) for c in w.query_tree().children)
        except Exception:
            return False
    return walk(d.screen().root)


def measure(cmd, part, env):
    d = display.Display()
    start = time.perf_counter()
    p = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while not viewable(d, part):
        if time.perf_counter() - start > 30:
            break
        time.sleep(0.005)
    elapsed = time.perf_counter() - start
    p.kill()
    p.wait()
    return elapsed


def alternating(a, b, runs=11):
    """Medians of a and b (argument lists with window title parts) measured in turn, so that both
    see the same machine load: a burst of load on a shared machine otherwise lands on one side."""
    ta, tb = [], []
    for _ in range(runs):
        ta.append(measure(*a))
        tb.append(measure(*b))
    return statistics.median(ta), statistics.median(tb)


def main():
    velmo, minimal = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp()
    web = os.path.join(home, "web")
    os.makedirs(os.path.join(home, ".config", "Tamrix"))
    os.makedirs(web)
    with open(os.path.join(home, ".config", "Tamrix", "Velmo.ini"), "wb") as f:
        f.write(b"\xff\xfe" + ("[Config]\r\nStdPath=%s/\r\n" % web).encode("utf-16-le"))
    page = os.path.join(web, "index.html")
    with open(page, "w") as f:
        f.write("<html><body><p>Hello</p></body></html>\n")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"))
    # With a file named, start-up opens it in its project without asking anything.
    ours, peer = alternating(([velmo, page], "Velmo (Version", env), ([minimal], "MinimalEditor", env))
    print("start-up: ours %.0f ms, bare QScintilla %.0f ms, ratio %.2f (target <= 1.50)"
          % (ours * 1000, peer * 1000, ours / peer))
    # The line bench/run_all.sh gathers (see bench/BenchReport.h).
    print("@row\tstart-up to the first window\t%.2f\tbare QScintilla\t%.2f\t1.50" % (ours * 1000, peer * 1000))
    # The German catalogue is read at start-up: it must cost next to nothing. English is measured
    # again beside it.
    german, english = alternating(([velmo, "-l:de", page], "Velmo (Version", env),
                                  ([velmo, page], "Velmo (Version", env))
    print("start-up in German: %.0f ms, in English %.0f ms, ratio %.2f (target <= 1.05)"
          % (german * 1000, english * 1000, german / english))
    print("@row\tstart-up with the German catalogue (-l:de)\t%.2f\tthe same in English\t%.2f\t1.05"
          % (german * 1000, english * 1000))


main()
