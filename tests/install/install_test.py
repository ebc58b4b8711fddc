#!/usr/bin/env python3
"""Tavrin installed into a temporary prefix, and started from there.

`cmake --install` into a fresh prefix must put every file in its place and
nothing else: the program and the files it looks for beside itself in its own
folder, a relative link to it in bin/, the desktop entry (it passes
desktop-file-validate), the icon at every size, the AppStream metainfo
(`appstreamcli validate --no-net`). Started through its link from another
working directory on a private desktop, the installed program must go on as
the browser beside it, show the start page, put its icon in the notification
area, carry the entry's StartupWMClass, and end with 0 from 退出.

usage: python3 -m tests.install.install_test <build dir> <program dir under the prefix> <desktop id> <skin dir>
"""

import configparser
import os
import struct
import sys

from tests.support.xsession import main, require, start_page_shown, wait_for

ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
BESIDE_PROGRAM = ("b.ico", "start.html", "about.html", "pages.css")


def read(*path):
    with open(os.path.join(*path), "rb") as f:
        return f.read()


def installed(s, build, program_dir, app_id, skin):
    prefix = s.path("prefix")
    # A component of its own: the manifest of a real `make install`, which `make uninstall` reads, stays.
    s.x("cmake", "--install", build, "--prefix", prefix, "--component", "Unspecified", check=True, timeout=120)
    link, program = "bin/tavrin", program_dir + "/tavrin"
    desktop, metainfo = "share/applications/%s.desktop" % app_id, "share/metainfo/%s.metainfo.xml" % app_id
    icons = {"share/icons/hicolor/%dx%d/apps/%s.png" % (n, n, app_id): n for n in ICON_SIZES}
    found = {os.path.relpath(os.path.join(root, name), prefix) for root, dirs, files in os.walk(prefix)
             for name in files + [d for d in dirs if os.path.islink(os.path.join(root, d))]}
    expected = {link, program, program + "-browser", desktop, metainfo, *icons,
                *(program_dir + "/" + f for f in BESIDE_PROGRAM)}
    require(found == expected, "installed files differ:\n  missing %s\n  unexpected %s",
            sorted(expected - found), sorted(found - expected))
    target = os.readlink(os.path.join(prefix, link))
    require(not os.path.isabs(target) and os.path.realpath(os.path.join(prefix, link)) == os.path.realpath(
        os.path.join(prefix, program)), "bin/tavrin links to %r, not relatively to %s", target, program)
    for exe in (program, program + "-browser"):
        require(read(prefix, exe)[:4] == b"\x7fELF" and os.access(os.path.join(prefix, exe), os.X_OK),
                "%s is not an executable program", exe)
    for name in BESIDE_PROGRAM:
        require(read(prefix, program_dir, name) == read(skin, name), "%s/%s differs from skin/%s", program_dir, name,
                name)
    for icon, n in icons.items():
        head = read(prefix, icon)[:24]
        require(head[:8] == b"\x89PNG\r\n\x1a\n" and head[12:16] == b"IHDR" and struct.unpack(">II", head[16:24])
                == (n, n), "%s is no %dx%d PNG", icon, n, n)
    s.x("desktop-file-validate", os.path.join(prefix, desktop), check=True)
    s.x("appstreamcli", "validate", "--no-net", os.path.join(prefix, metainfo), check=True)
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(os.path.join(prefix, desktop), encoding="utf-8")
    d = entry["Desktop Entry"]
    require(d.get("Exec", "").split()[0] == "tavrin", "the desktop entry runs %r, not the link in bin/", d.get("Exec"))
    require(d.get("Icon") == app_id, "the desktop entry's icon is %r, not the installed %r", d.get("Icon"), app_id)
    for key in ("Name", "Name[zh_CN]", "Comment", "Comment[zh_CN]", "StartupWMClass"):
        require(d.get(key), "the desktop entry has no %s", key)
    require(b'<launchable type="desktop-id">%s.desktop</launchable>' % app_id.encode() in read(prefix, metainfo),
            "the metainfo does not launch %s.desktop", app_id)

    s.make_home()
    s.start_x()
    os.makedirs(s.path("elsewhere"))
    s.start(program=os.path.join(prefix, link), cwd=s.path("elsewhere"))
    exe = os.path.realpath("/proc/%d/exe" % s.program.pid)  # tavrin went on as the browser, in the same process
    require(exe == os.path.realpath(os.path.join(prefix, program + "-browser")), "the running program is %s", exe)
    wait_for(lambda: start_page_shown(s.window_pixels(s.main)), 60, "the start page", step=0.5)
    # The icon window the notification area embedded shows the globe, blue for the most part.
    icon = wait_for(lambda: [line.split()[0] for line in s.x("xwininfo", "-tree", "-id", s.panel).splitlines()
                             if '("tavrin" "Tavrin")' in line and (s.geometry(line.split()[0]) or [0] * 5)[4]
                             and s.geometry(line.split()[0])[2] > 2], 30, "the icon in the notification area")[0]
    wait_for(lambda: s.window_pixels(icon).share(lambda c: c[2] >= 120 and c[2] - c[0] >= 60) >= 1 / 3, 20,
             "the icon to show the globe", step=0.2)
    names = [p.strip().strip('"') for p in s.x("xprop", "-id", s.main, "WM_CLASS").partition("=")[2].split(",")]
    require(names[1:] == [d["StartupWMClass"]], "the window's WM_CLASS is %s, the desktop entry expects %r", names,
            d["StartupWMClass"])
    s.end_from_tray()


if __name__ == "__main__":
    sys.exit(main(__doc__, {"install": installed}, argc=4,
                  tools=("cmake", "desktop-file-validate", "appstreamcli", "xprop", "import")))
