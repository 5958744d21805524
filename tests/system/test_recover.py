"""Getting work back after a crash: the real editor is killed after an autosave tick, started
again, and the recovered text is saved."""
import os
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from velmo_driver import Velmo  # noqa: E402
from Xlib import X, protocol  # noqa: E402

EXE = sys.argv.pop(1)


def write_ini(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))


def xdotool(*args):
    subprocess.check_call(["xdotool"] + [str(a) for a in args])


def wait_for(predicate, timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.2)
    return False


class RecoverTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="velmo-home-")
        self.web = os.path.join(self.home, "web")
        os.makedirs(self.web)
        # The autosave tick in seconds, so that the test need not wait for minutes.
        write_ini(os.path.join(self.home, ".config", "Tamrix", "Velmo.ini"),
                  "[Config]\nStdPath=%s/\nAutoSave=1\nAutoSaveSeconds=1\n" % self.web)
        self.page = os.path.join(self.web, "page.html")
        with open(self.page, "w") as f:
            f.write("<p>index</p>\n")

    def test_killed_after_autosave_then_recovered(self):
        copy = self.page + ".tsv"
        v = Velmo(EXE, [self.page], self.home)
        win = v.find_window("Velmo")
        xdotool("windowfocus", "--sync", win.id)
        xdotool("type", "--delay", 20, "rescued ")

        def copy_written():
            if not os.path.exists(copy):
                return False
            with open(copy, "rb") as f:
                return b"rescued" in f.read()
        self.assertTrue(wait_for(copy_written), "no autosave copy was written")
        v.proc.kill()
        v.proc.wait()
        v.proc.stdout.close()
        with open(self.page) as f:
            self.assertEqual(f.read(), "<p>index</p>\n")  # the file itself was never saved

        v = Velmo(EXE, [self.page], self.home)
        dialog = v.find_window("Recover autosaved text")
        xdotool("windowfocus", "--sync", dialog.id)
        xdotool("key", "Return")  # "Recover" is the default button
        win = v.find_window("Velmo")
        # Quitting asks "Save changed files?" (the recovered text is not in the file yet): Yes.
        ev = protocol.event.ClientMessage(window=win, client_type=v.disp.intern_atom("WM_PROTOCOLS"),
                                          data=(32, [v.disp.intern_atom("WM_DELETE_WINDOW"),
                                                     X.CurrentTime, 0, 0, 0]))
        win.send_event(ev)
        v.disp.flush()
        question = None
        for _ in range(100):
            question = v._search(v.disp.screen().root, "Velmo", win.id)
            if question is not None:
                break
            time.sleep(0.2)
        self.assertIsNotNone(question, "no question before quitting")
        xdotool("windowfocus", "--sync", question.id)
        xdotool("key", "Return")  # Yes
        self.assertEqual(v.proc.wait(timeout=20), 0)
        v.proc.stdout.close()
        with open(self.page) as f:
            self.assertEqual(f.read(), "rescued <p>index</p>\n")
        self.assertFalse(os.path.exists(copy))


if __name__ == "__main__":
    unittest.main(verbosity=2)
