"""The keyboard layout in the real editor: default keys typed with xdotool, a layout changed in
Velmo.key surviving a restart, a damaged layout file, and Shift with digits on a German keyboard."""
import os
import struct
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from velmo_driver import Velmo  # noqa: E402

EXE = sys.argv.pop(1)

CTRL, SHIFT = 4, 1  # modifier bits of the layout file
WORD_LEFT, BOLD, LIST_ITEM = 5, 4712, 4503


def write_ini(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))


def xdotool(*args):
    subprocess.check_call(["xdotool"] + [str(a) for a in args])


def wait_for(predicate, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.2)
    return False


def read_layout(path):
    with open(path, "rb") as f:
        data = f.read()
    (n,) = struct.unpack_from("<i", data)
    assert len(data) == 4 + 10 * n, (len(data), n)
    return [list(struct.unpack_from("<5H", data, 4 + 10 * i)) for i in range(n)]


def write_layout(path, entries):
    with open(path, "wb") as f:
        f.write(struct.pack("<i", len(entries)))
        for e in entries:
            f.write(struct.pack("<5H", *e))


def first(entries, command):
    return next(e for e in entries if e[4] == command)


class KeysTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="velmo-home-")
        self.web = os.path.join(self.home, "web")
        os.makedirs(self.web)
        conf = os.path.join(self.home, ".config", "Tamrix")
        write_ini(os.path.join(conf, "Velmo.ini"), "[Config]\nStdPath=%s/\n" % self.web)
        self.keyfile = os.path.join(conf, "Velmo.key")
        self.page = os.path.join(self.web, "page.html")

    def tearDown(self):
        subprocess.call(["setxkbmap", "us"])

    def edit(self, text, keys):
        """Starts the editor on a page holding text, sends the keys (a list of xdotool actions),
        saves with F2 and closes; returns the saved text."""
        with open(self.page, "w") as f:
            f.write(text)
        before = os.stat(self.page).st_mtime_ns
        v = Velmo(EXE, [self.page], self.home)
        try:
            win = v.find_window("Velmo")
            xdotool("windowfocus", "--sync", win.id)
            time.sleep(1)
            for k in keys:
                if k.startswith("type:"):
                    xdotool("type", "--delay", 30, k[5:])
                else:
                    xdotool("key", "--delay", 30, k)
                time.sleep(0.1)
            xdotool("key", "F2")
            self.assertTrue(wait_for(lambda: os.stat(self.page).st_mtime_ns != before), "F2 did not save")
            self.assertEqual(v.close(win), 0)
        finally:
            if v.proc.poll() is None:
                v.proc.kill()
                v.proc.wait()
        with open(self.page) as f:
            return f.read()

    def test_default_keys(self):
        saved = self.edit("<p>Hello</p>\nsecond\n", [
            "ctrl+shift+1",                 # bookmark 1 on line 1
            "ctrl+End", "type:item", "shift+Home", "ctrl+l",   # <li> around the selection
            "End", "ctrl+n",                # a line break tag and a new line
            "type:last", "Up", "Up", "End", "BackSpace",       # cursor keys and deletion
            "ctrl+1", "type:Z",             # back to the bookmark's line
        ])
        self.assertEqual(saved, "Z<p>Hello</p>\nsecon\n<li>item</li><br>\nlast")
        # The layout is written at exit: Ctrl+L belongs to the list item.
        entries = read_layout(self.keyfile)
        self.assertEqual(first(entries, LIST_ITEM)[:2], [ord("L"), CTRL])

    def test_changed_layout_survives_restart(self):
        self.assertEqual(self.edit("x\n", ["End", "type:y"]), "xy\n")  # the default layout written at exit
        entries = read_layout(self.keyfile)
        first(entries, BOLD)[:2] = [0, 0]
        first(entries, WORD_LEFT)[:2] = [ord("B"), CTRL]
        write_layout(self.keyfile, entries)
        saved = self.edit("one two\n", ["End", "ctrl+b", "type:X", "ctrl+Left", "type:Y"])
        # Ctrl+B moves one word left and makes nothing bold; Ctrl+Left does nothing now.
        self.assertEqual(saved, "one XYtwo\n")
        self.assertEqual(first(read_layout(self.keyfile), WORD_LEFT)[:2], [ord("B"), CTRL])

    def test_damaged_layout_file_gives_defaults(self):
        with open(self.keyfile, "wb") as f:
            f.write(struct.pack("<i", 0x1999999A) + b"\0\0\0\0")
        saved = self.edit("a\n", ["End", "shift+Home", "ctrl+l"])
        self.assertEqual(saved, "<li>a</li>\n")
        self.assertTrue(os.path.exists(self.keyfile + ".damaged"))
        self.assertEqual(first(read_layout(self.keyfile), LIST_ITEM)[:2], [ord("L"), CTRL])

    def test_german_keyboard_shift_digits(self):
        # On a German keyboard Shift+7 gives "/" and Shift+0 "=": the keys still count as digits.
        subprocess.check_call(["setxkbmap", "de"])
        saved = self.edit("l1\nl2\nl3\n", [
            "Down", "ctrl+shift+7", "Down", "ctrl+shift+0", "ctrl+End",
            "ctrl+7", "type:A", "ctrl+0", "type:B",
        ])
        self.assertEqual(saved, "l1\nAl2\nBl3\n")


if __name__ == "__main__":
    unittest.main()
