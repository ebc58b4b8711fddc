#!/usr/bin/env python3
"""Tavrin from start to exit, driven as a person would.

An address typed into the dialog that its button opens is served in a new tab
whose close button makes the page go; the window sits centred. Twenty rounds
open the dialog each of its four ways in turn, and Escape sent to its window
closes it. The close button hides the window; a double click on the tray icon, or a second
start with an address (which ends at once with 0 and hands the address over),
brings it back centred. With a half-sent download on disk, 退出 in the tray menu
ends the program with 0, leaves nothing of the download, and its output speaks
of no page left alive.

A page behind a password brings the sign-in form: Escape goes on without
(nothing is sent), and the name and password typed by hand let the page in.
A click on a file input opens the desktop's file dialog, and the file named
there goes up with the page's form.

At a scale of 2 the skin shows its 2x pictures pixel for pixel.

usage: python3 -m tests.e2e.tray_session <tavrin binary> <skin folder>
"""

import base64
import os
import sys

from tests.support.xsession import (CLOSE_BUTTON, DIALOG, OPEN_URL_BUTTON, PAGE, Image, main, pixels, require,
                                    wait_for, write)

CENTRED = (189, 211)  # Left 2827.5, Top 3165 twips
# Tab 1's close button (tab 0 has none), it the selected tab of two: the strip
# at 60, 380, the tab at 2700, its button at 2415, 105, 225 x 210 in the tab.
NEW_TAB_CLOSE_BUTTON = (352, 39)
CHOOSE_FILE = (40, 66)  # the file input at the page's top left
# The ways to the dialog, in turn: the button at its two ends (two clicks in a
# row are never a double click), and the keys with no click between, the
# keyboard back in the page.
WAYS = [("its button", lambda s: s.click((OPEN_URL_BUTTON[0] - 15, OPEN_URL_BUTTON[1]))),
        ("Ctrl+L", lambda s: s.key("ctrl+l")),
        ("its button", lambda s: s.click((OPEN_URL_BUTTON[0] + 15, OPEN_URL_BUTTON[1]))),
        ("F6", lambda s: s.key("F6"))]


def hide_and_back(s, back, what):
    s.click(CLOSE_BUTTON)
    wait_for(lambda: not s.shown(s.main), 20, "the close button to hide the window")
    back()
    wait_for(lambda: s.shown(s.main), 10, what)
    require(s.geometry(s.main)[:2] == CENTRED, "the window came back at %s, not centred", s.geometry(s.main)[:2])


def session(s, binary, skin):
    srv = s.serve({"/held/": lambda h: (["x" * 200000] * 2, {  # half of it, the rest once released
        "Content-Type": "application/octet-stream", "Content-Disposition": 'attachment; filename="unfinished.bin"'})})
    s.lay_out(binary, skin)
    s.make_home()
    s.start_x()
    s.start()
    s.open_address(srv.base + "/typed-by-hand", asked="/loaded/typed-by-hand")  # its pagehide is listened for
    require(s.geometry(s.main)[:2] == CENTRED, "the window is at %s, not centred", s.geometry(s.main)[:2])
    s.click(NEW_TAB_CLOSE_BUTTON)
    wait_for(lambda: srv.seen("/page-gone/typed-by-hand"), 20, "the page to go with its tab")

    # Escape sent straight to the dialog's window, as tools and input methods
    # send it: its release goes to a window already gone.
    for k in range(20):
        print("round %d: the dialog from %s" % (k, WAYS[k % 4][0]))
        WAYS[k % 4][1](s)
        s.key("--window", s.dialog(timeout=3), "Escape")
        wait_for(lambda: not s.visible(DIALOG), 5, "Escape to close the dialog")

    hide_and_back(s, s.tray_double_click, "a double click on the tray icon to bring the window back")
    hide_and_back(s, lambda: s.start_again(srv.base + "/handed-over", timeout=2),
                  "a second start to bring the running window back")
    wait_for(lambda: srv.seen("/loaded/handed-over"), 60, "the handed-over address to load")

    s.open_address(srv.base + "/held/unfinished.bin")
    wait_for(lambda: os.path.isdir(s.downloads) and os.listdir(s.downloads), 60, "the download to be written")
    s.end_from_tray()
    require(not os.listdir(s.downloads), "退出 left the unfinished download behind: %s", os.listdir(s.downloads))
    # The engine's start-up report too: nobody asked for it with QT_LOGGING_RULES.
    for bad in ("still not deleted", "Expect troubles", "Segmentation", "QObject::~QObject", "qt.webenginecontext"):
        require(bad not in s.log(), "the program's output says %r", bad)


def sign_in(s, binary, skin):
    right, sent = "Basic " + base64.b64encode(b"ann:s3cret").decode(), []
    srv = s.serve({"/private/": lambda h: sent.append(h.headers.get("Authorization")) or (
        PAGE if sent[-1] == right else ("denied", {"WWW-Authenticate": 'Basic realm="e2e"'}, 401))})
    s.lay_out(binary, skin)
    s.make_home()
    s.start_x()
    s.start()
    for path, keys in [("escape", ["Escape"]), ("in", ["ann", "Tab", "s3cret", "Return"])]:
        s.open_address(srv.base + "/private/" + path)
        form = wait_for(lambda: s.visible("^登录 127.0.0.1:"), 60, "the sign-in form")[0]
        wait_for(lambda: s.xdo("getwindowfocus").strip() == form, 20, "the form to have the keyboard")
        for k in keys:
            s.key(k) if k[0].isupper() else s.xdo("type", "--delay", 20, k)
        wait_for(lambda: not s.visible("^登录 "), 20, "the form to go")
    wait_for(lambda: srv.seen("/loaded/private/in"), 60, "the page signed in to load")
    require(sent == [None, None, right], "the server was sent %s", sent)
    s.end_from_tray()


# A click on a file input opens the desktop's file dialog; the file typed into
# it goes up with the page's form.
def choose_file(s, binary, skin):
    srv = s.serve({"/upload": lambda h: "<title>Upload</title><body style='margin:0'><form method=post "
                   "enctype=multipart/form-data action=/got><input type=file name=f onchange='form.submit()'>"})
    s.lay_out(binary, skin)
    s.make_home()
    write(s.path("home", "chosen.txt"), "sent by e2e")
    s.start_x()
    s.start()
    s.open_address(srv.base + "/upload", "/upload")
    # Clicked until the page has painted its button and the dialog comes.
    dialog = wait_for(lambda: s.visible("^Open$") or s.click(CHOOSE_FILE) and None, 60, "the file dialog", step=1)
    wait_for(lambda: s.xdo("getwindowfocus").strip() in dialog, 20, "the file dialog to have the keyboard")
    s.xdo("type", "--delay", 20, s.path("home", "chosen.txt"))
    s.key("Return")
    wait_for(lambda: srv.posted, 60, "the form to be posted")
    require(b"sent by e2e" in srv.posted[0] and b'filename="chosen.txt"' in srv.posted[0], "posted %r",
            srv.posted[0][:300])
    s.end_from_tray()


# At a scale of 2, in device pixels: the close and size buttons, the minimise
# button left of the size button over it, the caption bar (every column its
# picture's first) and the left edge below it (four pixels wide, every row its
# picture's first), each its 2x picture pixel for pixel.
def scale_2(s, binary, skin):
    s.lay_out(binary, skin)
    s.make_home()
    s.start_x(scale=2)
    s.start()

    def picture(name, x, y, w=None, h=None, across=1, down=1):
        pic = pixels(["convert", os.path.join(skin, name + "@2x.png")])
        part = pic.crop(0, 0, w or pic.width, h or pic.height)
        return name, x, y, Image(part.width * across, part.height * down, b"".join(
            part.row(0, j % part.height, part.width) * across for j in range(part.height * down)))

    regions = [picture("ImageExit0", 1736, 0), picture("ImageSize0", 1678, 0), picture("ImageMin0", 1618, 0, w=60),
               picture("ImageTopMiddle", 320, 0, w=1, across=1280), picture("ImageMiddleLeft", 0, 36, w=8, h=1,
                                                                              down=1136)]
    shot = [None]

    def skin_shown():
        shot[0] = s.window_pixels(s.main)
        return all(shot[0].shows(pic, x, y) for _, x, y, pic in regions)

    wait_for(skin_shown, 30, lambda: "the 2x pictures; not shown: %s" % [
        name for name, x, y, pic in regions if not shot[0].shows(pic, x, y)])
    s.end_from_tray()


if __name__ == "__main__":
    sys.exit(main(__doc__, {"tray_session": session, "sign_in": sign_in, "choose_file": choose_file,
                            "scale_2": scale_2}))
