"""Starts the editor in a private configuration, finds its window and closes it gracefully."""
import os
import subprocess
import tempfile
import time

from Xlib import X, display, protocol


class Velmo:
    def __init__(self, exe, args, home, env_extra=None):
        env = dict(os.environ)
        env.update({"HOME": home, "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                    "XDG_RUNTIME_DIR": tempfile.mkdtemp(prefix="rt-")})
        env.pop("QT_QPA_PLATFORM", None)
        env.update(env_extra or {})
        self.proc = subprocess.Popen([exe] + args, env=env, stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT)
        self.disp = display.Display()

    def find_window(self, title_part="Velmo", timeout=20):
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                raise RuntimeError("editor ended early: " + self.proc.stdout.read().decode(errors="replace"))
            w = self._search(self.disp.screen().root, title_part)
            if w is not None:
                return w
            time.sleep(0.2)
        raise RuntimeError("no window titled %r" % title_part)

    def _search(self, win, part, not_id=None):
        """A viewable window titled with part; not_id leaves one out (the main window, when a
        dialog in front of it is wanted)."""
        try:
            name = win.get_wm_name()
            attrs = win.get_attributes()
        except Exception:
            return None
        if isinstance(name, bytes):
            name = name.decode(errors="replace")
        if name and part in name and attrs.map_state == X.IsViewable and win.id != not_id:
            return win
        try:
            children = win.query_tree().children
        except Exception:
            return None
        for c in children:
            found = self._search(c, part, not_id)
            if found is not None:
                return found
        return None

    def close(self, win, timeout=20):
        wm_protocols = self.disp.intern_atom("WM_PROTOCOLS")
        wm_delete = self.disp.intern_atom("WM_DELETE_WINDOW")
        ev = protocol.event.ClientMessage(window=win, client_type=wm_protocols,
                                          data=(32, [wm_delete, X.CurrentTime, 0, 0, 0]))
        win.send_event(ev)
        self.disp.flush()
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            raise RuntimeError("editor did not end after WM_DELETE_WINDOW")
