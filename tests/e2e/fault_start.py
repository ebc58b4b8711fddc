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
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tray_session  # noqa: E402
from tray_session import Failure, Hits, wait_for  # noqa: E402


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def in_program(name, data=None):
    """A case removing the named file beside the program, or writing data there."""
    return lambda prog, home, files: os.remove(os.path.join(prog, name)) if data is None else write(
        os.path.join(prog, name), data)


def both_forms(data_of):
    """A case writing both forms' saved data, data_of(built-in data, button) giving the bytes."""
    def lay_out(prog, home, files):
        for name, button in (("Form1.buttons.json", "CommandOpenURL"), ("FormOpenUrl.buttons.json", "CommandOK")):
            with open(os.path.join(files, name)) as f:
                write(os.path.join(prog, name), data_of(json.load(f), button))
    return lay_out


def changed(key, value):
    """The built-in data with one key of the button changed."""
    def data_of(data, button):
        data[button][key] = value
        return json.dumps(data).encode()
    return both_forms(data_of)


def blocked_profile(prog, home, files):
    os.makedirs(os.path.join(home, ".local", "share"))
    write(os.path.join(home, ".local", "share", "Tavrin"), b"a plain file")


CASES = {
    "start-page-missing": dict(lay_out=in_program("start.html")),
    "start-page-garbage": dict(lay_out=in_program("start.html", bytes(range(256)) * 64 + b"\x00<html><title")),
    "icon-missing": dict(lay_out=in_program("b.ico")),
    "icon-garbage": dict(lay_out=in_program("b.ico", b"\x00\x00\x01\x00\xff\xff" + os.urandom(4000))),
    "buttons-empty": dict(lay_out=both_forms(lambda data, button: b"")),
    "buttons-not-json": dict(lay_out=both_forms(lambda data, button: b"\xff\xfe{ not json ]")),
    "buttons-wrong-types": dict(lay_out=both_forms(lambda data, button: json.dumps(
        {button: {"_left": "left", "caption": 5, "font": [1], "percent": "half"}}).encode())),
    "buttons-percent-500": dict(lay_out=changed("percent", 500)),
    "buttons-unknown-type": dict(lay_out=changed("buttontype", 99)),
    "buttons-colour-minus-one": dict(lay_out=changed("midcolor", -1)),
    "profile-folder-blocked": dict(lay_out=blocked_profile),
    "no-notification-area": dict(tray=False),
    "renderer-killed": dict(kill_renderer=True),
}


def proc(pid, what):
    """/proc/<pid>/<what>, b"" once the process is gone."""
    try:
        with open("/proc/%d/%s" % (pid, what), "rb") as f:
            return f.read()
    except OSError:
        return b""


def parent(pid):
    try:
        return int(proc(pid, "stat").rpartition(b")")[2].split()[1])
    except (ValueError, IndexError):
        return 0


def descendants(pid):
    """Every process below pid, from /proc."""
    children = {}
    for entry in filter(str.isdigit, os.listdir("/proc")):
        children.setdefault(parent(int(entry)), []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        kids = children.get(todo.pop(), [])
        found += kids
        todo += kids
    return found


def renderers(pid):
    """The engine's renderers: forked by its zygote, they keep its command line."""
    return [c for c in descendants(pid) if b"--type=renderer" in proc(c, "cmdline") or (
        b"--type=zygote" in proc(c, "cmdline") and b"--type=zygote" in proc(parent(c), "cmdline"))]


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
        self.case, self.tray, self.kill_renderer, self.lay_out_case = case, tray, kill_renderer, lay_out

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
        home, run = os.path.join(self.tmp, "home"), os.path.join(self.tmp, "run")
        os.makedirs(run, mode=0o700)
        self.downloads = os.path.join(home, "Downloads")
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run, QT_QPA_PLATFORM="xcb", QTWEBENGINE_DISABLE_SANDBOX="1")
        self.log = os.path.join(self.tmp, "tavrin.log")
        self.program = self.spawn([os.path.join(prog, "tavrin")], "tavrin.log", cwd=self.tmp)

    def type_address(self, port, path):
        self.open_address("http://127.0.0.1:%d/%s" % (port, path))
        self.x("xdotool", "key", "Return")
        wait_for("the typed address to be served", lambda: Hits.seen("/" + path), bound=60)

    def typed_address_opens(self, port, path):
        self.type_address(port, path)
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
            self.type_address(port, "slow/page.html")
            try:
                killed = wait_for("a renderer", lambda: renderers(self.program.pid), bound=30)
            except Failure:
                raise Failure("no renderer among %s" % [proc(c, "cmdline").replace(b"\0", b" ")[:200].decode(
                    errors="replace") for c in descendants(self.program.pid)])
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


if __name__ == "__main__":
    sys.exit(tray_session.main_of_cases(__doc__, lambda binary, files: [
        (name, lambda name=name: FaultSession(binary, files, name, **CASES[name])) for name in CASES],
        "every broken start came up usable and ended with 0", tools=("openbox", "wmctrl")))
