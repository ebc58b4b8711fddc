#!/usr/bin/env python3
"""Tavrin under a restless hand: a seeded random walk of real X input.

The built program runs as in tray_session.py (Xvfb, trayer, a loopback
server) and takes TAVRIN_MONKEY_STEPS (300) random steps, each a thing a
person does (ACTIONS below). After each step the program runs and shows at
most one main window and one address dialog. Every ten steps and at the end:
a double click on the tray icon shows the main window within 3 s; 打开网址
opens the dialog within 3 s and it stays until dismissed; the tabs' faces lie
on the strip where its layout puts them (those that fit), one at least for every page the
engine lists on its remote debugging endpoint. Then 退出 must end the
program with status 0 within 10 s.

The seed is printed first; TAVRIN_MONKEY_SEED replays a walk. A failure
prints the seed, the last 20 steps and the tail of the program's output.

usage: monkey.py <tavrin binary> <folder with b.ico and about.html>
"""

import collections
import contextlib
import http.server
import json
import os
import random
import shutil
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fault_start  # noqa: E402
import screen_pixels  # noqa: E402
import tray_session  # noqa: E402
from tray_session import OPEN_URL_BUTTON, Failure, Hits, wait_for  # noqa: E402

SKIP = 77
SCREEN = (1280, 1024)
MAIN, DIALOG = "^Tavrin$", "^打开网址$"
ICON_EDGE = (0x60, 0x7E, 0xA6)  # a tab icon's left edge: 16 px tall, 6 px into its tab
# A page's controls, one every 44 px down the window from (131, 82): the page starts at (3, 56).
LINK, WINDOW_OPEN, FULL_SCREEN, DOWNLOAD, INPUT, CLOSE = range(6)
PAGE = """<!doctype html><html><head><title>%(name)s</title><style>
body { margin: 0; font: 16px sans-serif; }
.c { position: absolute; left: 8px; width: 240px; height: 36px; margin: 0; }
</style></head><body>
<a class=c style="top: 8px" href="/page/%(name)st" target=_blank>new tab</a>
<button class=c style="top: 52px" onclick="window.open('/page/%(name)sw')">window.open</button>
<button class=c style="top: 96px" onclick="document.documentElement.requestFullscreen()">full screen</button>
<a class=c style="top: 140px" href="/file/%(name)s.bin">download</a>
<input class=c style="top: 184px">
<button class=c style="top: 228px" onclick="window.close()">close</button>
</body></html>"""
# Another program to drag from, as from an editor or a file manager: text from
# its left half, a file from its right half. It says what the window under the
# drag answers (XDND's status message) and how each drag ends.
SOURCE = r"""#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>
#include <cstdio>
#include <xcb/xcb.h>
struct Source : QWidget, QAbstractNativeEventFilter {
    xcb_atom_t status = 0;
    void mouseMoveEvent(QMouseEvent *e) override {
        auto *data = new QMimeData;
        const QStringList a = QApplication::arguments();
        if (e->position().x() < width() / 2) data->setText(a[1]); else data->setUrls({QUrl::fromLocalFile(a[2])});
        auto *drag = new QDrag(this);  // the drop target asks for the data after exec() has returned
        drag->setMimeData(data);
        printf("%s\n", drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) ? "dropped" : "cancelled");
        fflush(stdout);
    }
    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override {
        auto *e = static_cast<xcb_client_message_event_t *>(message);
        if ((e->response_type & 0x7f) == XCB_CLIENT_MESSAGE && e->type == status)
            printf("%s\n", e->data.data32[1] & 1 ? "accepted" : "refused"), fflush(stdout);
        return false;
    }
};
int main(int argc, char **argv) {
    QApplication app(argc, argv);
    Source s;
    xcb_connection_t *c = app.nativeInterface<QNativeInterface::QX11Application>()->connection();
    s.status = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 10, "XdndStatus"), nullptr)->atom;
    app.installNativeEventFilter(&s);
    s.setWindowTitle("drag source");
    s.setGeometry(0, 1008, 240, 16);
    s.show();
    return app.exec();
}
"""
KEYS = ["ctrl+l", "ctrl+t", "F6", "ctrl+w", "ctrl+F4", "ctrl+Tab", "ctrl+Next", "ctrl+shift+Tab", "ctrl+Prior", "F5",
        "ctrl+r", "Escape", "alt+Left", "alt+Right", "ctrl+plus", "ctrl+equal", "ctrl+minus", "ctrl+0", "Return"]


class Pages(Hits):
    """Hits, and /page/NAME: a page with a control for each thing a page does;
    /file/NAME: a small download."""

    def do_GET(self):
        if not self.path.startswith(("/page/", "/file/")):
            return super().do_GET()
        with Hits.lock:
            Hits.paths.append(self.path)
        page = self.path.startswith("/page/")
        body = (PAGE % dict(name=self.path[6:]) if page else "x" * 4096).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/html" if page else "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        if not page:
            self.send_header("Content-Disposition", 'attachment; filename="%s"' % self.path[6:])
        self.end_headers()
        self.wfile.write(body)


class Monkey(tray_session.Session):
    def __init__(self, binary, files, seed, steps):
        super().__init__(binary, files, None)
        self.steps, self.rng = steps, random.Random(seed)
        self.done = collections.deque(maxlen=20)
        self.names, self.source = 0, None

    # --- set-up and tear-down ---------------------------------------------
    def start_server(self):
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Pages)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.port = self.server.server_address[1]
        return self.port

    def start_tray(self):
        # At the bottom, where a taskbar is: the screen-wide window leaves that
        # room, and without a window manager nothing keeps a panel over windows.
        self.spawn(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                    "--height", "24", "--transparent", "false", "--expand", "true"], "trayer.log")
        self.panel = wait_for("the notification area", lambda: self.windows_named("^panel$"), bound=20)[0]

    def start_program(self, prog):
        # The desktop's opener (关于, a download's message) only notes what it is given.
        opener = self.write("tools/xdg-open", '#!/bin/sh\necho "$@" >> "%s/opened"\n' % self.tmp)
        os.chmod(opener, 0o755)
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.devtools = s.getsockname()[1]
        self.env.update(PATH=os.path.dirname(opener) + os.pathsep + self.env["PATH"], BROWSER=opener,
                        QTWEBENGINE_REMOTE_DEBUGGING="127.0.0.1:%d" % self.devtools)
        super().start_program(prog)

    def write(self, name, text):
        path = os.path.join(self.tmp, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
        return path

    def build_source(self):
        """Starts building the drag source; None where g++ or the headers are missing."""
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", "Qt6Widgets", "xcb"],
                               capture_output=True, text=True)
        if flags.returncode != 0 or not shutil.which("g++"):
            return None
        return self.spawn(["g++", "-std=c++17", "-fPIC", self.write("source.cpp", SOURCE), "-o", "source"]
                          + flags.stdout.split(), "source-build.log", cwd=self.tmp)

    def start_source(self, build):
        if build is not None:
            wait_for("the drag source to be built", lambda: build.poll() is not None, bound=120)
        if build is None or build.returncode != 0:
            print("no drag source could be built: no drags from another program", flush=True)
            return
        self.spawn([os.path.join(self.tmp, "source"), "http://127.0.0.1:%d/page/dragged" % self.port,
                    self.write("dropped.txt", "a file dropped on a tab\n")], "source.log", cwd=self.tmp)
        self.source = wait_for("the drag source", lambda: self.visible("^drag source$"), bound=20)[0]

    def close(self):
        # The engine's processes too, should the program leave any behind.
        left = []
        try:
            left = [(c, fault_start.proc(c, "cmdline")) for p in self.procs for c in fault_start.descendants(p.pid)]
        finally:
            super().close()
        for pid, line in left:
            if fault_start.proc(pid, "cmdline") == line:
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, signal.SIGKILL)

    # --- looking and acting ------------------------------------------------
    def xdo(self, *args):
        args = list(map(str, args))
        # Escape sent to a window that then goes is left down in the X
        # server's test keyboard for good, where it repeats, and a press of
        # a key that is down never comes: a key pressed, sent or typed, is
        # a press after a release, as on any real keyboard.
        if "key" in args:
            # Released, then a round trip: the press cannot come in the same
            # millisecond, which is how a repeat comes.
            self.x("xdotool", "keyup", "Escape", "getmouselocation", check=False)
            self.x("xdotool", "getmouselocation", check=False)
        return self.x("xdotool", *args, check=False)

    def visible(self, name, by="--name"):
        return self.xdo("search", "--maxdepth", "1", "--onlyvisible", by, name).split()

    def note(self, line):
        self.done.append(line)
        print(line, flush=True)

    def pages(self):
        try:
            with urllib.request.urlopen("http://127.0.0.1:%d/json/list" % self.devtools, timeout=5) as r:
                return sum(1 for t in json.load(r) if t.get("type") == "page")
        except OSError as e:
            raise Failure("the engine's remote debugging endpoint did not answer: %s" % e)

    def win(self):
        return self.geometry(self.main)

    def place(self, wid):
        """The window's place and size, or None once it has gone."""
        try:
            return self.geometry(wid)[:4]
        except Failure:
            return None

    def click(self, point, times=1, wid=None):
        """Clicks at point in the main window (or wid), hovering first as a hand does."""
        at = self.place(wid or self.main)
        if not at:
            return "its window went"
        px, py = at[0] + round(point[0]), at[1] + round(point[1])
        self.xdo("mousemove", px, py, "mousemove", px + 1, py, "click", "--repeat", times, "--delay", 60, 1)
        return "at %d,%d" % (point[0], point[1])

    def tab_place(self, k, n):
        """Tab k's left edge and width in window pixels: the strip (the window
        less 120 twips) shared out among n tabs, each 1000 to 2700 twips."""
        width = min(max(round((self.win()[2] * 15 - 120) / n), 1000), 2700)
        return 4 + k * width / 15, width / 15

    def some_tab(self):
        """A random tab's middle, and its close button's."""
        n = max(self.pages(), 1)
        left, width = self.tab_place(self.rng.randrange(n), n)
        return (left + width / 2, 39), (left + width - 12, 39)

    def full_screen(self):
        """The program's windows over the whole screen: a page full screen."""
        return [w for w in self.visible("^tavrin$", "--classname") if self.place(w) == (0, 0) + SCREEN]

    def menus(self):
        """The program's windows shown without a title: its menus."""
        shown = set(self.xdo("search", "--onlyvisible", "--classname", "^tavrin$").split())
        return shown - set(self.xdo("search", "--onlyvisible", "--name", ".").split())

    # --- the walk and its checks -------------------------------------------
    def run(self):
        started = time.monotonic()
        self.prog = self.lay_out_program(self.start_server())
        build = self.build_source()
        self.start_x()
        self.start_program(self.prog)
        self.main = wait_for("the main window", self.main_window, bound=60)
        wait_for("the tray icon", lambda: self.geometry(self.panel)[2] > 2, bound=30)
        self.start_source(build)
        actions = [a for a in ACTIONS if self.source or "another program" not in a[1]]
        for step in range(1, self.steps + 1):
            _, what, act = self.rng.choices(actions, [a[0] for a in actions])[0]
            try:
                said = act(self)
            except Failure:
                self.note("%4d %s: failed" % (step, what))
                raise
            said = said.strip("; ") if isinstance(said, str) else ""
            self.note("%4d %s%s" % (step, what, ": " + said if said else ""))
            if self.program.poll() is not None:
                raise Failure("the program ended with status %d" % self.program.returncode)
            shown = self.xdo("search", "--maxdepth", "1", "--onlyvisible", "--name", "^(Tavrin|打开网址)$",
                             "getwindowname", "%@").split()
            if shown.count("Tavrin") > 1 or shown.count("打开网址") > 1:
                raise Failure("%d main windows and %d address dialogs shown at once" % (
                    shown.count("Tavrin"), shown.count("打开网址")))
            if step % 10 == 0 or step == self.steps:
                self.check()
        self.note("     退出 from the tray menu, after %.1f s" % (time.monotonic() - started))
        self.end_from_tray()
        self.expect_exit(10, " of 退出")

    def check(self):
        self.note("     check: the tray icon, the dialog, the strip")
        for _ in self.full_screen():  # Escape leaves it, with the keyboard in the page
            self.xdo("mousemove", SCREEN[0] - 5, SCREEN[1] - 5, "click", 1, "key", "Escape")
            wait_for("Escape to leave full screen", lambda: not self.full_screen(), bound=3)
        x, y = self.tray_icon_centre()
        self.xdo("mousemove", x, y, "click", "--repeat", 2, "--delay", 80, 1)
        self.main = wait_for("the main window to show", lambda: self.visible(MAIN), bound=3)[0]
        self.click(OPEN_URL_BUTTON)
        dialog = wait_for("the dialog to open from its button", lambda: self.visible(DIALOG), bound=3)[0]
        wait_for("the dialog to have the keyboard", lambda: self.xdo("getwindowfocus").strip() == dialog
                 or not self.visible(DIALOG), bound=3)
        if not self.visible(DIALOG):
            raise Failure("the address dialog went before anyone dismissed it")
        how, where = self.rng.choice([("typed in the dialog", []),
                                      ("sent to the dialog's window", ["--window", dialog])])
        self.note("     check: Escape " + how)
        self.xdo("key", *where, "Escape")
        wait_for("Escape to close the dialog", lambda: not self.visible(DIALOG), bound=3)
        said = []
        try:
            wait_for("every tab on the strip", lambda: said.append(self.strip()) or said[-1][0], bound=5)
        except Failure:
            raise Failure(said[-1][1])
        self.note("     check: " + said[-1][1])

    def strip(self):
        """Whether the tabs' faces (their icons) lie where the strip's layout
        puts that many tabs, all on the strip, one at least for each page the
        engine lists (a page whose renderer died for good is not listed, but
        its tab stays); and what was seen."""
        x, y, w, _, _ = self.win()
        end = 4 + (w * 15 - 120) / 15
        img = screen_pixels.grab(self.env, x + 4, y + 31, int(end) - 4, 16)
        seen = [4 + i for i in range(img.width)
                if all(screen_pixels.near(img.pixel(i, r), ICON_EDGE, 16) for r in range(16))]
        pages = self.pages()

        def faces(n):
            # Tabs at their narrowest that no longer fit run past the strip's
            # end: a face shows wherever its icon's edge is still on the strip.
            return [left + 6 for left, _ in (self.tab_place(k, n) for k in range(n)) if left + 6 < end]

        # At least as many tabs as faces and listed pages; more when the last
        # run off the strip and their pages are gone from the engine's list.
        least = max(pages, len(seen), 1)
        for n in range(least, least + 16):
            if len(seen) == len(faces(n)) and all(abs(f - s) <= 2 for f, s in zip(faces(n), seen)):
                return True, "%d tabs, %d on the strip, %d pages" % (n, len(seen), pages)
        return False, "%d pages: tab icons expected at x %s, seen at %s" % (
            pages, [round(f) for f in faces(least)], seen)


# --- what a person does: each may say what it did --------------------------
def press(m, *keys):
    m.xdo("key", *keys)
    return " ".join(keys)


def control(m, which):
    return m.click((131, 82 + 44 * which))


def in_dialog(m, point):
    """Clicks at point in the address dialog; says so when none is shown."""
    for d in m.visible(DIALOG):
        m.click(point, wid=d)
        return ""
    return "no dialog; "


def address(m):
    m.names += 1  # nothing but loopback addresses, and text that is no host's name
    return m.rng.choice(["http://127.0.0.1:%d/page/%d" % (m.port, m.names), "127.0.0.1:%d/page/%d" % (m.port, m.names),
                         "http://127.0.0.1:%d/file/%d.bin" % (m.port, m.names), "http://127.0.0.1:1/",
                         "about:blank", "javascript:void(0)", "", "not an address"])


def type_in_dialog(m):
    text = address(m)
    said = in_dialog(m, (130, 13)) + repr(text)
    # In place of what is there: a word typed into a loopback address could make it a host's name.
    m.xdo("key", "ctrl+a", "type", "--delay", 5, text)
    return said + (" and " + press(m, "Return") if m.rng.random() < 0.5 else "")


def type_in_page(m):
    text = " ".join(m.rng.choice(["tavrin", "hello", "x", "123", "你好"]) for _ in range(m.rng.randint(2, 3)))
    control(m, INPUT)
    m.xdo("type", "--delay", 5, text)
    return repr(text)


def close_a_tab(m):
    """A tab selected, then its close button (tab 0 has none)."""
    face, button = m.some_tab()
    return m.click(face) + ", " + m.click(button)


def from_source(m, sx):
    """Text (from its left half) or a file (its right half) dragged from the other program onto a tab."""
    x, y, _, _, shown = m.win()
    (tx, ty), _ = m.some_tab()
    m.xdo("mousemove", sx, SCREEN[1] - 8)
    if not shown or m.xdo("getmouselocation").split()[-1] != "window:" + m.source:
        return "nothing to drag from or onto"
    log = os.path.join(m.tmp, "source.log")
    before = len(open(log).read().split())
    said = lambda: open(log).read().split()[before:]  # noqa: E731
    m.xdo("mousedown", 1, "mousemove", sx + 6, SCREEN[1] - 12, "mousemove", x + tx, y + ty)
    moves = iter(range(1 << 30))

    def answered():  # held on the tab, moving a little, until the tab has answered the source
        m.xdo("mousemove", x + tx + next(moves) % 2, y + ty)
        return "accepted" in said()
    with contextlib.suppress(Failure):  # what nothing takes is not dropped
        wait_for("the tab to take the drag", answered, bound=2)
    m.xdo("mouseup", 1)
    ended = wait_for("the drag to end after its drop", lambda: {"dropped", "cancelled"} & set(said()), bound=5)
    return "onto %d,%d: %s" % (tx, ty, ended.pop())


def icon_free(m):
    """Moves the pointer onto the tray icon; False where a window covers it (a page full screen)."""
    x, y = m.tray_icon_centre()
    m.xdo("mousemove", x, y)
    return m.xdo("getmouselocation").split()[-1] == "window:" + m.panel


def tray_menu(item):
    def pick(m):
        """A right press opens the menu; its item 关于 (1) or 打开网址 (2) clicked,
        or chosen with the keyboard: Down from no item goes to 关于, again to 打开网址."""
        if not icon_free(m):
            return "the icon is covered"
        before = m.menus()
        m.xdo("mousedown", 3)
        menu = wait_for("the tray menu to open on a right press", lambda: m.menus() - before, bound=3).pop()
        x, y, w, h = m.place(menu) or (0, 0, 0, 0)
        if m.rng.random() < 0.5 or not w:
            m.xdo("mouseup", 3, "key", *(["Down"] * item + ["Return"]))
            said = "with the keyboard"
        else:
            at = (x + w // 2, y + round(h * (0.16, 0.52)[item - 1]))
            m.xdo("mouseup", 3, "mousemove", *at, "mousemove", at[0] + 1, at[1], "click", 1)
            said = "clicked"
        wait_for("the tray menu to close", lambda: not m.menus() - before, bound=3)
        return said
    return pick


def start_again(count):
    def start(m):
        given = [address(m) for _ in range(count)]
        m.start_again(m.prog, given, bound=5)
        return repr(given)
    return start


def kill_renderer(m):
    found = sorted(fault_start.renderers(m.program.pid))
    if not found:
        return "none runs"
    pid = m.rng.choice(found)
    with contextlib.suppress(ProcessLookupError):
        os.kill(pid, signal.SIGKILL)
    return str(pid)


ACTIONS = [  # weight, what a person does, how
    (10, "click on the strip", lambda m: m.click((m.rng.randint(4, m.win()[2] - 5), m.rng.randint(25, 52)))),
    (3, "click on a tab's close button", lambda m: m.click(m.some_tab()[1])),
    (5, "click on a tab, then on its close button", close_a_tab),
    (2, "click on minimise", lambda m: m.click((m.win()[2] - 79, 9))),
    (2, "click on maximise", lambda m: m.click((m.win()[2] - 50, 9))),
    (2, "click on close", lambda m: m.click((m.win()[2] - 19, 9))),
    (4, "click on 打开网址", lambda m: m.click(OPEN_URL_BUTTON)),
    (2, "double click on the caption bar",
     lambda m: m.click((m.rng.randint(160, m.win()[2] - 110), m.rng.randint(1, 17)), times=2)),
    (3, "text from another program onto a tab", lambda m: from_source(m, 60)),
    (2, "a file from another program onto a tab", lambda m: from_source(m, 180)),
    (4, "typing in the dialog", type_in_dialog),
    (2, "click on the dialog's 打开", lambda m: in_dialog(m, (300, 13))),
    (2, "Escape typed in the dialog", lambda m: in_dialog(m, (130, 13)) + press(m, "Escape")),
    (2, "Escape sent to the dialog's window",
     lambda m: "".join(press(m, "--window", d, "Escape") for d in m.visible(DIALOG)) or "no dialog"),
    (12, "a key", lambda m: press(m, m.rng.choice(KEYS))),
    (3, "typing in a page", type_in_page),
    (3, "double click on the tray icon",
     lambda m: m.xdo("click", "--repeat", 2, "--delay", 80, 1) if icon_free(m) else "the icon is covered"),
    (1, "关于 from the tray menu", tray_menu(1)),
    (2, "打开网址 from the tray menu", tray_menu(2)),
    (2, "started again with an address", start_again(1)),
    (1, "started again with two addresses", start_again(2)),
    (1, "started again without addresses", start_again(0)),
    (3, "the page's link to a new tab", lambda m: control(m, LINK)),
    (3, "the page's window.open", lambda m: control(m, WINDOW_OPEN)),
    (2, "the page's full screen", lambda m: control(m, FULL_SCREEN)),
    (1, "the page's download", lambda m: control(m, DOWNLOAD)),
    (4, "the page's window.close", lambda m: control(m, CLOSE)),
    (1, "a renderer killed", kill_renderer),
]


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    for tool in ("Xvfb", "trayer", "xdotool", "xwininfo", "xdpyinfo", "import"):
        if not shutil.which(tool):
            print("missing %s: run scripts/deps.sh" % tool)
            return SKIP
    seed = int(os.environ.get("TAVRIN_MONKEY_SEED") or random.SystemRandom().randrange(1 << 32))
    steps = int(os.environ.get("TAVRIN_MONKEY_STEPS") or 300)
    print("seed %d (TAVRIN_MONKEY_SEED=%d replays this walk), %d steps" % (seed, seed, steps), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))  # ended so, it still takes everything down
    s = Monkey(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), seed, steps)
    try:
        s.run()
    except Failure as e:
        print("FAILED: %s\nseed %d; the last steps:\n%s" % (e, seed, "\n".join(s.done)))
        s.print_logs(("tavrin.log",))
        return 1
    finally:
        s.close()
    print("passed: %d random steps, seed %d: the checks held and 退出 ended the program with 0" % (steps, seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
