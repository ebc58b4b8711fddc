#!/usr/bin/env python3
"""Nothing lost when the session ends under Tavrin.

signal-TERM, signal-INT, signal-HUP: a page sets a cookie; the moment it has
loaded, the program gets the signal (a logout, a shutdown, Ctrl+C, a closed
terminal). It must end as the tray menu's Exit ends it, with status 0, and
the next start, under the same home, must send the cookie back.

display-lost: the X server goes away under the running program (a logout,
a display crash, a lost remote session). The program must end without a
crash (an exit status below 128) and the next start, on a new display under
the same home, must come up and load pages with that profile.

usage: session_end.py <tavrin binary> <folder with b.ico and about.html> [case ...]
"""

import os
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tray_session  # noqa: E402
from tray_session import Failure, Hits, wait_for  # noqa: E402


class CookieServer(Hits):
    """Hits, and the cookie it was sent with each request, by path."""
    cookies = {}

    def do_GET(self):
        path = self.path
        CookieServer.cookies[path] = self.headers.get("Cookie", "")
        if path.startswith("/set-cookie"):
            with Hits.lock:
                Hits.paths.append(path)
            body = (b"<html><head><title>Cookie</title></head><body>set<script>"
                    b"addEventListener('load', function () { navigator.sendBeacon('/loaded/set-cookie'); });"
                    b"</script></body></html>")
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Set-Cookie", "kept=yes; Max-Age=86400; Path=/")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        super().do_GET()


class EndSession(tray_session.Session):
    def __init__(self, binary, files, how):
        super().__init__(binary, files, None)
        self.how = how

    def start_server(self):
        self.server = tray_session.http.server.ThreadingHTTPServer(("127.0.0.1", 0), CookieServer)
        tray_session.threading.Thread(target=self.server.serve_forever, daemon=True).start()
        return self.server.server_address[1]

    def start_with(self, prog, address, first):
        if first:
            home, run = os.path.join(self.tmp, "home"), os.path.join(self.tmp, "run")
            os.makedirs(home)
            os.makedirs(run, mode=0o700)
            self.env.update(HOME=home, XDG_RUNTIME_DIR=run, QT_QPA_PLATFORM="xcb",
                            QTWEBENGINE_DISABLE_SANDBOX="1")
        self.program = self.spawn([os.path.join(prog, "tavrin"), address], "tavrin.log", cwd=self.tmp)
        self.main = wait_for("the main window", self.main_window, bound=60)

    def run(self):
        port = self.start_server()
        prog = self.lay_out_program(port)
        base = "http://127.0.0.1:%d" % port
        self.start_x()
        self.start_with(prog, base + "/set-cookie", first=True)
        wait_for("the cookie page to load", lambda: Hits.seen("/loaded/set-cookie"), bound=60)

        if self.how == "display":
            xvfb = self.procs[0]
            xvfb.kill()
            xvfb.wait()
            try:
                rc = self.program.wait(timeout=30)
            except subprocess.TimeoutExpired:
                raise Failure("the program outlived its display by 30 s")
            if rc < 0 or rc >= 128:
                raise Failure("without its display the program ended with status %d" % rc)
            self.start_x()
            self.start_with(prog, base + "/after", first=False)
            wait_for("a page to load on the profile left behind", lambda: Hits.seen("/loaded/after"), bound=60)
        else:
            self.program.send_signal(self.how)
            self.expect_exit(20, " after signal %d" % self.how)
            self.start_with(prog, base + "/after", first=False)
            wait_for("the next start to ask for a page", lambda: Hits.seen("/after"), bound=60)
            if "kept=yes" not in CookieServer.cookies.get("/after", ""):
                raise Failure("the cookie set before the signal was lost: %r" % CookieServer.cookies.get("/after"))
        self.end_from_tray()
        self.expect_exit(15)


CASES = {
    "signal-TERM": signal.SIGTERM,
    "signal-INT": signal.SIGINT,
    "signal-HUP": signal.SIGHUP,
    "display-lost": "display",
}


if __name__ == "__main__":
    sys.exit(tray_session.main_of_cases(__doc__, lambda binary, files: [
        (name, lambda name=name: EndSession(binary, files, how)) for name, how in CASES.items()],
        "every way the session ended kept the profile"))
