#!/usr/bin/env python3
"""Takes docs/screenshot.png: the real Tavrin window showing its start page.

Builds first (make build, which installs what is missing), then starts the
built program on a private X server with a notification area (Xvfb, trayer),
waits until the start page is on screen, and writes the window's pixels.

usage: scripts/screenshot.py [output.png]
"""

import os
import struct
import subprocess
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import screen_pixels  # noqa: E402
import tray_session  # noqa: E402
from tray_session import wait_for  # noqa: E402


class ShotSession(tray_session.Session):
    def __init__(self, build):
        super().__init__(os.path.join(build, "tavrin"), build, None)

    def start_program(self, prog):
        home, run = os.path.join(self.tmp, "home"), os.path.join(self.tmp, "run")
        os.makedirs(home)
        os.makedirs(run, mode=0o700)
        self.env.update(HOME=home, XDG_RUNTIME_DIR=run, QT_QPA_PLATFORM="xcb")
        # Only root needs the engine's sandbox off; a normal user keeps it.
        if os.getuid() == 0:
            self.env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        self.program = self.spawn([os.path.join(prog, "tavrin")], "tavrin.log", cwd=self.tmp)

    def take(self):
        self.start_x()
        # Straight from the build tree, with the real start page beside it.
        self.start_program(os.path.dirname(self.binary))
        self.main = wait_for("the main window", self.main_window, bound=60)
        x, y, w, h, _ = self.geometry(self.main)
        grab = lambda: screen_pixels.grab(self.env, x, y, w, h)
        wait_for("the start page", lambda: screen_pixels.start_page_card(grab()), bound=60, step=0.5)
        return grab()


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
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "screenshot.png"))
    build = os.path.join(ROOT, os.environ.get("BUILD", "build"))
    subprocess.run(["make", "-C", ROOT, "build", "BUILD=" + build], check=True)
    s = ShotSession(build)
    try:
        img = s.take()
        os.makedirs(os.path.dirname(out), exist_ok=True)
        write_png(out, img)
        print("wrote %s (%dx%d)" % (out, img.width, img.height))
        s.end_from_tray()
        s.program.wait(timeout=10)
    except (tray_session.Failure, subprocess.TimeoutExpired) as e:
        print("FAILED:", e)
        return 1
    finally:
        s.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
