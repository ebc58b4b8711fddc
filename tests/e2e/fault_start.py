#!/usr/bin/env python3
"""Tavrin started from broken program directories and homes.

Each case lays out a program directory as tray_session.py does, then breaks
one thing: the start page missing or garbage, b.ico missing or garbage, the
forms' saved button data beside the program missing, empty, not JSON, of
wrong types or out of range, a plain file where the engine's profile folder
belongs, no notification area, the renderer killed while a page loads. In
every case the program must start and show its window, a typed address must
still be served and open in a tab, and the program must end with status 0:
from the tray menu, or without a tray when the window manager closes it.

usage: fault_start.py <tavrin binary> <folder with b.ico and about.html> [case ...]
"""

import json
import os
import shutil
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tray_session  # noqa: E402
from tray_session import Failure, Hits, wait_for  # noqa: E402

SKIP = 77


def builtin_buttons(files, name):
    with open(os.path.join(files, name)) as f:
        return json.load(f)


def changed(files, name, button, key, value):
    data = builtin_buttons(files, name)
    data[button][key] = value
    return json.dumps(data).encode()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def both_forms(data_of):
    """A case writing both forms' saved data, data_of(name, button) giving the bytes."""
    def lay_out(prog, home, files):
        for name, button in (("Form1.buttons.json", "CommandOpenURL"), ("FormOpenUrl.buttons.json", "CommandOK")):
            write(os.path.join(prog, name), data_of(files, name, button))
    return lay_out


CASES = {
    "start-page-missing": dict(lay_out=lambda prog, home, files: os.remove(os.path.join(prog, "start.html"))),
    "start-page-garbage": dict(lay_out=lambda prog, home, files: write(
        os.path.join(prog, "start.html"), bytes(range(256)) * 64 + b"\x00<html><title")),
    "icon-missing": dict(lay_out=lambda prog, home, files: os.remove(os.path.join(prog, "b.ico"))),
    "icon-garbage": dict(lay_out=lambda prog, home, files: write(
        os.path.join(prog, "b.ico"), b"\x00\x00\x01\x00\xff\xff" + os.urandom(4000))),
    "buttons-empty": dict(lay_out=both_forms(lambda files, name, button: b"")),
    "buttons-not-json": dict(lay_out=both_forms(lambda files, name, button: b"\xff\xfe{ not json ]")),
    "buttons-wrong-types": dict(lay_out=both_forms(lambda files, name, button: json.dumps(
        {button: {"_left": "left", "caption": 5, "font": [1], "percent": "half"}}).encode())),
    "buttons-percent-500": dict(lay_out=both_forms(lambda files, name, button: changed(
        files, name, button, "percent", 500))),
    "buttons-unknown-type": dict(lay_out=both_forms(lambda files, name, button: changed(
        files, name, button, "buttontype", 99))),
    "buttons-colour-minus-one": dict(lay_out=both_forms(lambda files, name, button: changed(
        files, name, button, "midcolor", -1))),
    "profile-folder-blocked": dict(lay_out=lambda prog, home, files: (
        os.makedirs(os.path.join(home, ".local", "share")),
        write(os.path.join(home, ".local", "share", "Tavrin"), b"a plain file"))),
    "no-notification-area": dict(tray=False),
    "renderer-killed": dict(kill_renderer=True),
}


def descendants(pid):
    """Every process below pid, from /proc."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                ppid = int(f.read().rpartition(")")[2].split()[1])
        except (OSError, ValueError, IndexError):
            continue
        children.setdefault(ppid, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        for c in children.get(todo.pop(), []):
            found.append(c)
            todo.append(c)
    return found


def cmdline(pid):
    try:
        with open("/proc/%d/cmdline" % pid, "rb") as f:
            return f.read()
    except OSError:
        return b""


def parent(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            return int(f.read().rpartition(")")[2].split()[1])
    except (OSError, ValueError, IndexError):
        return 0


def renderers(pid):
    """The engine's renderers: forked by its zygote, they keep its command line."""
    out = []
    for c in descendants(pid):
        if b"--type=renderer" in cmdline(c) or (
                b"--type=zygote" in cmdline(c) and b"--type=zygote" in cmdline(parent(c))):
            out.append(c)
    return out


class SlowPage(Hits):
    """Hits, and /slow/NAME: a page of which the head comes at once, the rest
    only once release is set."""

    def do_GET(self):
        if not self.path.startswith("/slow/"):
            return super().do_GET()
        with Hits.lock:
            Hits.paths.append(self.path)
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.end_headers()
        self.wfile.write(b"<html><head><title>Slow</title></head><body>half")
        self.wfile.flush()
        Hits.release.wait(60)
        try:
            self.wfile.write(b" and the rest</body></html>")
        except OSError:
            pass


class FaultSession(tray_session.Session):
    def __init__(self, binary, files, case, tray=True, kill_renderer=False, lay_out=None):
        super().__init__(binary, files, None)
        self.case = case
        self.tray = tray
        self.kill_renderer = kill_renderer
        self.lay_out_case = lay_out

    def start_tray(self):
        if self.tray:
            return super().start_tray()
        # A window manager, to minimise, bring back and close the window.
        self.spawn(["openbox"], "openbox.log")
        wait_for("the window manager", lambda: subprocess.run(
            ["wmctrl", "-m"], env=self.env, capture_output=True).returncode == 0, bound=20)

    def start_server(self):
        self.server = tray_session.http.server.ThreadingHTTPServer(("127.0.0.1", 0), SlowPage)
        tray_session.threading.Thread(target=self.server.serve_forever, daemon=True).start()
        return self.server.server_address[1]

    def start_program(self, prog):
        # The home exists already: the case may have broken it.
        run = os.path.join(self.tmp, "run")
        os.makedirs(run, mode=0o700)
        self.downloads = os.path.join(self.tmp, "home", "Downloads")
        self.env.update(HOME=os.path.join(self.tmp, "home"), XDG_RUNTIME_DIR=run, QT_QPA_PLATFORM="xcb",
                        QTWEBENGINE_DISABLE_SANDBOX="1")
        self.log = os.path.join(self.tmp, "tavrin.log")
        self.program = self.spawn([os.path.join(prog, "tavrin")], "tavrin.log", cwd=self.tmp)

    def main_window_any_state(self):
        for wid in self.windows_named("^Tavrin$"):
            x, y, w, h, _ = self.geometry(wid)
            if (w, h) == tray_session.MAIN_SIZE:
                return wid
        return None

    def typed_address_opens(self, port, path):
        self.open_address("http://127.0.0.1:%d/%s" % (port, path))
        self.x("xdotool", "key", "Return")
        wait_for("the typed address to be served", lambda: Hits.seen("/" + path), bound=60)
        wait_for("the dialog to go", lambda: not self.windows_named("^打开网址$"), bound=20)

    def run(self):
        port = self.start_server()
        prog = self.lay_out_program(port)
        home = os.path.join(self.tmp, "home")
        os.makedirs(home)
        if self.lay_out_case:
            self.lay_out_case(prog, home, self.files)
        self.start_x()
        self.start_program(prog)
        self.main = wait_for("the main window", self.main_window, bound=60)
        if self.tray:
            wait_for("the tray icon", lambda: self.geometry(self.panel)[2] > 2, bound=30)

        if self.kill_renderer:
            # A page that never finishes, its renderer killed while it loads.
            self.open_address("http://127.0.0.1:%d/slow/page.html" % port)
            self.x("xdotool", "key", "Return")
            wait_for("the slow page to be asked for", lambda: Hits.seen("/slow/page.html"), bound=60)
            try:
                killed = wait_for("a renderer", lambda: renderers(self.program.pid), bound=30)
            except Failure:
                tree = []
                for c in descendants(self.program.pid):
                    with open("/proc/%d/cmdline" % c, "rb") as f:
                        tree.append(f.read().replace(b"\0", b" ")[:200].decode(errors="replace"))
                raise Failure("no renderer among %s" % tree)
            for pid in killed:
                os.kill(pid, signal.SIGKILL)
            wait_for("the renderer to go", lambda: not set(killed) & set(renderers(self.program.pid)), bound=20)
            Hits.release.set()

        self.typed_address_opens(port, "typed-" + self.case)
        if self.program.poll() is not None:
            raise Failure("the program ended early with status %d" % self.program.returncode)

        if self.tray:
            self.end_from_tray()
        else:
            # Without a tray the close button minimises; the window comes back.
            self.click_in(self.main, tray_session.CLOSE_BUTTON)
            wait_for("the window to minimise", lambda: not self.viewable(self.main), bound=20)
            self.x("xdotool", "windowmap", self.main)
            self.x("xdotool", "windowactivate", self.main, check=False)
            wait_for("the window to come back", lambda: self.viewable(self.main), bound=20)
            self.typed_address_opens(port, "typed-again-" + self.case)
            self.x("wmctrl", "-i", "-c", self.main)
        self.expect_exit(15)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    binary, files = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    names = sys.argv[3:] or list(CASES)
    for tool in ("Xvfb", "trayer", "xdotool", "xwininfo", "xdpyinfo", "openbox", "wmctrl"):
        if not shutil.which(tool):
            print("missing %s: run scripts/deps.sh" % tool)
            return SKIP
    if tray_session.run_cases((name, lambda name=name: FaultSession(binary, files, name, **CASES[name]))
                              for name in names):
        return 1
    print("passed: every broken start came up usable and ended with 0")
    return 0


if __name__ == "__main__":
    sys.exit(main())
