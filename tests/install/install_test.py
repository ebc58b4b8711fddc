#!/usr/bin/env python3
"""Tavrin installed into a temporary prefix, and started from there.

Installs the build tree with `cmake --install` into a fresh prefix and checks
that every file is in its place and nothing else is there: the program and the
files it looks for beside itself in its own folder, a relative link to it in
bin/, the desktop entry, the icon at every size, the AppStream metainfo. The
desktop entry must pass desktop-file-validate and the metainfo
`appstreamcli validate --no-net`. Then the installed program is started
through its link from another working directory under a private X server with
a real notification area (trayer): its window must show the start page, its
icon must sit in the notification area, its WM_CLASS must be the entry's
StartupWMClass, and 退出 in the tray menu must end it with status 0.

usage: install_test.py <build dir> <program dir under the prefix> <desktop id> <skin dir>
"""

import configparser
import os
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import screen_pixels  # noqa: E402
import tray_session  # noqa: E402
from tray_session import Failure, wait_for  # noqa: E402

SKIP = 77
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
BESIDE_PROGRAM = ("b.ico", "start.html", "about.html", "pages.css")


def require(ok, message, *args):
    if not ok:
        raise Failure(message % args)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    require(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR", "%s is not a PNG", path)
    return struct.unpack(">II", head[16:24])


def run(*args):
    r = subprocess.run(list(args), capture_output=True, text=True, timeout=120)
    if r.returncode != 0:
        raise Failure("%s failed with %d:\n%s%s" % (" ".join(args), r.returncode, r.stdout, r.stderr))
    return r.stdout


class InstalledSession(tray_session.Session):
    """The session's X server and notification area, with the installed program."""

    def __init__(self, link, desktop):
        super().__init__(link, None, None)
        self.link = link
        self.desktop = desktop

    def start_program(self, prog):
        home, run_dir, elsewhere = (os.path.join(self.tmp, d) for d in ("home", "run", "elsewhere"))
        os.makedirs(home)
        os.makedirs(run_dir, mode=0o700)
        os.makedirs(elsewhere)
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run_dir, QT_QPA_PLATFORM="xcb",
                        QTWEBENGINE_DISABLE_SANDBOX="1")
        self.log = os.path.join(self.tmp, "tavrin.log")
        self.program = self.spawn([self.link], "tavrin.log", cwd=elsewhere)

    def window_pixels(self, wid):
        x, y, w, h, _ = self.geometry(wid)
        return screen_pixels.grab(self.env, x, y, w, h)

    def tray_icon(self):
        """The program's icon window that the notification area embedded."""
        tree = self.x("xwininfo", "-tree", "-id", self.panel)
        for line in tree.splitlines():
            if '("tavrin" "Tavrin")' in line:
                wid = line.split()[0]
                x, y, w, h, shown = self.geometry(wid)
                if shown and w > 2 and h > 2:
                    return wid
        return None

    def run(self):
        self.start_x()
        self.start_program(None)
        self.main = wait_for("the main window", self.main_window, bound=60)
        # tavrin went on as the browser beside it, in the same process.
        exe = os.path.realpath("/proc/%d/exe" % self.program.pid)
        installed = os.path.join(os.path.dirname(os.path.realpath(self.link)), "tavrin-browser")
        require(exe == installed, "the running program is %s, not the installed %s", exe, installed)

        card = wait_for("the start page", lambda: screen_pixels.start_page_card(
            self.window_pixels(self.main)), bound=60, step=0.5)
        print("start page card at %s" % (card,))

        icon = wait_for("the icon in the notification area", self.tray_icon, bound=30)
        wait_for("the icon to show the globe", lambda: screen_pixels.looks_like_globe(
            self.window_pixels(icon)), bound=20, step=0.2)

        wm_class = self.x("xprop", "-id", self.main, "WM_CLASS")
        names = [p.strip().strip('"') for p in wm_class.partition("=")[2].split(",")]
        wanted = self.desktop["StartupWMClass"]
        require(len(names) == 2 and names[1] == wanted, "the window's WM_CLASS is %s, the desktop entry expects %r",
                names, wanted)

        self.end_from_tray()
        self.expect_exit(10, " of Exit")


def check_files(prefix, program_dir, app_id, skin):
    """Every installed file in its place, and nothing else."""
    link = "bin/tavrin"
    program = program_dir + "/tavrin"
    browser = program_dir + "/tavrin-browser"
    desktop = "share/applications/%s.desktop" % app_id
    metainfo = "share/metainfo/%s.metainfo.xml" % app_id
    icons = ["share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, app_id) for n in ICON_SIZES]
    expected = {link, program, browser, desktop, metainfo, *icons,
                *(program_dir + "/" + f for f in BESIDE_PROGRAM)}

    found = set()
    for root, dirs, files in os.walk(prefix):
        for name in files + [d for d in dirs if os.path.islink(os.path.join(root, d))]:
            found.add(os.path.relpath(os.path.join(root, name), prefix))
    require(found == expected, "installed files differ:\n  missing %s\n  unexpected %s",
            sorted(expected - found), sorted(found - expected))

    target = os.readlink(os.path.join(prefix, link))
    require(not os.path.isabs(target) and os.path.realpath(os.path.join(prefix, link))
            == os.path.realpath(os.path.join(prefix, program)), "bin/tavrin links to %r, not relatively to %s",
            target, program)
    for exe in (program, browser):
        with open(os.path.join(prefix, exe), "rb") as f:
            require(f.read(4) == b"\x7fELF" and os.access(os.path.join(prefix, exe), os.X_OK),
                    "%s is not an executable program", exe)
    for name in BESIDE_PROGRAM:
        with open(os.path.join(prefix, program_dir, name), "rb") as a, open(os.path.join(skin, name), "rb") as b:
            require(a.read() == b.read(), "%s/%s differs from skin/%s", program_dir, name, name)
    for n, icon in zip(ICON_SIZES, icons):
        size = png_size(os.path.join(prefix, icon))
        require(size == (n, n), "%s is %dx%d", icon, *size)

    run("desktop-file-validate", os.path.join(prefix, desktop))
    run("appstreamcli", "validate", "--no-net", os.path.join(prefix, metainfo))

    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(os.path.join(prefix, desktop), encoding="utf-8")
    d = entry["Desktop Entry"]
    require(d.get("Exec", "").split()[0] == os.path.basename(link), "the desktop entry runs %r, not the link in bin/",
            d.get("Exec"))
    require(d.get("Icon") == app_id, "the desktop entry's icon is %r, not the installed %r", d.get("Icon"), app_id)
    for key in ("Name", "Name[zh_CN]", "Comment", "Comment[zh_CN]", "StartupWMClass"):
        require(d.get(key), "the desktop entry has no %s", key)
    with open(os.path.join(prefix, metainfo), encoding="utf-8") as f:
        require('<launchable type="desktop-id">%s.desktop</launchable>' % app_id in f.read(),
                "the metainfo does not launch %s.desktop", app_id)
    return os.path.join(prefix, link), d


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    build, program_dir, app_id, skin = sys.argv[1:]
    for tool in ("cmake", "desktop-file-validate", "appstreamcli", "Xvfb", "trayer", "xdotool",
                 "xwininfo", "xdpyinfo", "xprop", "import"):
        if not shutil.which(tool):
            print("missing %s: run scripts/deps.sh" % tool)
            return SKIP

    s = InstalledSession(None, None)
    try:
        prefix = os.path.join(s.tmp, "prefix")
        # A component of its own, so the manifest of a real `make install`
        # (install_manifest.txt, which `make uninstall` reads) is left alone.
        run("cmake", "--install", build, "--prefix", prefix, "--component", "Unspecified")
        s.link, s.desktop = check_files(prefix, program_dir, app_id, skin)
        print("installed: %d files in place, desktop entry and metainfo valid" % sum(
            len(f) for _, _, f in os.walk(prefix)))
        s.run()
    except Failure as e:
        print("FAILED:", e)
        s.print_logs()
        return 1
    finally:
        s.close()
    print("passed: installed in place, started through bin/tavrin from elsewhere,"
          " start page and tray icon shown, Exit ended with 0")
    return 0


if __name__ == "__main__":
    sys.exit(main())
