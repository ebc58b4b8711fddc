#!/usr/bin/env python3
"""Tavrin started from broken folders, drawn each way, and ended each way.

fault/ cases break one thing: the start page or b.ico missing or garbage, the
profile folder a plain file, no notification area (a window manager instead,
or nothing, where the close button must leave the window on the screen),
a renderer killed while a page loads. scene/ cases force the software or the
OpenGL scene graph, or leave the choice, software without a GPU. end/ cases
end the session once a page has set a cookie: a signal must end the program
with 0 and the next start send the cookie back; with its X server gone it must
end without a crash and the next start load pages on that profile. Then a
typed address opens in a tab and the program ends with 0, from the tray menu
or, without a tray, when the window manager closes it.

usage: python3 -m tests.e2e.start_end <tavrin binary> <skin folder> [case or its beginning ...]
"""

import functools
import glob
import os
import signal
import subprocess
import sys

from tests.support.xsession import CLOSE_BUTTON, PAGE, Failure, main, renderers, require, wait_for, write


def in_program(name, data=None):
    """The named file beside the program removed, or data written in its place."""
    return lambda s, skin: write(os.path.join(s.prog, name), data) if data else os.remove(os.path.join(s.prog, name))


def kill_renderer(s, srv):
    """A page that never finishes, its renderer killed while it loads."""
    s.open_address(srv.base + "/slow/page.html", asked="/slow/")
    killed = wait_for(lambda: renderers(s.program.pid), 30, "a renderer")
    for pid in killed:
        os.kill(pid, signal.SIGKILL)
    wait_for(lambda: not set(killed) & set(renderers(s.program.pid)), 20, "the renderer to go")
    srv.release.set()


def session_ends(end, cookie_kept=True):
    """The cookie page loaded, end(s) ends the session under the program; then it starts again on that profile."""
    def then(s, srv):
        wait_for(lambda: srv.seen("/loaded/set-cookie"), 60, "the cookie page to load")
        end(s)
        s.start(srv.base + "/after")
        wait_for(lambda: srv.seen("/loaded/after"), 60, "a page to load on the profile left behind")
        cookie = next(c for p, c in srv.asked if p == "/after")
        require("kept=yes" in cookie or not cookie_kept, "the cookie set before the session ended was lost: %r", cookie)
    return then


def signalled(sig):
    return session_ends(lambda s: s.program.send_signal(sig) or s.expect_exit(20, "signal %d" % sig))


def display_lost(s):
    s.xvfb.kill()
    try:
        rc = s.program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the program outlived its display by 30 s")
    require(0 <= rc < 128, "without its display the program ended with status %d", rc)
    s.start_x()


def case(s, binary, skin, broken=None, tray="top", wm=True, env={}, args=(), then=None, gl=None):
    srv = s.serve({"/slow/": lambda h: ["<html><head><title>Slow</title></head><body>half", " and the rest</body>"],
                   "/set-cookie": lambda h: (PAGE, {"Set-Cookie": "kept=yes; Max-Age=86400; Path=/"})})
    s.lay_out(binary, skin)
    s.make_home()
    s.env.update(QT_LOGGING_RULES="qt.webenginecontext=true", **env)
    if broken:
        broken(s, skin)
    s.start_x(tray)
    if not tray and wm:  # a window manager, to minimise, bring back and close the window
        s.spawn(["openbox"], "openbox.log")
        wait_for(lambda: s.x("wmctrl", "-m"), 20, "the window manager")
    s.start(*(srv.base + a for a in args))
    if then:
        then(s, srv)
    s.open_address(srv.base + "/typed", asked="/typed")
    require(s.program.poll() is None, "the program ended early with status %s", s.program.returncode)
    if tray:
        s.end_from_tray(15)
    elif not wm:  # nothing to minimise the window: it stays, and still works
        s.click(CLOSE_BUTTON)
        s.open_address(srv.base + "/typed-again", asked="/typed-again")
        require(s.shown(s.main), "the close button took the window away with nothing to bring it back")
        s.program.send_signal(signal.SIGTERM)
        s.expect_exit(20, "SIGTERM")
    else:  # without a tray the close button minimises; the window comes back
        s.click(CLOSE_BUTTON)
        wait_for(lambda: not s.shown(s.main), 20, "the window to minimise")
        s.xdo("windowmap", s.main, "windowactivate", s.main)
        wait_for(lambda: s.shown(s.main), 20, "the window to come back")
        s.open_address(srv.base + "/typed-again", asked="/typed-again")
        s.x("wmctrl", "-i", "-c", s.main)
        s.expect_exit(15, "the window manager closed the window")
    said = [line.split(":", 1)[1].strip() for line in s.log().splitlines() if line.startswith("GL Type:")]
    require(not gl or said == [gl], "the engine's OpenGL was %s, not %r", said or "never said", gl)


GPU = any(os.access(n, os.R_OK | os.W_OK) for n in glob.glob("/dev/dri/renderD*"))
CASES = {
    "fault/start-page-missing": dict(broken=in_program("start.html")),
    "fault/start-page-garbage": dict(broken=in_program("start.html", bytes(range(256)) * 64 + b"\x00<html><title")),
    "fault/icon-missing": dict(broken=in_program("b.ico")),
    "fault/icon-garbage": dict(broken=in_program("b.ico", b"\x00\x00\x01\x00\xff\xff" + os.urandom(4000))),
    "fault/profile-folder-blocked": dict(broken=lambda s, skin: write(
        os.path.join(s.home, ".local", "share", "Tavrin"), "a plain file")),
    "fault/no-notification-area": dict(tray=None),
    "fault/no-notification-area-nor-window-manager": dict(tray=None, wm=False),
    "fault/renderer-killed": dict(then=kill_renderer),
    # The engine's context log says which OpenGL it took: "disabled" (software) or "desktop".
    "scene/software": dict(env={"TAVRIN_SCENE_GRAPH": "software"}, gl="disabled"),
    "scene/default": dict(env={"TAVRIN_SCENE_GRAPH": "default"}, gl="desktop"),
    "scene/chosen": dict(gl="desktop" if GPU else "disabled"),
    **{"end/signal-" + sig.name[3:]: dict(args=["/set-cookie"], then=signalled(sig))
       for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP)},
    "end/display-lost": dict(args=["/set-cookie"], then=session_ends(display_lost, cookie_kept=False)),
}

if __name__ == "__main__":
    sys.exit(main(__doc__, {n: functools.partial(case, **c) for n, c in CASES.items()}, tools=("openbox", "wmctrl")))
