#!/usr/bin/env python3
"""Tavrin against the bare engine, whole programs, black box.

Each round starts Tavrin and then the floor (build/bench/tavrin_floor: one
window, a tab widget, one Qt WebEngine view per page, the engine's defaults),
each once, each under a fresh HOME and XDG folders, on a private Xvfb with a
notification area (trayer). The first round warms the caches and is not
counted. Both load the same local pages from a loopback HTTP server; every
page sets its title to loaded-N in its load handler, and the harness reads the
titles from the engine's remote debugging endpoint (QTWEBENGINE_REMOTE_DEBUGGING,
GET /json): nothing inside either program is hooked.

What one run measures:
  start      from spawning the program to its first page reading loaded-0
             (Tavrin's first page is start.html in its program directory; the
             floor gets the same page as its argument);
  mem one    memory of the whole process tree, every engine helper included
             (see below), 2 s after the first page loaded;
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
             three samples agree within 1 %, at most 10 s.

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

usage: harness.py [--build DIR] [--rounds N] [--json FILE]
       TAVRIN_BENCH_ROUNDS=N sets the default for --rounds (9).
"""

import argparse
import http.server
import json
import os
import re
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))

PAGES = 10                 # pages open at the most, the first page included
MAIN_SIZE = (903, 602)     # Tavrin's main window, 13545 x 9030 twips
DIALOG = "打开网址"        # the address dialog's caption
POLL = 0.02                # how often the titles are looked at

FIGURES = [
    # key, label, unit
    ("start", "cold start to first page", "s"),
    ("mem_one", "memory, one page", "MiB"),
    ("ten_tabs", "ten tabs loaded", "s"),
    ("mem_ten", "memory, ten pages", "MiB"),
    ("mem_closed", "memory, nine closed", "MiB"),
]


class Failure(Exception):
    pass


def wait_for(what, cond, bound, step=POLL):
    """Polls cond until it gives something true; fails after bound seconds."""
    deadline = time.monotonic() + bound
    while True:
        value = cond()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(step)


def page_html(n):
    """A small page of its own: some text to lay out, and its title set once loaded."""
    paragraphs = "".join("<p>Paragraph %d of page %d, with some words to lay out.</p>" % (p, n)
                         for p in range(40))
    return ("<!doctype html><html><head><meta charset=\"utf-8\"><title>page %d</title></head>"
            "<body><h1>Page %d</h1>%s<script>"
            "addEventListener('load', () => document.title = 'loaded-%d');"
            "</script></body></html>" % (n, n, paragraphs, n)).encode()


class Pages(http.server.BaseHTTPRequestHandler):
    """/page-N answers page N; every path asked for is kept."""
    asked = []
    lock = threading.Lock()

    def do_GET(self):
        with Pages.lock:
            Pages.asked.append(self.path)
        if not self.path.startswith("/page-") or not self.path[6:].isdigit():
            self.send_error(404)
            return
        body = page_html(int(self.path[6:]))
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


# --- memory ----------------------------------------------------------------

def process_tree(root):
    """Every process whose parent chain reaches root, root included."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                line = f.read()
        except OSError:
            continue
        # "pid (name) state ppid ...": the name may hold spaces, so read after its ')'.
        fields = line[line.rfind(")") + 2:].split()
        children.setdefault(int(fields[1]), []).append(int(entry))
    tree = [root]
    for pid in tree:
        tree.extend(children.get(pid, []))
    return tree


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


# --- one run of one program ------------------------------------------------

class Run:
    def __init__(self, program, build, port):
        self.program = program           # "tavrin" or "floor"
        self.build = build
        self.port = port
        self.tmp = tempfile.mkdtemp(prefix="tavrin-bench-%s-" % program)
        self.procs = []
        self.proc = None
        self.env = self.clean_env()
        self.x_time = 0.0                # spent sending X input

    @staticmethod
    def clean_env():
        env = dict(os.environ)
        # The engine's defaults for both: nothing the caller's shell has set
        # for Qt Quick or the engine reaches either program.
        for name in list(env):
            if name.startswith(("QT_QUICK", "QSG_", "QTWEBENGINE_", "QT_OPENGL", "QT_XCB_GL")):
                del env[name]
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)   # the XEmbed tray, not a D-Bus host
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def url(self, n):
        return "http://127.0.0.1:%d/page-%d" % (self.port, n)

    # --- processes ---
    def spawn(self, args, log, **kw):
        out = open(os.path.join(self.tmp, log), "wb")
        p = subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT, env=self.env, **kw)
        out.close()
        self.procs.append(p)
        return p

    def close(self):
        helpers = process_tree(self.proc.pid)[1:] if self.proc and self.proc.poll() is None else []
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait(timeout=5)
        # Engine helpers that outlived the program (it was told to end, not asked).
        for pid in helpers:
            try:
                with open("/proc/%d/cmdline" % pid, "rb") as f:
                    if b"QtWebEngineProcess" in f.read():
                        os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        shutil.rmtree(self.tmp, ignore_errors=True)

    def log_tail(self, name, size=2000):
        try:
            with open(os.path.join(self.tmp, name), errors="replace") as f:
                return f.read()[-size:]
        except OSError:
            return ""

    def x(self, *args, check=True):
        started = time.monotonic()
        r = subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=20)
        if args[1] != "getwindowfocus":      # a poll waits for the program: its time is the program's
            self.x_time += time.monotonic() - started
        if check and r.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), r.stderr.strip()))
        return r.stdout

    # --- the desktop ---
    def start_desktop(self):
        # Xvfb picks a free display itself and writes its number to a pipe.
        read, write = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                    "-nolisten", "tcp", "-noreset"], "xvfb.log", pass_fds=(write,))
        os.close(write)
        number = b""
        with os.fdopen(read, "rb") as f:
            while not number.endswith(b"\n"):
                chunk = f.read(1)
                if not chunk:
                    raise Failure("Xvfb did not start:\n" + self.log_tail("xvfb.log"))
                number += chunk
        self.env["DISPLAY"] = ":" + number.decode().strip()
        wait_for("the X server", lambda: subprocess.run(
            ["xdpyinfo"], env=self.env, capture_output=True).returncode == 0, bound=20, step=0.05)
        self.spawn(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                    "--height", "24", "--transparent", "false", "--expand", "true"], "trayer.log")
        wait_for("the notification area", lambda: self.x(
            "xdotool", "search", "--name", "^panel$", check=False).split(), bound=20, step=0.05)

    def fresh_home(self):
        home = os.path.join(self.tmp, "home")
        run = os.path.join(self.tmp, "run")
        os.makedirs(home)
        os.makedirs(run, mode=0o700)
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run,
                        XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_CACHE_HOME=os.path.join(home, ".cache"),
                        XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                        QT_QPA_PLATFORM="xcb")
        if os.geteuid() == 0:
            self.env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        self.debug_port = free_port()
        self.env["QTWEBENGINE_REMOTE_DEBUGGING"] = "127.0.0.1:%d" % self.debug_port

    def lay_out(self):
        """The program's directory: Tavrin's binary and files, a start page of the test kind."""
        prog = os.path.join(self.tmp, "program")
        os.makedirs(prog)
        with open(os.path.join(prog, "start.html"), "wb") as f:
            f.write(page_html(0))
        if self.program == "tavrin":
            # tavrin, and the browser it becomes when no Tavrin runs yet.
            for name in ("tavrin", "tavrin-browser"):
                shutil.copy2(os.path.join(self.build, name), prog)
            for name in ("b.ico", "about.html", "pages.css"):
                shutil.copy2(os.path.join(REPO, "skin", name), prog)
        return prog

    # --- what the engine shows ---
    def targets(self):
        try:
            with urllib.request.urlopen("http://127.0.0.1:%d/json" % self.debug_port, timeout=2) as r:
                return [t for t in json.load(r) if t.get("type") == "page"]
        except (OSError, ValueError):
            return []

    def loaded(self):
        return {t.get("title") for t in self.targets() if t.get("title", "").startswith("loaded-")}

    def check_alive(self):
        if self.proc.poll() is not None:
            raise Failure("%s ended with status %s:\n%s" % (self.program, self.proc.returncode,
                                                            self.log_tail("program.log")))

    def wait_loaded(self, names, what, bound):
        def done():
            self.check_alive()
            return names <= self.loaded()
        wait_for(what, done, bound)

    # --- the program's window and keys ---
    def window(self):
        if self.program == "tavrin":
            for wid in self.x("xdotool", "search", "--onlyvisible", "--name", "^Tavrin$", check=False).split():
                out = self.x("xdotool", "getwindowgeometry", wid, check=False)
                if "Geometry: %dx%d" % MAIN_SIZE in out:
                    return wid
            return None
        found = self.x("xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid), check=False).split()
        return found[0] if found else None

    def focused_name(self):
        return self.x("xdotool", "getwindowfocus", "getwindowname", check=False).strip()

    def ask_tavrin(self, address):
        """Ctrl+T, the address typed into the dialog, Enter."""
        # The X server takes one client's requests in order: the keys go to
        # the window just given the focus, with no need to wait for it.
        self.x("xdotool", "windowfocus", self.main, "key", "--delay", "0", "ctrl+t")
        wait_for("the address dialog to have the keyboard", lambda: self.focused_name() == DIALOG,
                 bound=20, step=0.002)
        # type takes every word after it as text, and its newline is no Enter
        # to the dialog: the key is a call of its own.
        self.x("xdotool", "type", "--delay", "0", address)
        self.x("xdotool", "key", "--delay", "0", "Return")

    def close_shown_tab(self):
        self.x("xdotool", "windowfocus", self.main, "key", "--delay", "0", "ctrl+w")

    # --- the run ---
    def run(self):
        self.start_desktop()
        self.fresh_home()
        prog = self.lay_out()
        if self.program == "tavrin":
            args = [os.path.join(prog, "tavrin")]
        else:
            args = [os.path.join(self.build, "bench", "tavrin_floor"),
                    "file://" + os.path.join(prog, "start.html")]
        fig = {}

        t0 = time.monotonic()
        self.proc = self.spawn(args, "program.log", cwd=self.tmp, stdin=subprocess.PIPE)
        self.wait_loaded({"loaded-0"}, "the first page", bound=120)
        first = time.monotonic()
        fig["start"] = first - t0

        time.sleep(max(0.0, first + 2.0 - time.monotonic()))
        fig["mem_one"], fig["pss_one"], fig["procs_one"] = memory(self.proc.pid)
        fig["foreign"] = foreign_engines(self.proc.pid)

        self.main = wait_for("the main window", self.window, bound=30, step=0.05)
        wanted = {"loaded-%d" % n for n in range(PAGES)}
        asked = time.monotonic()
        self.x_time = 0.0
        if self.program == "tavrin" and os.environ.get("TAVRIN_BENCH_ASK") == "dialog":
            for n in range(1, PAGES):
                self.ask_tavrin(self.url(n))
                self.check_alive()
        elif self.program == "tavrin":
            # Started again with the nine addresses: the running one opens them.
            again = self.spawn([os.path.join(prog, "tavrin")] + [self.url(n) for n in range(1, PAGES)],
                               "again.log", cwd=self.tmp)
            if again.wait(timeout=30) != 0:
                raise Failure("the second start ended with status %d" % again.returncode)
        else:
            self.proc.stdin.write("".join(self.url(n) + "\n" for n in range(1, PAGES)).encode())
            self.proc.stdin.flush()
        fig["input"] = time.monotonic() - asked
        fig["xdotool"] = self.x_time
        self.wait_loaded(wanted, "ten pages", bound=120)
        ten = time.monotonic()
        fig["ten_tabs"] = ten - asked

        time.sleep(max(0.0, ten + 2.0 - time.monotonic()))
        fig["mem_ten"], fig["pss_ten"], fig["procs_ten"] = memory(self.proc.pid)
        fig["foreign"] = max(fig["foreign"], foreign_engines(self.proc.pid))

        # Nine closed: the tab shown each time, the last opened first.
        for left in range(PAGES - 1, 0, -1):
            self.close_shown_tab()
            wait_for("%d pages left" % left, lambda: (self.check_alive(), len(self.loaded()) == left)[1],
                     bound=30)
        if self.loaded() != {"loaded-0"}:
            raise Failure("after closing, the pages left are %s" % sorted(self.loaded()))
        fig["mem_closed"], fig["pss_closed"], fig["procs_closed"] = settled_memory(self.proc.pid)
        fig["foreign"] = max(fig.get("foreign", 0), foreign_engines(self.proc.pid))
        return fig


# --- rounds and the summary -------------------------------------------------

def spread(values):
    return {"median": statistics.median(values), "min": min(values), "max": max(values)}


def summarise(rounds):
    out = {}
    for key, _, _ in FIGURES + [("input", "", "s"), ("xdotool", "", "s")]:
        t = [r["tavrin"][key] for r in rounds]
        f = [r["floor"][key] for r in rounds]
        out[key] = {"tavrin": spread(t), "floor": spread(f),
                    "ratio": spread([a / b if b else float("inf") for a, b in zip(t, f)])}
    # Memory after closing, against the same program's one-page figure.
    for who in ("tavrin", "floor"):
        out["mem_closed"][who + "_vs_one"] = spread(
            [r[who]["mem_closed"] / r[who]["mem_one"] for r in rounds])
    return out


def one_run(program, build, port, attempts=2):
    """One run; a run that fails for the harness's own reasons is tried once more."""
    for attempt in range(attempts):
        r = Run(program, build, port)
        try:
            return r.run()
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
    for tool in ("Xvfb", "trayer", "xdotool", "xdpyinfo"):
        if not shutil.which(tool):
            print("missing %s: run scripts/deps.sh" % tool)
            return 2
    for path in ("tavrin", "tavrin-browser", "bench/tavrin_floor"):
        if not os.access(os.path.join(build, path), os.X_OK):
            print("no %s in %s: build first" % (path, build))
            return 2

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Pages)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    port = server.server_address[1]

    rounds = []
    try:
        for k in range(args.rounds + 1):
            name = "warm-up round" if k == 0 else "round %d of %d" % (k, args.rounds)
            result = {}
            for program in ("tavrin", "floor"):
                result[program] = one_run(program, build, port)
            print("%-16s" % name + "  ".join(
                "%s %s %.2f/%.2f" % (key, unit, result["tavrin"][key], result["floor"][key])
                for key, _, unit in FIGURES), flush=True)
            if k > 0:
                rounds.append(result)
    except Failure as e:
        print("the harness stopped: %s" % e)
        return 1
    finally:
        server.shutdown()
        server.server_close()

    summary = summarise(rounds)
    summary["disturbed_rounds"] = sum(1 for r in rounds if r["tavrin"]["foreign"] or r["floor"]["foreign"])
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"pages": PAGES, "rounds": rounds, "summary": summary}, f, indent=1)
    if not args.json:        # otherwise the caller prints the table (make bench: with the others)
        sys.dont_write_bytecode = True
        sys.path.insert(0, HERE)
        import table
        print()
        print(table.whole_table(summary))
    return 0


if __name__ == "__main__":
    sys.exit(main())
