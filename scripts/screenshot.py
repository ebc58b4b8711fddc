#!/usr/bin/env python3
"""Takes docs/screenshot.png: the real Tavrin window showing its start page.

Builds first (make build, which installs what is missing), then starts the
built program on a private X server with a notification area (Xvfb, trayer),
waits until the start page is on screen, and writes the window's pixels.

usage: python3 -m scripts.screenshot [output.png]
"""

import os
import struct
import subprocess
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
from tests.support import xsession


def take(s, build):
    """The window's pixels once the start page is on screen, straight from the
    build tree with the real start page beside the program."""
    s.make_home(sandbox=True)  # only root needs the engine's sandbox off
    s.start_x()
    s.start(program=os.path.join(build, "tavrin"))
    xsession.wait_for(lambda: xsession.start_page_shown(s.window_pixels(s.main)), 60, "the start page", step=0.5)
    return s.window_pixels(s.main)


def write_png(path, img):
    """The picture as an 8-bit RGB PNG, the same bytes for the same pixels."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    stride = img.width * 3
    rows = b"".join(b"\0" + img.data[y * stride:(y + 1) * stride] for y in range(img.height))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", img.width, img.height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    if sys.argv[1:2] in (["-h"], ["--help"]):
        print(__doc__)
        return 0
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "screenshot.png"))
    build = os.path.join(ROOT, os.environ.get("BUILD", "build"))
    subprocess.run(["make", "-C", ROOT, "build", "BUILD=" + build], check=True)
    s = xsession.Session()
    try:
        img = take(s, build)
        os.makedirs(os.path.dirname(out), exist_ok=True)
        write_png(out, img)
        print("wrote %s (%dx%d)" % (out, img.width, img.height))
        s.end_from_tray()
    except xsession.Failure as e:
        print("FAILED:", e)
        return 1
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
