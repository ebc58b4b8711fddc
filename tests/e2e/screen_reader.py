#!/usr/bin/env python3
"""Tavrin as a screen reader finds it: Qt's accessibility bridge on, the AT-SPI
bus on a private session bus, pyatspi reading and pressing. The buttons, the
strip's page tabs and the page's own text are there, named; pressed through
their actions, 打开网址 and 打开 open a page in a new tab, a tab pressed is
selected (and a listener hears so), 关闭页签 closes it, 最大化 turns into 还原.

usage: python3 -m tests.e2e.screen_reader <tavrin binary> <skin folder>
"""

import os
import sys

from tests.support.xsession import SKIP, Session, main, wait_for

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
QUIET = ("filler", "section", "panel")  # without a name, a screen reader passes through them
HEARD = []

# What a window shows, a row each (role, name, [selected]) and one level
# deeper per level inside: at start, the address dialog, with a second tab.
BUTTONS = "frame Tavrin|  push button 打开网址|  push button 最小化|  push button 最大化|  push button 关闭|"
START = BUTTONS + "  page tab list|    page tab Tavrin [selected]|  document web Tavrin|    label start page"
DIALOG = "dialog 打开网址|  text 网址|  push button 打开"
SECOND = (BUTTONS + "  page tab list|    page tab Tavrin|    page tab Loopback page [selected]|"
          "      push button 关闭页签|  document web Loopback page|    label served")
BACK = (BUTTONS + "  page tab list|    page tab Tavrin [selected]|    page tab Loopback page|"
        "  document web Tavrin|    label start page")


class Reader(Session):
    def start_bus(self):
        """A session bus of its own with the AT-SPI bus on it, for the program and for pyatspi here."""
        super().start_bus()
        self.spawn([LAUNCHER, "--launch-immediately"], "at-spi.log")
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        os.environ.update({k: self.env[k] for k in ("DBUS_SESSION_BUS_ADDRESS", "DISPLAY")})


def listing(acc, depth=0):
    """The rows of acc and what it shows; hidden objects and nameless containers left out."""
    state, role = acc.getState(), acc.getRoleName()
    if not state.contains(pyatspi.STATE_SHOWING):
        return []
    quiet = role in QUIET and not acc.name
    rows = [] if quiet else ["  " * depth + " ".join(
        filter(None, [role, acc.name, "[selected]" if state.contains(pyatspi.STATE_SELECTED) else ""]))]
    for child in acc:
        rows += listing(child, depth + (not quiet)) if child else []
    return rows


def shows(want):
    """Waits until one of the program's windows shows the rows want, and gives it."""
    def windows():
        return [(w, "|".join(listing(w))) for a in pyatspi.Registry.getDesktop(0) if a and a.name == "Tavrin"
                for w in a if w]
    return wait_for(lambda: next(((w,) for w, rows in windows() if rows == want), None), 60, lambda: "%s, not:\n%s" % (
        want.replace("|", "\n"), "\n\n".join(rows.replace("|", "\n") for _, rows in windows() if rows)))[0]


def find(acc, role, name):
    if acc.getRoleName() == role and acc.name == name:
        return acc
    return next((f for f in (find(c, role, name) for c in acc if c) if f), None)


def press(window, role, name):
    action = find(window, role, name).queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))


def heard(*events):
    """Whether the listener has heard the events, once the GLib loop has made its calls."""
    while GLib.MainContext.default().iteration(False):
        pass
    return set(events) <= set(HEARD)


def session(s, binary, skin):
    srv = s.serve()
    s.lay_out(binary, skin)
    s.make_home()
    s.start_x()
    s.start_bus()
    # Listening before the program starts: it asks the registry what is listened to as it starts, where
    # a listener added later reaches it only some time after.
    pyatspi.Registry.registerEventListener(
        lambda e: HEARD.append((e.type, e.source.name, e.detail1)), "object:state-changed:selected", "focus:")
    s.start()
    press(shows(START), "push button", "打开网址")
    dialog = shows(DIALOG)
    find(dialog, "text", "网址").queryEditableText().setTextContents(srv.base + "/second")
    press(dialog, "push button", "打开")
    press(shows(SECOND), "page tab", "Tavrin")
    wait_for(lambda: heard(("object:state-changed:selected", "Tavrin", 1), ("focus:", "Tavrin", 0)), 10,
             lambda: "the selection to be heard, not only %s" % HEARD)
    press(shows(BACK), "page tab", "Loopback page")
    press(shows(SECOND), "push button", "关闭页签")
    window = shows(START)
    press(window, "push button", "最大化")
    wait_for(lambda: find(window, "push button", "还原"), 10, "最大化 to turn into 还原")


if __name__ == "__main__":
    try:
        import pyatspi
        from gi.repository import GLib
    except ImportError:
        pyatspi = None
    if not pyatspi or not os.path.exists(LAUNCHER):
        print("missing pyatspi or %s: run scripts/deps.sh" % LAUNCHER)
        sys.exit(SKIP)
    sys.exit(main(__doc__, {"screen_reader": session}, tools=("dbus-daemon",), session=Reader))
