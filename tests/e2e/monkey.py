#!/usr/bin/env python3
"""Tavrin under a restless hand: a seeded random walk of real X input.

With a notification area at the bottom, loopback pages that hold a control for
each thing a page does, TAVRIN_MONKEY_STEPS (300) random steps follow, each a thing a person does
(ACTIONS); TAVRIN_MONKEY_SEED replays a walk. After each step the program runs
and shows at most one main window and one address dialog. Every ten steps and
at the end: a double click on the tray icon shows the main window within 3 s;
打开网址 opens the dialog within 3 s and it stays until Escape, typed or sent
to it, closes it; the tabs' faces lie on the strip where its layout puts them,
one at least for every page the engine lists on its remote debugging endpoint.
Then 退出 must end the program with 0 within 10 s.

usage: python3 -m tests.e2e.monkey <tavrin binary> <skin folder>
"""

import contextlib
import os
import random
import signal
import sys

from tests.support.xsession import (DIALOG, MAIN, OPEN_URL_BUTTON, SCREEN, Session, main, near, renderers,
                                    require, wait_for, write)

ICON_EDGE = (0x60, 0x7E, 0xA6)  # a tab icon's left edge: 16 px tall, 6 px into its tab
# A page's controls, one every 44 px down the window from (131, 82): the page starts at (3, 56).
LINK, WINDOW_OPEN, FULL_SCREEN, DOWNLOAD, INPUT, CLOSE = range(6)
PAGE = """<!doctype html><title>%(name)s</title><style>body { margin: 0; font: 16px sans-serif; }
.c { position: absolute; left: 8px; width: 240px; height: 36px; margin: 0; }</style>
<a class=c style="top: 8px" href="/page/%(name)st" target=_blank>new tab</a>
<button class=c style="top: 52px" onclick="window.open('/page/%(name)sw')">window.open</button>
<button class=c style="top: 96px" onclick="document.documentElement.requestFullscreen()">full screen</button>
<a class=c style="top: 140px" href="/file/%(name)s.bin">download</a>
<input class=c style="top: 184px">
<button class=c style="top: 228px" onclick="window.close()">close</button>"""
KEYS = ["ctrl+l", "ctrl+t", "F6", "ctrl+w", "ctrl+F4", "ctrl+Tab", "ctrl+Next", "ctrl+shift+Tab", "ctrl+Prior", "F5",
        "ctrl+r", "Escape", "alt+Left", "alt+Right", "ctrl+plus", "ctrl+equal", "ctrl+minus", "ctrl+0", "Return"]


class Monkey(Session):
    def walk(self, binary, skin):
        seed = int(os.environ.get("TAVRIN_MONKEY_SEED") or random.SystemRandom().randrange(1 << 32))
        steps = int(os.environ.get("TAVRIN_MONKEY_STEPS") or 300)
        print("seed %d (TAVRIN_MONKEY_SEED=%d replays this walk), %d steps" % (seed, seed, steps))
        self.rng, self.names = random.Random(seed), 0
        self.srv = self.serve({"/page/": lambda h: PAGE % dict(name=h.path[6:]), "/file/": lambda h: ("x" * 4096, {
            "Content-Type": "application/octet-stream", "Content-Disposition": "attachment; filename=" + h.path[6:]})})
        self.lay_out(binary, skin)
        self.make_home()
        self.remote_debugging()
        # The desktop's opener (关于, a download's message) only notes what it is given.
        opener = write(self.path("tools", "xdg-open"), '#!/bin/sh\necho "$@" >> "%s"\n' % self.path("opened"))
        os.chmod(opener, 0o755)
        self.env.update(PATH=os.path.dirname(opener) + os.pathsep + self.env["PATH"], BROWSER=opener)
        # At the bottom, a taskbar's place: the screen-wide window leaves that
        # room, and without a window manager nothing keeps a panel over windows.
        self.start_x("bottom")
        self.start()
        for step in range(1, steps + 1):
            _, what, act = self.rng.choices(ACTIONS, [a[0] for a in ACTIONS])[0]
            print("%4d %s" % (step, what))
            print("       " + (act(self) or "").strip("; "))
            require(self.program.poll() is None, "the program ended with status %s", self.program.returncode)
            shown = self.xdo("search", "--maxdepth", 1, "--onlyvisible", "--name", "^(Tavrin|打开网址)$",
                             "getwindowname", "%@").split()
            require(max(shown.count("Tavrin"), shown.count("打开网址")) < 2, "%d main windows and %d address "
                    "dialogs shown at once", shown.count("Tavrin"), shown.count("打开网址"))
            if step % 10 == 0 or step == steps:
                self.check()
        self.end_from_tray()

    # Tab k's left edge and width in window pixels: the strip (the window less
    # 120 twips) shared out among n tabs, each 1000 to 2700 twips.
    def tab_place(self, k, n):
        width = min(max(round((self.geometry(self.main)[2] * 15 - 120) / n), 1000), 2700)
        return 4 + k * width / 15, width / 15

    def some_tab(self):
        """A random tab's middle, and its close button's."""
        n = max(len(self.pages()), 1)
        left, width = self.tab_place(self.rng.randrange(n), n)
        return (left + width / 2, 39), (left + width - 12, 39)

    def full_screen(self):
        """The program's windows over the whole screen: a page full screen."""
        return [w for w in self.visible("^tavrin$", "--maxdepth", 1, "--classname")
                if (self.geometry(w) or ())[:4] == (0, 0) + SCREEN]

    def check(self):
        print("     check: the tray icon, the dialog, the strip")
        for _ in self.full_screen():  # Escape leaves it, with the keyboard in the page
            self.xdo("mousemove", SCREEN[0] - 5, SCREEN[1] - 5, "click", 1)
            self.key("Escape")
            wait_for(lambda: not self.full_screen(), 3, "Escape to leave full screen")
        self.tray_double_click()
        self.main = wait_for(lambda: self.visible(MAIN, "--maxdepth", 1, "--name"), 3, "the main window to show")[0]
        self.click(OPEN_URL_BUTTON)
        dialog = wait_for(lambda: self.visible(DIALOG), 3, "the dialog to open from its button")[0]
        wait_for(lambda: self.xdo("getwindowfocus").strip() == dialog or not self.visible(DIALOG), 3,
                 "the dialog to have the keyboard")
        require(self.visible(DIALOG), "the address dialog went before anyone dismissed it")
        how, where = self.rng.choice([("typed in the dialog", []),
                                      ("sent to the dialog's window", ["--window", dialog])])
        print("     check: Escape " + how)
        self.key(*where, "Escape")
        wait_for(lambda: not self.visible(DIALOG), 3, "Escape to close the dialog")
        said = []
        wait_for(lambda: said.append(self.strip()) or said[-1][0], 5, lambda: "every tab on the strip: " + said[-1][1])
        print("     check: " + said[-1][1])

    # Whether the tabs' faces (their icons) lie where the strip's layout puts
    # that many tabs, all on the strip, one at least for each page the engine
    # lists (a page whose renderer died for good is not listed, but its tab
    # stays); and what was seen.
    def strip(self):
        x, y, w, _, _ = self.geometry(self.main)
        end = 4 + (w * 15 - 120) / 15
        img = self.grab(x + 4, y + 31, int(end) - 4, 16)
        seen = [4 + i for i in range(img.width) if all(near(img.pixel(i, r), ICON_EDGE, 16) for r in range(16))]
        pages = len(self.pages())

        def faces(n):  # tabs at their narrowest run past the strip's end: a face shows while its icon's edge is on it
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
    m.key(*keys)
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
    return m.rng.choice([m.srv.base + "/page/%d" % m.names, m.srv.base[7:] + "/page/%d" % m.names,
                         m.srv.base + "/file/%d.bin" % m.names, "http://127.0.0.1:1/", "about:blank",
                         "javascript:void(0)", "", "not an address"])


def type_in_dialog(m):
    text = address(m)
    said = in_dialog(m, (130, 13)) + repr(text)
    # In place of what is there: a word typed into a loopback address could make it a host's name.
    m.key("ctrl+a", "type", "--delay", 5, text)
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


def icon_free(m):
    """Moves the pointer onto the tray icon; False where a window covers it (a page full screen)."""
    m.xdo("mousemove", *m.tray_icon_centre())
    return m.xdo("getmouselocation").split()[-1] == "window:" + m.panel


def tray_menu(m, item):
    """A right press opens the menu; its item 关于 (1) or 打开网址 (2) clicked,
    or chosen with the keyboard: Down from no item goes to 关于, again to 打开网址."""
    if not icon_free(m):
        return "the icon is covered"
    before = m.menus()
    m.xdo("mousedown", 3)
    menu = wait_for(lambda: m.menus() - before, 3, "the tray menu to open on a right press").pop()
    _, _, w, h, _ = m.geometry(menu) or (0,) * 5
    m.xdo("mouseup", 3)
    said = press(m, *["Down"] * item, "Return") if m.rng.random() < 0.5 or not w else m.click(
        (w // 2, round(h * (0.16, 0.52)[item - 1])), wid=menu)
    wait_for(lambda: not m.menus() - before, 3, "the tray menu to close")
    return said


def start_again(m, count):
    given = [address(m) for _ in range(count)]
    m.start_again(*given, timeout=5)
    return repr(given)


def kill_renderer(m):
    found = sorted(renderers(m.program.pid))
    if not found:
        return "none runs"
    pid = m.rng.choice(found)
    with contextlib.suppress(ProcessLookupError):
        os.kill(pid, signal.SIGKILL)
    return str(pid)


ACTIONS = [  # weight, what a person does, how
    (10, "click on the strip", lambda m: m.click((m.rng.randint(4, m.geometry(m.main)[2] - 5), m.rng.randint(25, 52)))),
    (3, "click on a tab's close button", lambda m: m.click(m.some_tab()[1])),
    (5, "click on a tab, then on its close button", close_a_tab),
    *[(2, "click on " + what, lambda m, d=d: m.click((m.geometry(m.main)[2] - d, 9)))
      for what, d in (("minimise", 79), ("maximise", 50), ("close", 19))],
    (4, "click on 打开网址", lambda m: m.click(OPEN_URL_BUTTON)),
    (2, "double click on the caption bar",
     lambda m: m.click((m.rng.randint(160, m.geometry(m.main)[2] - 110), m.rng.randint(1, 17)), times=2)),
    (4, "typing in the dialog", type_in_dialog),
    (2, "click on the dialog's 打开", lambda m: in_dialog(m, (300, 13))),
    (2, "Escape typed in the dialog", lambda m: in_dialog(m, (130, 13)) + press(m, "Escape")),
    (2, "Escape sent to the dialog's window",
     lambda m: "".join(press(m, "--window", d, "Escape") for d in m.visible(DIALOG)) or "no dialog"),
    (12, "a key", lambda m: press(m, m.rng.choice(KEYS))),
    (3, "typing in a page", type_in_page),
    (3, "double click on the tray icon",
     lambda m: m.xdo("click", "--repeat", 2, "--delay", 80, 1) if icon_free(m) else "the icon is covered"),
    (1, "关于 from the tray menu", lambda m: tray_menu(m, 1)),
    (2, "打开网址 from the tray menu", lambda m: tray_menu(m, 2)),
    *[(w, "started again with" + what, lambda m, n=n: start_again(m, n))
      for w, what, n in ((2, " an address", 1), (1, " two addresses", 2), (1, "out addresses", 0))],
    *[(w, "the page's " + what, lambda m, c=c: control(m, c)) for w, what, c in (
        (3, "link to a new tab", LINK), (3, "window.open", WINDOW_OPEN), (2, "full screen", FULL_SCREEN),
        (1, "download", DOWNLOAD), (4, "window.close", CLOSE))],
    (1, "a renderer killed", kill_renderer),
]

if __name__ == "__main__":
    sys.exit(main(__doc__, {"monkey": Monkey.walk}, tools=("import",), session=Monkey))
