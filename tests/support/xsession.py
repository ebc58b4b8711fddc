"""The built Tavrin on a private desktop: an X server on a free display (Xvfb),
a real notification area (trayer), a loopback HTTP server and the program with
a fresh home, all ended by close(). Every wait polls a condition with a bound.
"""

import collections
import contextlib
import http.server
import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

SKIP = 77  # what ctest counts as skipped
TOOLS = ("Xvfb", "trayer", "xdotool", "xwininfo")
SCREEN = (1280, 1024)
MAIN, DIALOG = "^Tavrin$", "^打开网址$"
# The main window and its pieces, in pixels from its top left (twips / 15).
MAIN_SIZE = (903, 602)  # 13545 x 9030
OPEN_URL_BUTTON = (128, 13)  # CommandOpenURL: 1560, 75, 735 x 255
CLOSE_BUTTON = (883, 9)  # ImageExit: 13015, 0, 480 x 285
START_PAGE = "<html><head><title>Tavrin</title></head><body>start page</body></html>"
# A page that says when it has loaded and when it goes (its tab closed, or navigated off).
PAGE = ("<html><head><title>Loopback page</title></head><body>served<script>"
        "addEventListener('load', () => navigator.sendBeacon('/loaded' + location.pathname));"
        "addEventListener('pagehide', () => navigator.sendBeacon('/page-gone' + location.pathname));"
        "</script></body></html>")


class Failure(Exception):
    pass


def require(ok, message, *args):
    if not ok:
        raise Failure(message % args)


def wait_for(cond, timeout, what, step=0.05):
    """Polls cond until it gives something true, and gives that; fails after timeout seconds, saying what."""
    deadline = time.monotonic() + timeout
    while True:
        value = cond()
        if value:
            return value
        require(time.monotonic() < deadline, "timed out waiting for %s", what() if callable(what) else what)
        time.sleep(step)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data.encode() if isinstance(data, str) else data)
    return path


def proc(pid, what):
    """/proc/PID/WHAT, b"" once the process has gone."""
    try:
        with open("/proc/%d/%s" % (pid, what), "rb") as f:
            return f.read()
    except OSError:
        return b""


def parent(pid):
    try:  # "pid (name) state ppid ...": the name may hold spaces
        return int(proc(pid, "stat").rpartition(b")")[2].split()[1])
    except (ValueError, IndexError):
        return 0


def process_tree(root):
    """root and every process below it."""
    children = {}
    for entry in filter(str.isdigit, os.listdir("/proc")):
        children.setdefault(parent(int(entry)), []).append(int(entry))
    tree = [root]
    for pid in tree:
        tree.extend(children.get(pid, []))
    return tree


def renderers(pid):
    """The engine's renderers below pid: forked by its zygote, they keep its command line."""
    return [c for c in process_tree(pid)[1:] if b"--type=renderer" in proc(c, "cmdline") or (
        b"--type=zygote" in proc(c, "cmdline") and b"--type=zygote" in proc(parent(c), "cmdline"))]


# Keeps every request, and answers with the route of the first prefix the path
# starts with, else PAGE. A route gives a body, (body, headers) or (body,
# headers, status); a body that is a list is sent part by part, each once the
# server's release is set.
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.server.asked.append((self.path, self.headers.get("Cookie", "")))
        answer = next((r for p, r in self.server.routes.items() if self.path.startswith(p)), lambda h: PAGE)(self)
        body, headers, status = (answer + (200,))[:3] if isinstance(answer, tuple) else (answer, {}, 200)
        parts = [p.encode() if isinstance(p, str) else p for p in (body if isinstance(body, list) else [body])]
        self.send_response(status)
        for key, value in {"Content-Type": "text/html; charset=utf-8", "Content-Length": sum(map(len, parts)),
                           **headers}.items():
            self.send_header(key, str(value))
        self.end_headers()
        with contextlib.suppress(OSError):  # the program may go first
            for k, part in enumerate(parts):
                if k:
                    self.server.release.wait(120)
                self.wfile.write(part)
                self.wfile.flush()

    def do_POST(self):
        self.server.asked.append((self.path, ""))
        self.server.posted.append(self.rfile.read(int(self.headers.get("Content-Length", 0))))
        self.send_response(204)
        self.end_headers()

    def log_message(self, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    def __init__(self, routes):
        super().__init__(("127.0.0.1", 0), Handler)
        self.routes, self.asked, self.posted, self.release = routes, [], [], threading.Event()
        self.base = "http://127.0.0.1:%d" % self.server_address[1]
        threading.Thread(target=self.serve_forever, daemon=True).start()

    def seen(self, prefix):
        return [p for p, _ in list(self.asked) if p.startswith(prefix)]


class Image:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        return tuple(self.data[(y * self.width + x) * 3:(y * self.width + x) * 3 + 3])

    def row(self, x, y, w):
        return self.data[(y * self.width + x) * 3:(y * self.width + x + w) * 3]

    def crop(self, x, y, w, h):
        return Image(w, h, b"".join(self.row(x, y + j, w) for j in range(h)))

    def shows(self, pic, x, y):
        """Whether pic lies at x, y pixel for pixel."""
        return 0 <= x <= self.width - pic.width and 0 <= y <= self.height - pic.height and all(
            self.row(x, y + j, pic.width) == pic.row(0, j, pic.width) for j in range(pic.height))

    def find(self, pic):
        """Where pic lies pixel for pixel (the topmost, then leftmost place), or None."""
        first = pic.row(0, 0, pic.width)
        for y in range(self.height - pic.height + 1):
            line, x = self.row(0, y, self.width), -1
            while (x := line.find(first, x + 1)) >= 0:
                if x % 3 == 0 and self.shows(pic, x // 3, y):
                    return x // 3, y
        return None

    def share(self, test):
        """The part of the pixels whose colour passes test."""
        colours = collections.Counter(zip(self.data[0::3], self.data[1::3], self.data[2::3]))
        return sum(n for c, n in colours.items() if test(c)) / (self.width * self.height)


def pixels(command, env=None):
    """What an ImageMagick command (its output left off) reads, as 8-bit RGB: a picture file, the X screen."""
    out = subprocess.run(command + ["-depth", "8", "ppm:-"], env=env, capture_output=True, timeout=20,
                         check=True).stdout
    head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", out)  # then the samples
    require(head, "not an 8-bit PPM: %r", out[:20])
    return Image(int(head[1]), int(head[2]), out[head.end():])


def near(c, want, tolerance=12):
    return all(abs(a - b) <= tolerance for a, b in zip(c, want))


# Whether img shows the bundled start page (skin/pages.css): a third and more
# the page's light blue, its card's white, the card's border and heading in
# their blues. A blank page, an error page or no page has none of them.
def start_page_shown(img):
    return all(img.share(lambda c: near(c, want, tolerance)) >= least for want, tolerance, least in [
        ((0xE1, 0xF1, 0xFF), 6, 0.3), ((0xF8, 0xFC, 0xFF), 8, 0.05), ((0x6E, 0x9B, 0xD2), 12, 0.001),
        ((0x2A, 0x5A, 0x96), 24, 0.0005)])


class Session:
    def __init__(self, prefix="tavrin-e2e-"):
        self.tmp = tempfile.mkdtemp(prefix=prefix)
        self.procs, self.server, self.program, self.panel, self.prog, self.scale = [], None, None, None, None, 1
        # Nothing the caller's shell set for Qt Quick, OpenGL or the engine; the XEmbed tray, not a D-Bus host.
        drop = ("QT_QUICK", "QSG_", "QTWEBENGINE_", "QT_OPENGL", "QT_XCB_GL", "QT_LOGGING", "LIBGL_",
                "TAVRIN_SCENE_GRAPH", "DBUS_SESSION_BUS_ADDRESS", "WAYLAND_DISPLAY")
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(drop)}

    def path(self, *names):
        return os.path.join(self.tmp, *names)

    def spawn(self, args, log, **kw):
        with open(self.path(log), "ab") as out:
            self.procs.append(subprocess.Popen([str(a) for a in args], stdout=out, stderr=subprocess.STDOUT,
                                               env=self.env, **kw))
        return self.procs[-1]

    def x(self, *args, check=False, timeout=20):
        r = subprocess.run([str(a) for a in args], env=self.env, capture_output=True, text=True, timeout=timeout)
        require(r.returncode == 0 or not check, "%s failed with %d:\n%s%s", " ".join(map(str, args)), r.returncode,
                r.stdout, r.stderr)
        return r.stdout

    def xdo(self, *args):
        return self.x("xdotool", *args)

    # Keys pressed after a release of Escape and a round trip: sent to a window
    # that then goes, it stays down and repeats, and a press of a key that is
    # down never comes; a press in its release's millisecond is a repeat.
    def key(self, *args):
        self.xdo("keyup", "Escape", "getmouselocation")
        self.xdo("getmouselocation")
        return self.xdo("key", *args)

    def serve(self, routes=None):
        self.server = Server(routes or {})
        return self.server

    def spawn_telling(self, args, log):
        """Starts args, one of which holds {fd}, and gives the process and the first line it writes to that fd."""
        read, fd = os.pipe()
        p = self.spawn([str(a).format(fd=fd) for a in args], log, pass_fds=(fd,))
        os.close(fd)
        with os.fdopen(read) as f:
            return p, f.readline().strip()

    def start_x(self, tray="top", scale=1):
        """A new X server on a free display and, on the edge tray names, a notification area; at a scale of 2,
        twice as many pixels each way, and Qt's scale factor 2."""
        self.scale = scale
        if scale != 1:
            self.env["QT_SCALE_FACTOR"] = str(scale)
        # The number comes once the server takes connections.
        self.xvfb, display = self.spawn_telling(["Xvfb", "-displayfd", "{fd}", "-screen", "0", "%dx%dx24" % (
            SCREEN[0] * scale, SCREEN[1] * scale), "-nolisten", "tcp", "-noreset"], "xvfb.log")
        self.env["DISPLAY"] = ":" + display
        require(self.env["DISPLAY"] != ":", "Xvfb did not start")
        if tray:
            self.spawn(["trayer", "--edge", tray, "--align", "right", "--widthtype", "request", "--height", "24",
                        "--transparent", "false", "--expand", "true"], "trayer.log")
            self.panel = wait_for(lambda: self.xdo("search", "--name", "^panel$").split(), 20,
                                  "the notification area")[0]

    def start_bus(self):
        """A session bus of the session's own for the program; gives its address, for the script's own clients."""
        self.env["DBUS_SESSION_BUS_ADDRESS"] = self.spawn_telling(
            ["dbus-daemon", "--session", "--nofork", "--print-address={fd}"], "dbus.log")[1]
        return self.env["DBUS_SESSION_BUS_ADDRESS"]

    def lay_out(self, binary, skin, start_page=START_PAGE):
        """The program's folder: tavrin, the browser it becomes, the skin's pages and a start page."""
        self.prog = self.path("program")
        os.makedirs(self.prog)
        for name in ("tavrin", "tavrin-browser"):
            shutil.copy2(os.path.join(os.path.dirname(binary), name), self.prog)
        for name in ("b.ico", "about.html", "pages.css"):
            shutil.copy2(os.path.join(skin, name), self.prog)
        write(os.path.join(self.prog, "start.html"), start_page)

    def make_home(self, sandbox=False):
        """A fresh home and XDG folders; the engine's sandbox only when asked for, and never as root."""
        self.home, run = self.path("home"), self.path("run")
        os.makedirs(self.home, exist_ok=True)
        os.makedirs(run, mode=0o700, exist_ok=True)
        self.downloads = os.path.join(self.home, "Downloads")
        self.env.update(HOME=self.home, XDG_RUNTIME_DIR=run, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                        XDG_CACHE_HOME=os.path.join(self.home, ".cache"), QT_QPA_PLATFORM="xcb",
                        XDG_DATA_HOME=os.path.join(self.home, ".local", "share"))
        if not sandbox or os.geteuid() == 0:
            self.env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"

    def remote_debugging(self):
        with socket.socket() as s:  # a free port
            s.bind(("127.0.0.1", 0))
            self.devtools = s.getsockname()[1]
        self.env["QTWEBENGINE_REMOTE_DEBUGGING"] = "127.0.0.1:%d" % self.devtools

    def pages(self):
        """The pages the engine lists on its remote debugging endpoint."""
        try:
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % self.devtools, timeout=5) as r:
                return [t for t in json.load(r) if t.get("type") == "page"]
        except (OSError, ValueError) as e:
            raise Failure("the engine's remote debugging endpoint did not answer: %s" % e)

    def start_weston(self):
        """Wayland instead of X: a headless weston (pixman; --debug lets its screenshooter in), after make_home."""
        self.env.pop("DISPLAY", None)
        self.env.update(WAYLAND_DISPLAY="tavrin-e2e", QT_QPA_PLATFORM="wayland")
        self.spawn(["weston", "--backend=headless-backend.so", "--use-pixman", "--debug", "--idle-time=0",
                    "--socket=tavrin-e2e", "--width=%d" % SCREEN[0], "--height=%d" % SCREEN[1]], "weston.log")
        wait_for(lambda: os.path.exists(os.path.join(self.env["XDG_RUNTIME_DIR"], "tavrin-e2e")), 20, "weston")

    def launch(self, *args, program=None, cwd=None):
        """Starts the program (TAVRIN_E2E_WRAPPER before it: a debugger, say)."""
        self.program = self.spawn(os.environ.get("TAVRIN_E2E_WRAPPER", "").split() + [
            program or os.path.join(self.prog, "tavrin"), *args], "tavrin.log", cwd=cwd or self.tmp)

    def start(self, *args, program=None, cwd=None):
        """Starts the program; waits for its window and icon."""
        self.launch(*args, program=program, cwd=cwd)
        self.main = wait_for(self.main_window, 60, "the main window")
        if self.panel:
            wait_for(lambda: self.geometry(self.panel)[2] > 2, 30, "the tray icon")

    def start_again(self, *addresses, timeout=5):
        """tavrin started again while one runs: it hands the addresses over and ends with 0."""
        self.expect_exit(timeout, "a second start", self.spawn([os.path.join(self.prog, "tavrin"), *addresses],
                                                               "second.log", cwd=self.tmp))

    def expect_exit(self, timeout, after, p=None):
        try:
            rc = (p or self.program).wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s of %s" % (timeout, after))
        require(rc == 0, "the program ended with status %d after %s", rc, after)

    def log(self, name="tavrin.log"):
        with open(self.path(name), errors="replace") as f:
            return f.read()

    def close(self):
        """Ends what the session started, and the engine's helpers should the program leave any."""
        left = [(c, proc(c, "cmdline")) for p in self.procs if p.poll() is None for c in process_tree(p.pid)[1:]]
        for p in reversed(self.procs):
            p.terminate()
            with contextlib.suppress(subprocess.TimeoutExpired):
                p.wait(timeout=10)
            p.kill()
        for pid, line in left:
            if line and proc(pid, "cmdline") == line:
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, signal.SIGKILL)
        if self.server:
            self.server.release.set()
            self.server.shutdown()
            self.server.server_close()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def visible(self, name, *more):
        return self.xdo("search", "--onlyvisible", *(more or ["--name"]), name).split()

    def geometry(self, wid):
        """x, y, width, height and whether it is shown; None once the window has gone."""
        v = {k.strip(): s.strip() for k, _, s in (line.partition(":") for line in self.x("xwininfo", "-id", wid)
                                                  .splitlines())}
        return (int(v["Absolute upper-left X"]), int(v["Absolute upper-left Y"]), int(v["Width"]),
                int(v["Height"]), v["Map State"] == "IsViewable") if "Width" in v else None

    def shown(self, wid):
        return (self.geometry(wid) or [False] * 5)[4]

    def main_window(self):
        size = tuple(n * self.scale for n in MAIN_SIZE)
        return next((w for w in self.visible(MAIN) if tuple((self.geometry(w) or [0] * 4)[2:4]) == size), None)

    def grab(self, x, y, w, h):
        """The screen's pixels in the rectangle, as 8-bit RGB."""
        return pixels(["import", "-display", self.env["DISPLAY"], "-window", "root", "-crop",
                       "%dx%d+%d+%d" % (w, h, x, y), "+repage"], self.env)

    def wayland_screen(self, keep=None):
        """The compositor's whole output (weston-screenshooter), as 8-bit RGB; its PNG copied to keep if given."""
        shots = self.path("shots")
        shutil.rmtree(shots, ignore_errors=True)
        os.makedirs(shots)
        subprocess.run(["weston-screenshooter"], cwd=shots, env=self.env, capture_output=True, timeout=20, check=True)
        png = os.path.join(shots, os.listdir(shots)[0])
        if keep:
            shutil.copy(png, keep)
        return pixels(["convert", png])

    def window_pixels(self, wid):
        return self.grab(*self.geometry(wid)[:4])

    # Clicks at point in the window (the main one unless wid), hovering first as a hand does; says where.
    def click(self, point, wid=None, times=1, button=1):
        at = self.geometry(wid or self.main)
        if not at:
            return "its window went"
        x, y = at[0] + round(point[0]), at[1] + round(point[1])
        self.xdo("mousemove", x, y, "mousemove", x + 1, y, "click", "--repeat", times, "--delay", 80, button)
        return "at %d,%d" % (point[0], point[1])

    def tray_icon_centre(self):
        x, y, w, h, _ = self.geometry(self.panel)
        return x + w // 2, y + h // 2

    def tray_double_click(self):
        self.xdo("mousemove", *self.tray_icon_centre(), "click", "--repeat", 2, "--delay", 80, 1)

    def menus(self):
        """The program's windows shown without a title: its menus."""
        return set(self.visible("^tavrin$", "--classname")) - set(self.visible("."))

    # A right press on the icon opens the menu on the press itself; Up from no
    # item picks the last, 退出, which must end the program with 0.
    def end_from_tray(self, timeout=10):
        before = self.menus()
        self.xdo("mousemove", *self.tray_icon_centre(), "mousedown", 3)
        wait_for(lambda: self.menus() - before, 20, "the tray menu")
        self.xdo("mouseup", 3)
        self.key("Up", "Return")
        self.expect_exit(timeout, "退出")

    def dialog(self, timeout=20):
        """The address dialog, once it is shown and has the keyboard."""
        d = wait_for(lambda: self.visible(DIALOG), timeout, "the address dialog")[0]
        wait_for(lambda: self.xdo("getwindowfocus").strip() == d, timeout, "the dialog to have the keyboard")
        return d

    def open_address(self, address, asked=None):
        """打开网址 clicked, the address typed, Enter: the dialog goes, and the server is asked for asked."""
        self.click(OPEN_URL_BUTTON)
        self.dialog()
        self.xdo("type", "--delay", 20, address)
        self.key("Return")
        wait_for(lambda: not self.visible(DIALOG), 20, "the dialog to go")
        if asked:
            wait_for(lambda: self.server.seen(asked), 60, "the server to be asked for " + asked)


# A script's run: sys.argv holds argc arguments, then the beginnings of the
# names of the cases to run (all without). Each case runs as case(session,
# *arguments) on a session of its own; the logs of one that fails are shown.
def main(doc, cases, argc=2, tools=(), session=Session):
    missing = [t for t in TOOLS + tuple(tools) if not shutil.which(t)]
    if missing or len(sys.argv) <= argc:
        print("missing %s: run scripts/deps.sh" % missing[0] if missing else doc)
        return SKIP if missing else 2
    sys.stdout.reconfigure(line_buffering=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # ended so (ctest's timeout), it still takes all down
    failed, wanted = [], tuple(sys.argv[argc + 1:])
    for name, case in ((n, c) for n, c in cases.items() if n.startswith(wanted or "")):
        print("=== " + name)
        s, started = session(), time.monotonic()
        try:
            case(s, *sys.argv[1:argc + 1])
            print("passed %s in %.1f s" % (name, time.monotonic() - started))
        except Exception as e:  # a fault of the script's own fails the case too
            print("FAILED %s: %s: %s" % (name, type(e).__name__, e))
            for log in sorted(n for n in os.listdir(s.tmp) if n.endswith(".log")):
                print("--- %s\n%s" % (log, s.log(log)[-int(os.environ.get("TAVRIN_E2E_LOG_TAIL", 3000)):]))
            failed.append(name)
        finally:
            s.close()
    print("failed: " + ", ".join(failed) if failed else "passed")
    return 1 if failed else 0
