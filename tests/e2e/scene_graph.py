#!/usr/bin/env python3
"""Which scene graph the started program draws its pages through.

Starts the built program under Xvfb with a notification area three times:
forced to the software scene graph, forced to the default (OpenGL) one, and
left to choose, which on a desktop without a GPU render node under /dev/dri
must be the software one. The engine says which path it took in its context
log (OpenGL "disabled" or "desktop"). Each time a typed address must still
open in a tab and the program must end with status 0 from the tray menu.

usage: scene_graph.py <tavrin binary> <folder with b.ico and about.html>
"""

import glob
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import fault_start  # noqa: E402
import tray_session  # noqa: E402
from tray_session import Failure  # noqa: E402


def gpu_render_node():
    return any(os.access(n, os.R_OK | os.W_OK) for n in glob.glob("/dev/dri/renderD*"))


class SceneGraphSession(fault_start.FaultSession):
    def __init__(self, binary, files, case, forced, expected):
        super().__init__(binary, files, case)
        self.forced = forced
        self.expected = expected

    def start_program(self, prog):
        self.env.pop("TAVRIN_SCENE_GRAPH", None)
        for theirs in ("QT_QUICK_BACKEND", "QSG_RHI_BACKEND", "LIBGL_ALWAYS_SOFTWARE"):
            self.env.pop(theirs, None)
        if self.forced:
            self.env["TAVRIN_SCENE_GRAPH"] = self.forced
        self.env["QT_LOGGING_RULES"] = "qt.webenginecontext.debug=true"
        super().start_program(prog)

    def run(self):
        super().run()  # starts, opens a typed address, ends from the tray with 0
        with open(self.log, errors="replace") as f:
            log = f.read()
        said = [line.split(":", 1)[1].strip() for line in log.splitlines() if line.startswith("GL Type:")]
        if said != [self.expected]:
            raise Failure("the engine's OpenGL was %s, not %r" % (said or "never said", self.expected))


def cases(binary, files):
    chosen = "desktop" if gpu_render_node() else "disabled"
    return [("%s (expecting OpenGL %s)" % (name, expected),
             lambda name=name, forced=forced, expected=expected:
                 SceneGraphSession(binary, files, name, forced, expected))
            for name, forced, expected in
            [("software", "software", "disabled"), ("default", "default", "desktop"), ("chosen", None, chosen)]]


if __name__ == "__main__":
    sys.exit(tray_session.main_of_cases(__doc__, cases,
                                        "each scene graph drew a usable program, and the choice fit this desktop"))
