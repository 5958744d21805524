"""Start-up and settings of the real editor: the settings file it writes, its options, and the
window state it keeps."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from velmo_driver import Velmo  # noqa: E402

EXE = sys.argv.pop(1)


def ini_text(path):
    data = open(path, "rb").read()
    assert data[:2] == b"\xff\xfe", data[:4]
    return data[2:].decode("utf-16-le")


def write_ini(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))


class StartupTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="velmo-home-")
        self.web = os.path.join(self.home, "web")
        os.makedirs(self.web)
        self.ini = os.path.join(self.home, ".config", "Tamrix", "Velmo.ini")

    def page(self):
        # A file on the command line: start-up opens it in the project that holds it, without
        # asking for a project.
        path = os.path.join(self.web, "index.html")
        with open(path, "w") as f:
            f.write("<p>index</p>\n")
        return path

    def seed(self, extra=""):
        write_ini(self.ini, "[Config]\nStdPath=%s/\n[Mine]\nHandMade=yes\n%s" % (self.web, extra))

    def test_settings_file_written_at_close(self):
        self.seed()
        page = os.path.join(self.web, "page.html")
        with open(page, "w") as f:
            f.write("<html><body><p>Hello</p></body></html>\n")
        v = Velmo(EXE, [page], self.home)
        win = v.find_window("Velmo")
        self.assertEqual(v.close(win), 0)
        text = ini_text(self.ini)
        self.assertIn("[Unicode]\r\nEncoding=UTF-16LE\r\n", text)
        for section in ("Config", "Form", "HTML", "CSS", "JS", "PHP", "VBS", "PL", "Text", "Printer",
                        "Mine"):
            self.assertIn("[%s]\r\n" % section, text)
        self.assertIn("HandMade=yes", text)
        self.assertIn("Types=html,htm,htt", text)
        self.assertIn("History0=" + page, text)  # recent files
        self.assertNotIn("\n", text.replace("\r\n", ""))

    def test_first_start_cancelled_ends_without_window(self):
        # Empty configuration: the root folder is asked first; cancelling ends the program.
        v = Velmo(EXE, [], self.home)
        dialog = v.find_window("Root directory for projects")
        self.assertEqual(v.close(dialog), 0)
        self.assertFalse(os.path.exists(self.ini))

    def test_ini_option(self):
        self.seed()
        alt = os.path.join(self.home, "x", "cfg")
        os.makedirs(os.path.dirname(alt))
        write_ini(alt + ".ini", "[Config]\nStdPath=%s/\n" % self.web)
        page = self.page()
        v = Velmo(EXE, ["-ini:" + alt, page], self.home)
        self.assertEqual(v.close(v.find_window("Velmo")), 0)
        self.assertIn("[Printer]", ini_text(alt + ".ini"))
        relative = os.path.join(self.home, ".config", "Tamrix", "work.ini")
        write_ini(relative, "[Config]\nStdPath=%s/\n" % self.web)
        v = Velmo(EXE, ["-i:work.ini", page], self.home)
        self.assertEqual(v.close(v.find_window("Velmo")), 0)
        self.assertIn("[Form]", ini_text(relative))

    def test_maximised_window_keeps_normal_geometry(self):
        self.seed("[Form]\nLeft=123\nTop=45\nWidth=700\nHeight=500\nState=2\n")
        v = Velmo(EXE, [self.page()], self.home)
        self.assertEqual(v.close(v.find_window("Velmo")), 0)
        text = ini_text(self.ini)
        self.assertIn("State=2", text)
        self.assertIn("Left=123", text)
        self.assertIn("Width=700", text)


    def test_restart_helper_waits_then_starts(self):
        import subprocess
        import time
        helper = os.path.join(os.path.dirname(EXE), "velmo-restart")
        sleeper = subprocess.Popen(["sleep", "1"])
        mark = os.path.join(self.home, "started")
        t0 = time.time()
        rc = subprocess.call([helper, str(sleeper.pid), "/bin/sh", "-c", "date +%s.%N > " + mark])
        sleeper.wait()
        self.assertEqual(rc, 0)
        self.assertGreaterEqual(time.time() - t0, 0.8)  # it waited for the old process
        self.assertLess(time.time() - t0, 30)  # and noticed its end
        for _ in range(50):
            if os.path.exists(mark) and os.path.getsize(mark):
                break
            time.sleep(0.1)
        self.assertTrue(os.path.exists(mark))


if __name__ == "__main__":
    unittest.main(verbosity=2)
