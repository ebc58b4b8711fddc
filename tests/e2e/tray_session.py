#!/usr/bin/env python3
"""Tavrin from start to exit, driven as a person would.

Lays out a program directory (the built binary, b.ico, about.html and a local
start page), starts a private X server with a real notification area
(trayer) and the program, and drives it with real X input (xdotool): open the
address dialog with its button, type the address of a loopback server this
script runs, press Enter; the server must be asked for it, and the page must
sit in a new tab (its close button, which tab 0 never has, makes the page go).
Then hide the window with its close button, bring it back with a double click
on the tray icon; hide it again and start the program a second time, which
must end at once with status 0, have the running one open the address it
was given in a tab, and bring the running window back; start a download the server sends only half of, right-press
the icon and choose the last item, 退出, from the keyboard. The program must
then end with status 0, say nothing of pages left alive, and leave nothing of
the unfinished download in the download folder.

Every wait polls a condition with a bound; nothing sleeps for a fixed time.

usage: tray_session.py <tavrin binary> <folder with b.ico and about.html>
                       [--shots DIR] [--more-tabs N]

--shots keeps screenshots of the dialog and of three tabs; --more-tabs opens
N more tabs before the exit (--more-tabs 39: Exit with forty tabs).
"""

import argparse
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77  # what ctest counts as skipped
BROWSER = "tavrin-browser"  # the program tavrin becomes, beside it

# The main window's pieces, in pixels from its top left (twips / 15).
OPEN_URL_BUTTON = (128, 13)   # CommandOpenURL: 1560, 75, 735 x 255
CLOSE_BUTTON = (883, 9)       # ImageExit: 13015, 0, 480 x 285
MAIN_SIZE = (903, 602)        # 13545 x 9030
# The close button of tab 1 when it is the selected tab of two: the strip at
# 60, 380, the tab at 2700, its button at 2415, 105, 225 x 210 in the tab.
NEW_TAB_CLOSE_BUTTON = (352, 39)


class Failure(Exception):
    pass


def wait_for(what, cond, bound=30.0, step=0.05):
    """Polls cond until it gives something true; fails after bound seconds."""
    print("waiting for " + what, flush=True)
    deadline = time.monotonic() + bound
    while True:
        value = cond()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(step)


class Hits(http.server.BaseHTTPRequestHandler):
    """Records every path asked for and answers with a small page; /held/NAME
    is a download of which it sends half, the rest only once release is set."""
    paths = []
    lock = threading.Lock()
    release = threading.Event()

    def do_GET(self):
        with Hits.lock:
            Hits.paths.append(self.path)
        if self.path.startswith("/held/"):
            self.send_held(self.path[len("/held/"):])
            return
        # The page says when it has loaded and when it goes away (its tab
        # closed, or navigated off).
        body = (b"<html><head><title>Loopback page</title></head><body>served<script>"
                b"addEventListener('load', function () {"
                b" navigator.sendBeacon('/loaded' + location.pathname); });"
                b"addEventListener('pagehide', function () {"
                b" navigator.sendBeacon('/page-gone' + location.pathname); });"
                b"</script></body></html>")
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def send_held(self, name):
        body = b"x" * 400000
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Disposition", 'attachment; filename="%s"' % name)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body[:len(body) // 2])
        self.wfile.flush()
        Hits.release.wait(120)
        try:
            self.wfile.write(body[len(body) // 2:])
        except OSError:
            pass  # the program went first

    def do_POST(self):
        with Hits.lock:
            Hits.paths.append(self.path)
        self.rfile.read(int(self.headers.get("Content-Length", 0)))
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass

    @staticmethod
    def seen(prefix):
        with Hits.lock:
            return [p for p in Hits.paths if p.startswith(prefix)]


class Session:
    def __init__(self, binary, files, shots, more_tabs=0):
        self.more_tabs = more_tabs
        self.binary = binary
        self.files = files
        self.shots = shots
        self.procs = []
        self.server = None
        self.tmp = tempfile.mkdtemp(prefix="tavrin-e2e-")
        self.env = dict(os.environ)
        self.env.pop("DBUS_SESSION_BUS_ADDRESS", None)  # the XEmbed tray, not a D-Bus host
        self.env.pop("WAYLAND_DISPLAY", None)

    # --- processes -------------------------------------------------------
    def spawn(self, args, log, **kw):
        out = open(os.path.join(self.tmp, log), "wb")
        p = subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT, env=self.env, **kw)
        self.procs.append(p)
        return p

    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait(timeout=5)
        Hits.release.set()
        if self.server:
            self.server.shutdown()
            self.server.server_close()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def x(self, *args, check=True):
        r = subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=20)
        if check and r.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), r.stderr.strip()))
        return r.stdout

    # --- set-up ----------------------------------------------------------
    def start_server(self):
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Hits)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        return self.server.server_address[1]

    def lay_out_program(self, port):
        prog = os.path.join(self.tmp, "program")
        os.makedirs(prog)
        shutil.copy2(self.binary, os.path.join(prog, "tavrin"))
        # What tavrin starts when no Tavrin runs, from beside it.
        shutil.copy2(os.path.join(os.path.dirname(self.binary), BROWSER), prog)
        for name in ("b.ico", "about.html", "pages.css"):
            shutil.copy2(os.path.join(self.files, name), prog)
        with open(os.path.join(prog, "start.html"), "w") as f:
            f.write("<html><head><title>Tavrin</title></head><body>start page</body></html>")
        return prog

    def start_x(self):
        self.start_display()
        self.start_tray()

    def start_display(self):
        for n in range(91, 140):
            if not os.path.exists("/tmp/.X%d-lock" % n) and not os.path.exists("/tmp/.X11-unix/X%d" % n):
                break
        else:
            raise Failure("no free display number")
        self.env["DISPLAY"] = ":%d" % n
        self.spawn(["Xvfb", ":%d" % n, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"], "xvfb.log")
        wait_for("the X server", lambda: subprocess.run(
            ["xdpyinfo"], env=self.env, capture_output=True).returncode == 0, bound=20)

    def start_tray(self):
        self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                    "--height", "24", "--transparent", "false", "--expand", "true"], "trayer.log")
        self.panel = wait_for("the notification area", lambda: self.x(
            "xdotool", "search", "--name", "^panel$", check=False).split(), bound=20)[0]

    def start_program(self, prog):
        home = os.path.join(self.tmp, "home")
        run = os.path.join(self.tmp, "run")
        os.makedirs(home)
        os.makedirs(run, mode=0o700)
        self.downloads = os.path.join(home, "Downloads")
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run, QT_QPA_PLATFORM="xcb",
                        QTWEBENGINE_DISABLE_SANDBOX="1")
        self.log = os.path.join(self.tmp, "tavrin.log")
        # TAVRIN_E2E_WRAPPER runs the program under a debugger, say.
        wrapper = os.environ.get("TAVRIN_E2E_WRAPPER", "").split()
        self.program = self.spawn(wrapper + [os.path.join(prog, "tavrin")], "tavrin.log", cwd=self.tmp)

    # --- looking at windows ----------------------------------------------
    def windows_named(self, name):
        return self.x("xdotool", "search", "--name", name, check=False).split()

    def geometry(self, wid):
        out = self.x("xwininfo", "-id", wid)
        v = {}
        for line in out.splitlines():
            key, _, value = line.strip().partition(":")
            v[key] = value.strip()
        return (int(v["Absolute upper-left X"]), int(v["Absolute upper-left Y"]),
                int(v["Width"]), int(v["Height"]), v["Map State"] == "IsViewable")

    def viewable(self, wid):
        return self.geometry(wid)[4]

    def main_window(self):
        for wid in self.windows_named("^Tavrin$"):
            x, y, w, h, shown = self.geometry(wid)
            if (w, h) == MAIN_SIZE and shown:
                return wid
        return None

    def tray_icon_centre(self):
        x, y, w, h, _ = self.geometry(self.panel)
        return x + w // 2, y + h // 2

    def click_in(self, wid, point, button="1"):
        x, y, _, _, _ = self.geometry(wid)
        # Hover first, as a hand does: the buttons show their hover look.
        self.x("xdotool", "mousemove", str(x + point[0]), str(y + point[1]))
        self.x("xdotool", "mousemove", str(x + point[0] + 1), str(y + point[1]))
        self.x("xdotool", "click", button)

    def shot(self, name):
        if self.shots:
            os.makedirs(self.shots, exist_ok=True)
            self.x("import", "-display", self.env["DISPLAY"], "-window", "root",
                   os.path.join(self.shots, name))

    def expect_exit(self, bound, after=""):
        """The program ends within bound seconds, with status 0."""
        try:
            rc = self.program.wait(timeout=bound)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s%s" % (bound, after))
        if rc != 0:
            raise Failure("the program ended with status %d" % rc)

    def print_logs(self, names=("xvfb.log", "trayer.log", "tavrin.log")):
        tail = int(os.environ.get("TAVRIN_E2E_LOG_TAIL", "3000"))
        for log in names:
            try:
                with open(os.path.join(self.tmp, log), errors="replace") as f:
                    print("--- %s" % log)
                    print(f.read()[-tail:])
            except OSError:
                pass

    def end_from_tray(self):
        """Right press on the icon, the menu opens on the press itself; then 退出."""
        x, y = self.tray_icon_centre()
        shown = lambda: set(self.x("xdotool", "search", "--onlyvisible", "--classname", "^tavrin$",
                                   check=False).split())
        before = shown()
        self.x("xdotool", "mousemove", str(x), str(y), "mousedown", "3")
        wait_for("the tray menu", lambda: shown() - before, bound=20)
        self.x("xdotool", "mouseup", "3")
        self.x("xdotool", "key", "Up")      # from no item, Up picks the last one: 退出
        self.x("xdotool", "key", "Return")

    # --- the session -------------------------------------------------------
    def open_address(self, address):
        self.click_in(self.main, OPEN_URL_BUTTON)
        dialog = wait_for("the address dialog", lambda: [
            w for w in self.windows_named("^打开网址$") if self.viewable(w)], bound=20)[0]
        wait_for("the dialog to have the keyboard",
                 lambda: self.x("xdotool", "getwindowfocus").strip() == dialog, bound=10)
        self.x("xdotool", "type", "--delay", "20", address)
        return dialog

    def start_again(self, prog, addresses, bound):
        """Starts the program again, which must hand over and end with 0."""
        second = self.spawn([os.path.join(prog, "tavrin")] + addresses, "second.log", cwd=self.tmp)
        try:
            rc = second.wait(timeout=bound)
        except subprocess.TimeoutExpired:
            raise Failure("a second start did not end within %d s" % bound)
        if rc != 0:
            raise Failure("a second start ended with status %d" % rc)

    def dialogs(self):
        return [w for w in self.windows_named("^打开网址$") if self.viewable(w)]

    def escape_sent_to_the_dialog(self, port):
        """Escape sent straight to the dialog's window, as tools and input
        methods send it, twenty times: each time the dialog goes, and its
        button, Ctrl+L and F6 open it again, the keys without a click as the
        keyboard is back in the page. (The key's release goes to a window
        already gone, and the X server holds Escape down and repeats it.) A
        script address typed there shows no dialog of the page's own, and
        the button still opens the dialog."""
        # Each way in turn; the button's two ends, so that two clicks in a
        # row are never a double click.
        ways = [lambda: self.click_in(self.main, (OPEN_URL_BUTTON[0] - 15, OPEN_URL_BUTTON[1])),
                lambda: self.x("xdotool", "key", "ctrl+l"),
                lambda: self.click_in(self.main, (OPEN_URL_BUTTON[0] + 15, OPEN_URL_BUTTON[1])),
                lambda: self.x("xdotool", "key", "F6")]
        for k in range(20):
            ways[k % len(ways)]()
            dialog = wait_for("the dialog, round %d" % k, self.dialogs, bound=3)[0]
            wait_for("the dialog to have the keyboard, round %d" % k,
                     lambda: self.x("xdotool", "getwindowfocus").strip() == dialog, bound=3)
            # Up again first (and a round trip, so that the press cannot come
            # in the same millisecond, as a repeat would), so that the press
            # is a press; its release goes to a window already gone, and
            # xdotool reports that.
            self.x("xdotool", "keyup", "Escape", "getmouselocation")
            self.x("xdotool", "getmouselocation")
            self.x("xdotool", "key", "--window", dialog, "Escape", check=False)
            wait_for("the dialog to go, round %d" % k, lambda: not self.dialogs(), bound=5)
        self.x("xdotool", "key", "ctrl+l")
        wait_for("Ctrl+L to open the dialog", self.dialogs, bound=3)
        self.x("xdotool", "keyup", "Escape", "getmouselocation")
        self.x("xdotool", "type", "--delay", "20", "javascript:alert(1)")
        self.x("xdotool", "key", "Return")
        wait_for("the dialog to go", lambda: not self.dialogs(), bound=5)
        self.click_in(self.main, OPEN_URL_BUTTON)
        wait_for("the dialog over a page that asked for an alert", self.dialogs, bound=3)
        if len(self.windows_named("Alert")) or len(self.dialogs()) != 1:
            raise Failure("a page's own dialog showed")
        self.x("xdotool", "key", "Escape")
        wait_for("the dialog to go", lambda: not self.dialogs(), bound=5)

    def run(self):
        port = self.start_server()
        prog = self.lay_out_program(port)
        self.start_x()
        self.start_program(prog)

        self.main = wait_for("the main window", self.main_window, bound=60)
        wait_for("the tray icon", lambda: self.geometry(self.panel)[2] > 2, bound=30)

        address = "http://127.0.0.1:%d/typed-by-hand" % port
        dialog = self.open_address(address)
        self.shot("dialog.png")
        self.x("xdotool", "key", "Return")
        wait_for("the typed address to be served", lambda: Hits.seen("/typed-by-hand"), bound=60)
        wait_for("the dialog to go", lambda: not self.windows_named("^打开网址$"), bound=20)
        # Centred at its size: Left 2827.5 and Top 3165 twips.
        if self.geometry(self.main)[:2] != (189, 211):
            raise Failure("the main window is at %s,%s, not centred" % self.geometry(self.main)[:2])
        # The page went into a new tab: the selected tab's close button, which
        # tab 0 never shows, closes it, and the page goes away.
        self.click_in(self.main, NEW_TAB_CLOSE_BUTTON)
        wait_for("the page to go with its tab", lambda: Hits.seen("/page-gone/typed-by-hand"), bound=20)
        self.escape_sent_to_the_dialog(port)

        # More tabs: two for a look at the strip, or as many as asked for.
        more = max(self.more_tabs, 2 if self.shots else 0)
        if more:
            for k in range(1, more + 1):
                self.open_address("http://127.0.0.1:%d/tab-%d" % (port, k))
                self.x("xdotool", "key", "Return")
                wait_for("tab %d" % k, lambda: Hits.seen("/tab-%d" % k), bound=60)
            if self.shots:
                wait_for("the last page to load", lambda: Hits.seen("/loaded/tab-%d" % more), bound=30)
                self.shot("three-tabs.png")

        # The close button hides the window; the tray icon brings it back.
        self.click_in(self.main, CLOSE_BUTTON)
        wait_for("the window to hide", lambda: not self.viewable(self.main), bound=20)
        x, y = self.tray_icon_centre()
        self.x("xdotool", "mousemove", str(x), str(y), "click", "--repeat", "2", "--delay", "80", "1")
        wait_for("the window to come back", lambda: self.viewable(self.main), bound=20)

        # Started again while it runs hidden, with an address: the new
        # process ends at once, the running one opens the address in a tab
        # and its window comes back.
        self.click_in(self.main, CLOSE_BUTTON)
        wait_for("the window to hide again", lambda: not self.viewable(self.main), bound=20)
        self.start_again(prog, ["http://127.0.0.1:%d/handed-over" % port], bound=2)
        wait_for("the running window to come back", lambda: self.viewable(self.main), bound=10)
        if self.geometry(self.main)[:2] != (189, 211):
            raise Failure("the window came back at %s,%s, not centred" % self.geometry(self.main)[:2])
        wait_for("the handed-over address to load", lambda: Hits.seen("/loaded/handed-over"), bound=60)

        # A download still running at Exit: half of it is on disk by now.
        self.open_address("http://127.0.0.1:%d/held/unfinished.bin" % port)
        self.x("xdotool", "key", "Return")
        wait_for("the download to be written", lambda: os.path.isdir(self.downloads)
                 and os.listdir(self.downloads), bound=60)

        self.end_from_tray()
        self.expect_exit(10, " of Exit")
        left = os.listdir(self.downloads)
        if left:
            raise Failure("Exit left the unfinished download behind: %s" % left)
        with open(self.log, errors="replace") as f:
            log = f.read()
        for bad in ("still not deleted", "Expect troubles", "Segmentation", "QObject::~QObject"):
            if bad in log:
                raise Failure("the program's output says %r:\n%s" % (bad, log[-3000:]))


def run_cases(cases):
    """Runs (name, make_session) cases one after the other, each on its own
    display; every case runs, and the names of those that failed come back."""
    failed = []
    for name, make_session in cases:
        print("=== " + name, flush=True)
        Hits.paths = []
        Hits.release.clear()
        s = make_session()
        started = time.monotonic()
        try:
            s.run()
            print("passed %s in %.1f s" % (name, time.monotonic() - started), flush=True)
        except Failure as e:
            print("FAILED %s: %s" % (name, e), flush=True)
            s.print_logs(("tavrin.log",))
            failed.append(name)
        finally:
            s.close()
    if failed:
        print("failed: " + ", ".join(failed))
    return failed


def main_of_cases(doc, cases, passed, tools=()):
    """The whole of a script of cases, given sys.argv: <binary> <files>
    [case ...]; cases(binary, files) gives (name, make_session) pairs."""
    if len(sys.argv) < 3:
        print(doc)
        return 2
    for tool in ("Xvfb", "trayer", "xdotool", "xwininfo", "xdpyinfo") + tuple(tools):
        if not shutil.which(tool):
            print("missing %s: run scripts/deps.sh" % tool)
            return SKIP
    chosen = cases(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    wanted = sys.argv[3:]
    if run_cases((name, make) for name, make in chosen if not wanted or name.split(" ")[0] in wanted):
        return 1
    print("passed: " + passed)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("files")
    parser.add_argument("--shots")
    parser.add_argument("--more-tabs", type=int, default=0)
    args = parser.parse_args()
    for tool in ("Xvfb", "trayer", "xdotool", "xwininfo", "xdpyinfo"):
        if not shutil.which(tool):
            print("missing %s: run scripts/deps.sh" % tool)
            return SKIP
    s = Session(os.path.abspath(args.binary), os.path.abspath(args.files), args.shots, args.more_tabs)
    try:
        s.run()
    except Failure as e:
        print("FAILED:", e)
        s.print_logs()
        return 1
    finally:
        s.close()
    print("passed: typed address opened in a new tab, window hidden and back, Exit ended with 0"
          " and removed the unfinished download")
    return 0


if __name__ == "__main__":
    sys.exit(main())
