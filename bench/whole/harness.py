#!/usr/bin/env python3
"""Tavrin against the bare engine, whole programs, black box.

Each round starts Tavrin, the floor (build/bench/tavrin_floor: one window, a
tab widget, one Qt WebEngine view per page, the engine's defaults), the tuned
floor (the same program on the scene graph Tavrin picks on this machine:
Qt Quick's software one when there is no GPU render node), and Tavrin once
more with busy pages, each under a fresh HOME and XDG folders, on a private
Xvfb with a notification area (trayer). The first round warms the caches and
is not counted. All load local pages from a loopback HTTP server; every page
sets its title to loaded-N in its load handler, and the harness reads the
titles from the engine's remote debugging endpoint (QTWEBENGINE_REMOTE_DEBUGGING,
GET /json): nothing inside any program is hooked.

What one round measures:
  start      from spawning the program to its first page reading loaded-0
             (Tavrin's first page is start.html in its program directory; the
             floors get the same page as their argument); against the floor
             and against the tuned floor;
  mem one    memory of the whole process tree, every engine helper included
             (see below), 2 s after the first page loaded; against both floors;
  ten tabs   nine more pages asked for as new tabs, ten pages open in all:
             from the first request to the tenth page reading loaded.
             Tavrin is started a second time with the nine addresses on its
             command line and hands them to the running one, which opens each
             in a new tab; the floor is given them at once on its standard
             input (its command line while it runs). With
             TAVRIN_BENCH_ASK=dialog Tavrin is asked as a person asks it
             instead: Ctrl+T, the address typed into its dialog, Enter, by
             real X input (xdotool), one page after the other. The time until
             the last address is handed over is kept as well ("asking"), and
             of it the time inside xdotool calls, the harness's own cost;
  mem ten    memory 2 s after the tenth page loaded;
  mem closed memory after nine of the ten tabs are closed with Ctrl+W (the first
             page stays), once memory has settled: sampled every 0.5 s until
             three samples agree within 1 %, at most 10 s;
  thirty     then thirty more pages handed over at once as the nine were: the
             time to the last loaded, and memory 2 s later less memory after
             closing, per added tab;
  busy       Tavrin alone, with ten busy pages (a 4 ms timer, a CSS animation,
             a callback every animation frame): the tree's CPU (utime + stime
             of every process in it) over 10 s, 3 s after the last loaded with
             the window up, then 3 s after its close button hid it to the tray,
             as a share of one core;
  back       then a double click on the tray icon until the page's colour
             fills a square of the page area where the window was: the window
             mapped and its page painted, in ms (the harness reads the pixels
             itself through libX11 every 2 ms or so, and sends the clicks through
             XTest, so that neither costs a process).

Memory: PSS divides a page among every process mapping it, so another program
running Qt WebEngine beside the harness would take a share of the engine's
library pages and lower both programs' PSS by tens of MiB, at random moments.
The figure kept is therefore the tree's resident pages with each page counted
once (page frames from /proc/<pid>/pagemap, for the mappings smaps says hold
any): what the tree's PSS sums to when nothing outside it maps those pages,
which nothing running beside it moves. Reading page frames takes root
(CAP_SYS_ADMIN); without it the figure falls back to PSS. The PSS read at the
same moment is kept in the JSON file (pss_*). Rounds during which another
program ran the engine are counted as disturbed: their times shared the CPU.

usage: python3 -m bench.whole.harness [--build DIR] [--rounds N] [--json FILE]
       TAVRIN_BENCH_ROUNDS=N sets the default for --rounds (9).
"""

import argparse
import contextlib
import ctypes
import glob
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
from tests.support.xsession import (CLOSE_BUTTON, Failure, Image, Server, Session, near, proc, process_tree, require,
                                    wait_for, write)

PAGES = 10                 # pages open at the most in the ten-tab run, the first page included
THIRTY = 30                # pages handed over at once afterwards
DIALOG = "打开网址"        # the address dialog's caption
POLL = 0.02                # how often the titles are looked at
CPU_AFTER, CPU_SPAN = 3.0, 10.0   # the busy pages' CPU: from so long after, over so long
# The scene graph Tavrin picks here: Qt Quick's software one without a GPU render node.
TUNED_ENV = {} if any(os.access(n, os.R_OK | os.W_OK) for n in glob.glob("/dev/dri/renderD*")) else {
    "QT_QUICK_BACKEND": "software"}

# The figures compared: key, the figure, Tavrin's run, the run it is held against (None: Tavrin's alone).
FIGURES = [
    ("start", "start", "tavrin", "floor"),
    ("mem_one", "mem_one", "tavrin", "floor"),
    ("start_tuned", "start", "tavrin", "tuned"),
    ("mem_one_tuned", "mem_one", "tavrin", "tuned"),
    ("ten_tabs", "ten_tabs", "tavrin", "floor"),
    ("input", "input", "tavrin", "floor"),
    ("xdotool", "xdotool", "tavrin", "floor"),
    ("mem_ten", "mem_ten", "tavrin", "floor"),
    ("mem_closed", "mem_closed", "tavrin", "floor"),
    ("thirty_tabs", "thirty_tabs", "tavrin", "floor"),
    ("mem_per_tab", "mem_per_tab", "tavrin", "floor"),
    ("cpu_up", "cpu_up", "tray", None),
    ("cpu_tray", "cpu_tray", "tray", None),
    ("back", "back", "tray", None),
]


def page_html(n):
    """A small page of its own: some text to lay out, and its title set once loaded."""
    paragraphs = "".join("<p>Paragraph %d of page %d, with some words to lay out.</p>" % (p, n)
                         for p in range(40))
    return ("<!doctype html><html><head><meta charset=\"utf-8\"><title>page %d</title></head>"
            "<body><h1>Page %d</h1>%s<script>"
            "addEventListener('load', () => document.title = 'loaded-%d');"
            "</script></body></html>" % (n, n, paragraphs, n))


BUSY_COLOUR = (0x2E, 0x8B, 0x57)


def busy_html(n):
    """A page that never rests (a 4 ms timer, a CSS animation, a callback every
    animation frame), on a plain colour that shows when it is painted."""
    return ("<!doctype html><html><head><meta charset=\"utf-8\"><title>busy %d</title><style>"
            "body{margin:0;height:100vh;background:#2e8b57}"
            "#spin{width:60px;height:60px;background:#fff;animation:spin 1s linear infinite}"
            "@keyframes spin{to{transform:rotate(360deg)}}</style></head>"
            "<body><div id=\"spin\"></div><p id=\"ticks\">0</p><script>"
            "let ticks = 0; setInterval(() => ticks++, 4);"
            "const frame = () => { document.getElementById('ticks').textContent = ticks;"
            " requestAnimationFrame(frame); }; requestAnimationFrame(frame);"
            "addEventListener('load', () => document.title = 'loaded-busy-%d');"
            "</script></body></html>" % (n, n))


def route(html):
    """/KIND-N answers page N of its kind, never from a cache."""
    return lambda handler: (html(int(handler.path.rpartition("-")[2])), {"Cache-Control": "no-store"})


# --- memory ----------------------------------------------------------------

def pss_mib(root):
    """PSS of the process tree in MiB, and how many processes it counted."""
    total, count = 0, 0
    for pid in process_tree(root):
        try:
            with open("/proc/%d/smaps_rollup" % pid) as f:
                text = f.read()
        except OSError:
            continue
        count += 1
        for line in text.splitlines():
            if line.startswith("Pss:"):
                total += int(line.split()[1])
    return total / 1024.0, count


# A pagemap entry's top byte holds "present" in its top bit; its low 55 bits
# are the page frame (read as 0 without CAP_SYS_ADMIN).
_PRESENT = bytes(1 if b >= 0x80 else 0 for b in range(256))
_PFN = (1 << 55) - 1


def tree_pages_mib(root):
    """The tree's resident pages, each page counted once however many of the
    tree's processes map it: what the tree's PSS sums to when nothing outside
    it maps the same pages. None when the page frames cannot be read."""
    frames = set()
    for pid in process_tree(root):
        try:
            with open("/proc/%d/smaps" % pid) as f:
                lines = f.read().splitlines()
            pagemap = open("/proc/%d/pagemap" % pid, "rb")
        except OSError:
            continue
        with pagemap:
            start = end = 0
            for line in lines:
                head = line.split(" ", 1)[0]
                if "-" in head and not head.endswith(":"):
                    a, b = head.split("-")
                    start, end = int(a, 16), int(b, 16)
                elif line.startswith("Rss:") and line.split()[1] != "0":
                    try:
                        pagemap.seek(start // 4096 * 8)
                        data = pagemap.read((end - start) // 4096 * 8)
                    except OSError:
                        continue
                    for m in re.finditer(b"\x01", data[7::8].translate(_PRESENT)):
                        i = m.start() * 8
                        frames.add(int.from_bytes(data[i:i + 8], "little") & _PFN)
    if frames <= {0}:
        return None
    return len(frames) * 4096 / 1048576.0


def memory(root):
    """The figure kept: the tree's pages once each (PSS if page frames are out of reach), PSS, processes."""
    pss, count = pss_mib(root)
    once = tree_pages_mib(root)
    return (once if once is not None else pss), pss, count


def foreign_engines(root):
    """Processes outside root's tree that map Qt WebEngine: they share its
    library pages with the tree and so lower the tree's PSS."""
    ours = set(process_tree(root)) if root else set()
    found = 0
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) in ours or int(entry) == os.getpid():
            continue
        try:
            with open("/proc/%s/maps" % entry) as f:
                if "libQt6WebEngineCore" in f.read():
                    found += 1
        except OSError:
            continue
    return found


def settled_memory(root, bound=10.0):
    """Samples every 0.5 s until three samples agree within 1 %, at most bound seconds."""
    deadline = time.monotonic() + bound
    samples = [memory(root)]
    while time.monotonic() < deadline:
        time.sleep(0.5)
        samples.append(memory(root))
        last = [m[0] for m in samples[-3:]]
        if len(last) == 3 and max(last) - min(last) <= 0.01 * min(last):
            break
    return samples[-1]


# --- CPU and the screen -----------------------------------------------------

TICK = os.sysconf("SC_CLK_TCK")


def tree_cpu(root):
    """CPU seconds (utime + stime) each process of the tree has used so far."""
    out = {}
    for pid in process_tree(root):
        fields = proc(pid, "stat").rpartition(b")")[2].split()   # from the state on: utime is the 12th
        if len(fields) > 12:
            out[pid] = (int(fields[11]) + int(fields[12])) / TICK
    return out


def cpu_share(root, since):
    """The tree's CPU over CPU_SPAN seconds from CPU_AFTER after since, in per cent of one
    core; a process started meanwhile counts from its start."""
    time.sleep(max(0.0, since + CPU_AFTER - time.monotonic()))
    started, before = time.monotonic(), tree_cpu(root)
    time.sleep(CPU_SPAN)
    after = tree_cpu(root)
    return 100.0 * sum(t - before.get(pid, 0.0) for pid, t in after.items()) / (time.monotonic() - started)


class XImage(ctypes.Structure):     # Xlib's XImage, as far as its samples
    _fields_ = [(name, ctypes.c_int) for name in ("width", "height", "xoffset", "format")] + [
        ("data", ctypes.c_void_p)] + [(name, ctypes.c_int) for name in (
            "byte_order", "bitmap_unit", "bitmap_bit_order", "bitmap_pad", "depth", "bytes_per_line",
            "bits_per_pixel")]


class Display:
    """The harness's own connection to the X server: the screen's pixels and
    clicks at once, where xsession's grab starts ImageMagick (over 100 ms a
    look here) and xdotool a process a call. Closed before the server ends:
    Xlib ends the process whose server goes."""

    def __init__(self, name):
        c = ctypes
        signatures = {  # name: result, arguments
            "XOpenDisplay": (c.c_void_p, [c.c_char_p]),
            "XDefaultRootWindow": (c.c_ulong, [c.c_void_p]),
            "XGetImage": (c.POINTER(XImage), [c.c_void_p, c.c_ulong, c.c_int, c.c_int, c.c_uint, c.c_uint,
                                              c.c_ulong, c.c_int]),
            "XDestroyImage": (c.c_int, [c.POINTER(XImage)]),
            "XFlush": (c.c_int, [c.c_void_p]),
            "XCloseDisplay": (c.c_int, [c.c_void_p]),
            "XTestFakeMotionEvent": (c.c_int, [c.c_void_p, c.c_int, c.c_int, c.c_int, c.c_ulong]),
            "XTestFakeButtonEvent": (c.c_int, [c.c_void_p, c.c_uint, c.c_int, c.c_ulong]),
        }
        x11, xtst = c.CDLL("libX11.so.6"), c.CDLL("libXtst.so.6")
        for fn, (result, arguments) in signatures.items():
            f = getattr(xtst if fn.startswith("XTest") else x11, fn)
            f.restype, f.argtypes = result, arguments
            setattr(self, fn, f)
        self.dpy = self.XOpenDisplay(name.encode())
        require(self.dpy, "cannot open the display %s", name)
        self.root = self.XDefaultRootWindow(self.dpy)

    def pixels(self, x, y, w, h):
        """The screen's pixels in the rectangle (inside the screen), as xsession's Image."""
        ref = self.XGetImage(self.dpy, self.root, x, y, w, h, 0xFFFFFFFF, 2)   # all planes, ZPixmap
        require(ref, "no image of %dx%d+%d+%d", w, h, x, y)
        try:
            img = ref.contents
            require(img.bits_per_pixel == 32 and img.bytes_per_line == 4 * w, "an image of %d bits a pixel",
                    img.bits_per_pixel)
            bgrx = ctypes.string_at(img.data, 4 * w * h)
        finally:
            self.XDestroyImage(ref)
        rgb = bytearray(3 * w * h)
        rgb[0::3], rgb[1::3], rgb[2::3] = bgrx[2::4], bgrx[1::4], bgrx[0::4]
        return Image(w, h, bytes(rgb))

    def click(self, x, y):
        self.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        self.XTestFakeButtonEvent(self.dpy, 1, True, 0)
        self.XTestFakeButtonEvent(self.dpy, 1, False, 0)
        self.XFlush(self.dpy)

    def close(self):
        self.XCloseDisplay(self.dpy)


# --- one run of one program ------------------------------------------------

class Run(Session):
    """One program's run on a desktop of its own (tests/support/xsession.py)."""

    def __init__(self, program, build, base):
        super().__init__(prefix="tavrin-bench-%s-" % program)
        self.program_name = program      # "tavrin", "floor", "tuned" (the floor on Tavrin's scene graph), "tray"
        self.tavrin = program in ("tavrin", "tray")
        self.build = build
        self.base = base
        self.proc = None
        self.x_time = 0.0                # spent sending X input

    def url(self, n, kind="page"):
        return "%s/%s-%d" % (self.base, kind, n)

    def x(self, *args, check=False, timeout=20):
        started = time.monotonic()
        out = super().x(*args, check=check, timeout=timeout)
        if args[1] != "getwindowfocus":      # a poll waits for the program: its time is the program's
            self.x_time += time.monotonic() - started
        return out

    def log_tail(self, name, size=2000):
        with contextlib.suppress(OSError):
            return self.log(name)[-size:]
        return ""

    # --- what the engine shows ---
    def loaded(self):
        with contextlib.suppress(Failure):
            return {t.get("title") for t in self.pages() if t.get("title", "").startswith("loaded-")}
        return set()

    def check_alive(self):
        if self.proc.poll() is not None:
            raise Failure("%s ended with status %s:\n%s" % (self.program_name, self.proc.returncode,
                                                            self.log_tail("program.log")))

    def wait_loaded(self, names, what, bound):
        def done():
            self.check_alive()
            return names <= self.loaded()
        wait_for(done, bound, what, step=POLL)

    # --- the program's window and keys ---
    def window(self):
        if self.tavrin:
            return self.main_window()
        found = self.xdo("search", "--onlyvisible", "--pid", self.proc.pid).split()
        return found[0] if found else None

    def focused_name(self):
        return self.xdo("getwindowfocus", "getwindowname").strip()

    def ask_tavrin(self, address):
        """Ctrl+T, the address typed into the dialog, Enter."""
        # The X server takes one client's requests in order: the keys go to
        # the window just given the focus, with no need to wait for it.
        self.xdo("windowfocus", self.main, "key", "--delay", "0", "ctrl+t")
        wait_for(lambda: self.focused_name() == DIALOG, 20, "the address dialog to have the keyboard", step=0.002)
        # type takes every word after it as text, and its newline is no Enter
        # to the dialog: the key is a call of its own.
        self.xdo("type", "--delay", "0", address)
        self.xdo("key", "--delay", "0", "Return")

    def close_shown_tab(self):
        self.xdo("windowfocus", self.main, "key", "--delay", "0", "ctrl+w")

    # --- the run ---
    def launch(self, first_page, title):
        """Starts the program on first_page; the time until its title reads title."""
        self.start_x()
        self.make_home(sandbox=True)    # the engine's sandbox, unless as root
        self.remote_debugging()
        if self.tavrin:
            self.lay_out(os.path.join(self.build, "tavrin"), os.path.join(REPO, "skin"), first_page)
            args = [os.path.join(self.prog, "tavrin")]
        else:
            self.prog = os.path.dirname(write(self.path("program", "start.html"), first_page))
            args = [os.path.join(self.build, "bench", "tavrin_floor"),
                    "file://" + os.path.join(self.prog, "start.html")]
            if self.program_name == "tuned":
                self.env.update(TUNED_ENV)
        started = time.monotonic()
        self.proc = self.spawn(args, "program.log", cwd=self.tmp, stdin=subprocess.PIPE)
        self.wait_loaded({title}, "the first page", bound=120)
        return time.monotonic() - started

    def hand_over(self, addresses):
        """Tavrin started again with the addresses hands them to the running one; the floor reads them on its input."""
        if self.tavrin:
            again = self.spawn([os.path.join(self.prog, "tavrin")] + addresses, "again.log", cwd=self.tmp)
            if again.wait(timeout=30) != 0:
                raise Failure("the second start ended with status %d" % again.returncode)
        else:
            self.proc.stdin.write("".join(a + "\n" for a in addresses).encode())
            self.proc.stdin.flush()

    def open_tabs(self, numbers, by_dialog=False):
        """Pages asked for as new tabs: the time to the last loaded, and of it the time spent asking."""
        wanted = {"loaded-0"} | {"loaded-%d" % n for n in numbers}
        asked = time.monotonic()
        if by_dialog:
            for n in numbers:
                self.ask_tavrin(self.url(n))
                self.check_alive()
        else:
            self.hand_over([self.url(n) for n in numbers])
        handed = time.monotonic()
        self.wait_loaded(wanted, "%d pages" % len(wanted), bound=300)
        return time.monotonic() - asked, handed - asked

    def measure_memory(self, fig, name, since):
        """Memory 2 s after since, as mem_NAME (pss_NAME, procs_NAME beside it)."""
        time.sleep(max(0.0, since + 2.0 - time.monotonic()))
        fig["mem_" + name], fig["pss_" + name], fig["procs_" + name] = memory(self.proc.pid)
        fig["foreign"] = max(fig.get("foreign", 0), foreign_engines(self.proc.pid))

    def run(self):
        """Start, one page, ten tabs, nine closed, thirty more; the tuned floor stops after one page."""
        fig = {"start": self.launch(page_html(0), "loaded-0")}
        self.measure_memory(fig, "one", time.monotonic())
        if self.program_name == "tuned":
            return fig

        self.main = wait_for(self.window, 30, "the main window")
        self.x_time = 0.0
        by_dialog = self.tavrin and os.environ.get("TAVRIN_BENCH_ASK") == "dialog"
        fig["ten_tabs"], fig["input"] = self.open_tabs(range(1, PAGES), by_dialog)
        fig["xdotool"] = self.x_time
        self.measure_memory(fig, "ten", time.monotonic())

        # Nine closed: the tab shown each time, the last opened first.
        for left in range(PAGES - 1, 0, -1):
            self.close_shown_tab()
            wait_for(lambda: (self.check_alive(), len(self.loaded()) == left)[1], 30, "%d pages left" % left,
                     step=POLL)
        if self.loaded() != {"loaded-0"}:
            raise Failure("after closing, the pages left are %s" % sorted(self.loaded()))
        fig["mem_closed"], fig["pss_closed"], fig["procs_closed"] = settled_memory(self.proc.pid)
        fig["foreign"] = max(fig["foreign"], foreign_engines(self.proc.pid))

        fig["thirty_tabs"], fig["input_thirty"] = self.open_tabs(range(PAGES, PAGES + THIRTY))
        self.measure_memory(fig, "thirty", time.monotonic())
        fig["mem_per_tab"] = (fig["mem_thirty"] - fig["mem_closed"]) / THIRTY
        return fig

    def tray(self):
        """Ten busy pages: the tree's CPU with the window up, then closed to the tray; then back."""
        self.launch(busy_html(0), "loaded-busy-0")
        self.main = wait_for(self.window, 30, "the main window")
        wait_for(lambda: self.geometry(self.panel)[2] > 2, 30, "the tray icon")
        self.hand_over([self.url(n, "busy") for n in range(1, PAGES)])
        self.wait_loaded({"loaded-busy-%d" % n for n in range(PAGES)}, "ten busy pages", bound=300)
        fig = {"cpu_up": cpu_share(self.proc.pid, time.monotonic())}
        at = self.geometry(self.main)
        require(at, "the main window went")
        self.click(CLOSE_BUTTON)
        wait_for(lambda: not self.shown(self.main), 20, "the close button to hide the window")
        fig["cpu_tray"] = cpu_share(self.proc.pid, time.monotonic())
        fig["back"] = self.back_from_tray(at)
        fig["foreign"] = foreign_engines(self.proc.pid)
        return fig

    def back_from_tray(self, at):
        """A double click on the tray icon until the busy page's colour fills a square of the
        page area where the window was; in ms from the second press."""
        screen = Display(self.env["DISPLAY"])
        try:
            square = (at[0] + at[2] // 2, at[1] + at[3] // 2, 100, 100)
            painted = lambda: screen.pixels(*square).share(lambda c: near(c, BUSY_COLOUR)) >= 0.95
            require(not painted(), "the page shows with the window hidden")
            x, y = self.tray_icon_centre()
            screen.click(x, y)
            time.sleep(0.08)           # the second press as a hand makes it, and as the tray tests send it
            pressed = time.monotonic()
            screen.click(x, y)
            wait_for(painted, 10, "the page painted after a double click on the tray icon", step=0.002)
            return (time.monotonic() - pressed) * 1000.0
        finally:
            screen.close()


# --- rounds and the summary -------------------------------------------------

def spread(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values)}


def summarise(rounds):
    out = {}
    for key, figure, who, against in FIGURES:
        t = [r[who][figure] for r in rounds]
        out[key] = {"tavrin": spread(t)}
        if against:
            f = [r[against][figure] for r in rounds]
            out[key].update(floor=spread(f), ratio=spread([a / b if b else float("inf") for a, b in zip(t, f)]))
    # Memory after closing, against the same program's one-page figure.
    for who in ("tavrin", "floor"):
        out["mem_closed"][who + "_vs_one"] = spread(
            [r[who]["mem_closed"] / r[who]["mem_one"] for r in rounds])
    return out


def one_run(program, build, base, attempts=2):
    """One run; a run that fails for the harness's own reasons is tried once more."""
    for attempt in range(attempts):
        r = Run(program, build, base)
        try:
            return r.tray() if program == "tray" else r.run()
        except Failure as e:
            print("  %s run failed (%s)%s" % (program, e, ", trying again" if attempt + 1 < attempts else ""),
                  flush=True)
            if attempt + 1 == attempts:
                raise
        finally:
            r.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(REPO, "build"))
    parser.add_argument("--rounds", type=int, default=int(os.environ.get("TAVRIN_BENCH_ROUNDS", "9")),
                        help="measured rounds, after one warm-up round (default 9, or TAVRIN_BENCH_ROUNDS)")
    parser.add_argument("--json", help="write the rounds and the summary here")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    for tool in ("Xvfb", "trayer", "xdotool", "xwininfo"):
        if not shutil.which(tool):
            print("missing %s: run scripts/deps.sh" % tool)
            return 2
    for path in ("tavrin", "tavrin-browser", "bench/tavrin_floor"):
        if not os.access(os.path.join(build, path), os.X_OK):
            print("no %s in %s: build first" % (path, build))
            return 2

    server = Server({"/page-": route(page_html), "/busy-": route(busy_html)})

    rounds = []
    try:
        for k in range(args.rounds + 1):
            name = "warm-up round" if k == 0 else "round %d of %d" % (k, args.rounds)
            result = {}
            for program in ("tavrin", "floor", "tuned", "tray"):
                result[program] = one_run(program, build, server.base)
            print("%-16s" % name + "  ".join(
                "%s %.2f" % (key, result[who][figure]) + ("/%.2f" % result[against][figure] if against else "")
                for key, figure, who, against in FIGURES), flush=True)
            if k > 0:
                rounds.append(result)
    except Failure as e:
        print("the harness stopped: %s" % e)
        return 1
    finally:
        server.shutdown()
        server.server_close()

    summary = summarise(rounds)
    summary["disturbed_rounds"] = sum(1 for r in rounds if any(run["foreign"] for run in r.values()))
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"pages": PAGES, "thirty": THIRTY, "rounds": rounds, "summary": summary}, f, indent=1)
    if not args.json:        # otherwise the caller prints the table (make bench: with the others)
        sys.dont_write_bytecode = True
        from bench.whole import table
        print()
        print(table.whole_table(summary))
    return 0


if __name__ == "__main__":
    sys.exit(main())
