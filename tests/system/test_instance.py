"""One running editor per settings file: a second start hands its file to the first one and
ends; the settings written at the first one's exit name both files; another settings file runs
an editor of its own; a lock left by a killed editor does not block the next start."""
import os
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from velmo_driver import Velmo  # noqa: E402

EXE = sys.argv.pop(1)


def ini_text(path):
    data = open(path, "rb").read()
    return data[2:].decode("utf-16-le")


def write_ini(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))


class InstanceTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="velmo-home-")
        self.web = os.path.join(self.home, "web")
        os.makedirs(self.web)
        self.ini = os.path.join(self.home, ".config", "Tamrix", "Velmo.ini")
        write_ini(self.ini, "[Config]\nStdPath=%s/\n" % self.web)

    def page(self, name):
        path = os.path.join(self.web, name)
        with open(path, "w") as f:
            f.write("<p>%s</p>\n" % name)
        return path

    def test_second_start_hands_over_and_ends(self):
        a, b = self.page("a.html"), self.page("b.html")
        first = Velmo(EXE, [a], self.home)
        win = first.find_window("Velmo (Version")
        second = Velmo(EXE, [b], self.home)
        # The second process ends at once, without a window of its own.
        self.assertEqual(second.proc.wait(timeout=15), 0)
        self.assertIsNone(first.proc.poll())
        # The first one opened the file: it shows in the title once active, and it is in the
        # recent files written at exit.
        time.sleep(1.0)
        self.assertEqual(first.close(win), 0)
        text = ini_text(self.ini)
        self.assertIn(a, text)
        self.assertIn(b, text)
        self.assertFalse(os.path.exists(self.ini + ".lock"))

    def test_other_settings_file_runs_separately(self):
        a, c = self.page("a.html"), self.page("c.html")
        first = Velmo(EXE, [a], self.home)
        win = first.find_window("Velmo (Version")
        other = os.path.join(self.home, "other.ini")
        write_ini(other, "[Config]\nStdPath=%s/\n" % self.web)
        second = Velmo(EXE, ["-ini:" + other, c], self.home)
        time.sleep(3)
        self.assertIsNone(second.proc.poll(), "the editor with another settings file ended")
        second.proc.terminate()
        second.proc.wait(timeout=10)
        self.assertEqual(first.close(win), 0)

    def test_killed_editor_does_not_block_the_next_start(self):
        a = self.page("a.html")
        first = Velmo(EXE, [a], self.home)
        first.find_window("Velmo (Version")
        first.proc.kill()
        first.proc.wait()
        self.assertTrue(os.path.exists(self.ini + ".lock"))
        again = Velmo(EXE, [a], self.home)
        win = again.find_window("Velmo (Version")
        self.assertEqual(again.close(win), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
