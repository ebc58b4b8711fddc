#!/usr/bin/env python3
"""Tavrin on Wayland: the program on Qt's Wayland plugin under a headless
weston, with no notification area. It starts and draws its skin: the close
button and the caption bar, pixel for pixel, in the compositor's screenshot,
wherever the compositor put the window. A SIGTERM ends it with 0.

TAVRIN_E2E_SHOT=<file.png> keeps the last screenshot taken.

usage: python3 -m tests.e2e.wayland <tavrin binary> <skin folder>
"""

import os
import signal
import sys

from tests.support.xsession import Image, main, pixels, require, wait_for

EXIT_LEFT = 868  # the close button's picture: 13015 twips from the window's left, on its top edge
BAR = (160, 800)  # the caption bar between the address button and the caption buttons


def skin_drawn(s, binary, skin):
    s.lay_out(binary, skin)
    s.make_home()
    s.start_weston()
    s.launch()
    close, bar = (pixels(["convert", os.path.join(skin, name)]) for name in ("ImageExit0.png", "ImageTopMiddle.png"))
    shot = [None]

    def close_button():
        require(s.program.poll() is None, "the program ended with status %s", s.program.returncode)
        shot[0] = s.wayland_screen(keep=os.environ.get("TAVRIN_E2E_SHOT"))
        return shot[0].find(close)

    x, y = wait_for(close_button, 60, "the close button's picture on the screen", step=0.5)
    # The caption bar stretches its picture: every column is the picture's first.
    width = BAR[1] - BAR[0]
    stretched = Image(width, bar.height, b"".join(bar.row(0, j, 1) * width for j in range(bar.height)))
    require(shot[0].shows(stretched, x - EXIT_LEFT + BAR[0], y), "the caption bar is not the skin's")
    s.program.send_signal(signal.SIGTERM)
    s.expect_exit(20, "SIGTERM")


if __name__ == "__main__":
    sys.exit(main(__doc__, {"skin_drawn": skin_drawn}, tools=("weston", "weston-screenshooter", "convert")))
