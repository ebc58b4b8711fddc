#!/usr/bin/env python3
"""Mutation testing of Tavrin's product code against its C++ test binaries.

Each mutant in tools/mutants.json is one small fault (a flipped comparison, an
off-by-one bound, a dropped call, swapped arguments, a negated condition, a
changed constant), written as text rather than line numbers:

    {"id": "...", "desc": "...",
     "alternatives": [["<file, glob or folder>", "<exact original snippet>", "<replacement>"], ...]}

The first alternative whose snippet occurs exactly once in the files it names
is applied; code that moved or was reshaped gets a further alternative that
says the same fault in its new place. A mutant none of whose alternatives
applies is reported as "not-applicable".

For each mutant the script
  1. writes the fault into the source tree (the file is put back afterwards
     whatever happens, Ctrl+C included, and `git diff --quiet` checks it);
  2. finds the test binaries that link the changed code, from the build
     directory's dependency files (*.o.d) and link lines (link.txt);
  3. builds and runs them one at a time, narrowest and fastest first (those
     without the engine, then those linking fewest libraries, then by run
     time), and stops at the first failure.
Outcomes: killed (a test failed or timed out), survived, build-failed (counted
apart, not as killed), not-applicable.

Before the mutants, every test binary is built and run once on the unchanged
tree: this gives the order and each test's time limit (five times its own
time, at least 120 s, at most 300 s), and the run stops if any of them fails.

Only these ctest entries are used (the C++ test binaries):
    platform_tests command_tests wbcontrol_tests app_tests engine_tests
    shell_engine_tests download_tests robust_engine_tests request_tests signin_tests
Left out: the end-to-end Python tests (e2e_*, starter_alone), install,
code_format and skin_check: too slow for every mutant, or about the tree's
form rather than its behaviour.

Usage:
    source /root/.ccache-env
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo \\
          -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DTAVRIN_BENCH=OFF
    python3 tools/mutate.py --build build [--only id,id] [--json out.json]
                            [--mutants tools/mutants.json] [--list]

    --build DIR     a configured build directory of this tree (default: build)
    --only IDS      run only these mutants (comma-separated ids)
    --json FILE     also write the outcomes, totals and test times as JSON
    --mutants FILE  the mutant list (default: tools/mutants.json beside this script)
    --list          print which alternative each mutant would use, and stop
    --reuse-check   skip the run on the unchanged tree when this build directory
                    already holds one of the same code (the same last commit
                    outside tools/, and a clean tree)
The exit status is 0 when the run completed (whatever the outcomes), 2 when
the tests fail on the unchanged tree, 3 when a file could not be put back.
"""

import argparse
import fnmatch
import glob
import json
import os
import re
import signal
import subprocess
import sys
import time

TESTS = [
    "platform_tests",
    "command_tests",
    "wbcontrol_tests",
    "app_tests",
    "engine_tests",
    "shell_engine_tests",
    "download_tests",
    "robust_engine_tests",
    "request_tests",
    "signin_tests",
]
SOURCE_SUFFIXES = (".cpp", ".h")
MIN_LIMIT, MAX_LIMIT, LIMIT_FACTOR = 120, 300, 5

ROOT = subprocess.run(
    ["git", "-C", os.path.dirname(os.path.abspath(__file__)), "rev-parse", "--show-toplevel"],
    check=True, capture_output=True, text=True).stdout.strip()


def log(*parts):
    print(*parts, flush=True)


# ---- finding a mutant's place ------------------------------------------------

def files_named(spec):
    """The source files a path, glob or folder (relative to the tree) names."""
    full = os.path.join(ROOT, spec)
    if os.path.isdir(full):
        found = []
        for base, _, names in os.walk(full):
            found += [os.path.join(base, n) for n in names if n.endswith(SOURCE_SUFFIXES)]
        return sorted(found)
    return sorted(f for f in glob.glob(full, recursive=True) if os.path.isfile(f))


def locate(mutant):
    """(alternative number, file, original, replacement) of the first alternative
    whose snippet occurs exactly once in the files it names, or None."""
    for k, (spec, original, replacement) in enumerate(mutant["alternatives"]):
        hits = []
        for path in files_named(spec):
            with open(path, encoding="utf-8") as f:
                count = f.read().count(original)
            hits += [path] * count
        if len(hits) == 1:
            return k, hits[0], original, replacement
    return None


# ---- which tests link a file ---------------------------------------------------

class Build:
    def __init__(self, build_dir):
        self.dir = os.path.abspath(build_dir)
        commands = os.path.join(self.dir, "compile_commands.json")
        if not os.path.exists(commands):
            sys.exit(f"{commands} is missing: configure {self.dir} first (see the usage)")
        with open(commands) as f:
            self.entries = json.load(f)
        self.link_lines = {}
        for test in TESTS:
            found = glob.glob(os.path.join(self.dir, "**", "CMakeFiles", test + ".dir", "link.txt"),
                              recursive=True)
            if found:
                with open(found[0]) as f:
                    self.link_lines[test] = f.read()
        self.tests = [t for t in TESTS if t in self.link_lines]

    @staticmethod
    def object_of(entry):
        words = entry.get("arguments") or entry.get("command", "").split()
        for k, word in enumerate(words[:-1]):
            if word == "-o":
                return words[k + 1]
        return None

    @staticmethod
    def target_of(object_path):
        # .../CMakeFiles/<target>.dir/<source>.o
        parts = object_path.replace(os.sep, "/").split("/")
        for k, part in enumerate(parts):
            if part == "CMakeFiles" and k + 1 < len(parts) and parts[k + 1].endswith(".dir"):
                return parts[k + 1][:-len(".dir")]
        return None

    def targets_using(self, path):
        """Every build target one of whose objects depends on the file."""
        path = os.path.realpath(path)
        rel = os.path.relpath(path, ROOT)
        targets = set()
        for e in self.entries:
            obj = e.get("output") or self.object_of(e)
            if not obj:
                continue
            obj_path = obj if os.path.isabs(obj) else os.path.join(e["directory"], obj)
            depfile = obj_path + ".d"
            if not os.path.exists(depfile):
                continue
            with open(depfile, errors="replace") as f:
                text = f.read()
            if os.path.basename(path) not in text:
                continue
            for dep in text.replace("\\\n", " ").split():
                dep = dep.rstrip(":")
                full = dep if os.path.isabs(dep) else os.path.join(e["directory"], dep)
                if os.path.realpath(full) == path or os.path.normpath(dep).endswith("/" + rel):
                    target = self.target_of(obj_path)
                    if target:
                        targets.add(target)
                    break
        return targets

    def tests_linking(self, path):
        targets = self.targets_using(path)
        return [t for t in self.tests
                if t in targets or any(f"lib{lib}.a" in self.link_lines[t] for lib in targets)]

    def order_key(self, test, timings):
        """Narrowest first, as a fault is most likely caught nearest to it and
        building a binary costs more than running most of them: the binaries
        without the engine, then those linking fewest libraries, then the fastest."""
        line = self.link_lines[test]
        libraries = set(re.findall(r"lib[A-Za-z0-9_]+\.a", line))
        return ("libtavrin_webengine.a" in line, len(libraries), timings.get(test, 1e9))

    def build(self, targets, mutated=False):
        started = time.monotonic()
        env = dict(os.environ)
        if mutated:
            env["CCACHE_READONLY"] = "1"  # a mutant's objects are of no use to anybody later
        r = subprocess.run(["cmake", "--build", self.dir, "-j2", "--target", *targets],
                           capture_output=True, text=True, env=env)
        return r.returncode == 0, r.stdout[-3000:] + r.stderr[-3000:], time.monotonic() - started

    def run_test(self, test, limit):
        """'pass', 'fail' or 'timeout', and the seconds it took."""
        started = time.monotonic()
        proc = subprocess.Popen(["ctest", "--test-dir", self.dir, "-R", f"^{test}$", "--output-on-failure",
                                 "--timeout", str(limit)],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                start_new_session=True)
        try:
            out, _ = proc.communicate(timeout=limit + 30)
            result = "pass" if proc.returncode == 0 else "fail"
            if "Timeout" in out and "***Timeout" in out:
                result = "timeout"
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            out, _ = proc.communicate()
            result = "timeout"
        except BaseException:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            raise
        if result == "pass" and "No tests were found" in out:
            result = "fail"
        return result, time.monotonic() - started, out


# ---- one mutant ------------------------------------------------------------------

def git_clean(path):
    return subprocess.run(["git", "-C", ROOT, "diff", "--quiet", "--", path]).returncode == 0


class RestoreFailed(Exception):
    pass


def run_mutant(build, mutant, timings, limits):
    started = time.monotonic()
    result = {"id": mutant["id"], "desc": mutant["desc"], "outcome": None, "killed_by": None,
              "file": None, "alternative": None, "tests": [], "seconds": 0.0}
    place = locate(mutant)
    if place is None:
        result["outcome"] = "not-applicable"
        return result
    alternative, path, original, replacement = place
    result["file"] = os.path.relpath(path, ROOT)
    result["alternative"] = alternative
    tests = sorted(build.tests_linking(path), key=lambda t: build.order_key(t, timings))
    result["tests"] = tests
    if not tests:
        result["outcome"] = "survived"
        result["detail"] = "no test binary links this file"
        return result

    if not git_clean(path):
        raise RestoreFailed(f"{path} has uncommitted changes before mutating it")
    with open(path, "rb") as f:
        pristine = f.read()
    try:
        with open(path, "wb") as f:
            f.write(pristine.replace(original.encode(), replacement.encode(), 1))
        result["outcome"] = "survived"
        for test in tests:
            ok, output, _ = build.build([test], mutated=True)
            if not ok:
                result["outcome"] = "build-failed"
                result["detail"] = output.strip().splitlines()[-5:]
                break
            verdict, seconds, output = build.run_test(test, limits[test])
            log(f"    {test}: {verdict} ({seconds:.0f} s)")
            if verdict != "pass":
                result["outcome"] = "killed"
                result["killed_by"] = test if verdict == "fail" else f"{test} (timeout)"
                # What failed, so a kill by a flaky test can be told from a real one.
                result["detail"] = [line for line in output.splitlines()
                                    if "Failure" in line or "FAILED" in line or "Timeout" in line][:8]
                break
    finally:
        with open(path, "wb") as f:
            f.write(pristine)
        if not git_clean(path):
            raise RestoreFailed(f"{path} could not be put back: see `git diff {path}`")
    result["seconds"] = round(time.monotonic() - started, 1)
    return result


# ---- the run ------------------------------------------------------------------

def check_unchanged(build):
    """Builds every test binary and runs it once on the unchanged tree."""
    log(f"building {len(build.tests)} test binaries on the unchanged tree")
    ok, output, seconds = build.build(build.tests)
    if not ok:
        sys.exit("the unchanged tree does not build:\n" + output)
    log(f"  built in {seconds:.0f} s")
    timings = {}
    for test in build.tests:
        verdict, seconds, output = build.run_test(test, 900)
        log(f"  {test}: {verdict} ({seconds:.1f} s)")
        if verdict != "pass":
            print(output[-6000:])
            log(f"{test} does not pass on the unchanged tree: fix that first")
            sys.exit(2)
        timings[test] = round(seconds, 1)
    limits = {t: int(min(MAX_LIMIT, max(MIN_LIMIT, LIMIT_FACTOR * s))) for t, s in timings.items()}
    return timings, limits


def unchanged_check(build, reuse):
    """The unchanged tree's test times: measured now, or with --reuse-check taken
    from the last check of this same commit in this build directory."""
    saved = os.path.join(build.dir, "mutate-unchanged.json")
    # The last commit that changed anything outside tools/: this script's own
    # changes do not call for a new check.
    head = subprocess.run(["git", "-C", ROOT, "log", "-1", "--format=%H", "--", ".", ":!tools"],
                          capture_output=True, text=True).stdout.strip()
    clean = subprocess.run(["git", "-C", ROOT, "diff", "--quiet", "HEAD"]).returncode == 0
    if reuse and clean and os.path.exists(saved):
        with open(saved) as f:
            kept = json.load(f)
        if kept.get("commit") == head and sorted(kept["timings"]) == sorted(build.tests):
            log(f"reusing the unchanged tree's check of {head[:10]}: " +
                ", ".join(f"{t} {s} s" for t, s in kept["timings"].items()))
            ok, output, _ = build.build(build.tests)
            if not ok:
                sys.exit("the unchanged tree does not build:\n" + output)
            return kept["timings"], kept["limits"]
    timings, limits = check_unchanged(build)
    if clean:
        with open(saved, "w") as f:
            json.dump({"commit": head, "timings": timings, "limits": limits}, f, indent=1)
    return timings, limits


def print_table(results):
    width = max(len(r["id"]) for r in results)
    log("")
    log(f"{'mutant':<{width}}  {'outcome':<14}  killed by / note")
    log(f"{'-' * width}  {'-' * 14}  {'-' * 30}")
    for r in results:
        note = r["killed_by"] or ""
        if r["outcome"] == "survived":
            note = "ran: " + ", ".join(r["tests"]) if r["tests"] else r.get("detail", "")
        log(f"{r['id']:<{width}}  {r['outcome']:<14}  {note}")


def totals_of(results):
    totals = {k: 0 for k in ("killed", "survived", "build-failed", "not-applicable")}
    for r in results:
        totals[r["outcome"]] += 1
    totals["total"] = len(results)
    return totals


def interrupt(*_):
    raise KeyboardInterrupt()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter, epilog=__doc__)
    parser.add_argument("--build", default="build")
    parser.add_argument("--only", default="")
    parser.add_argument("--json", default="")
    parser.add_argument("--mutants", default=os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                           "mutants.json"))
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--reuse-check", action="store_true")
    args = parser.parse_args()

    with open(args.mutants, encoding="utf-8") as f:
        mutants = json.load(f)["mutants"]
    ids = [m["id"] for m in mutants]
    if len(set(ids)) != len(ids):
        sys.exit("mutant ids must be unique")
    if args.only:
        wanted = args.only.split(",")
        unknown = set(wanted) - set(ids)
        if unknown:
            sys.exit("unknown mutants: " + ", ".join(sorted(unknown)))
        mutants = [m for m in mutants if m["id"] in wanted]

    build = Build(args.build if os.path.isabs(args.build) else os.path.join(os.getcwd(), args.build))
    if args.list:
        for m in mutants:
            place = locate(m)
            if place is None:
                log(f"{m['id']}: not applicable")
            else:
                tests = build.tests_linking(place[1])
                log(f"{m['id']}: alternative {place[0]} in {os.path.relpath(place[1], ROOT)} -> {', '.join(tests)}")
        return 0

    # SIGTERM unwinds like Ctrl+C, so the file being mutated is put back.
    signal.signal(signal.SIGTERM, interrupt)
    started = time.monotonic()
    timings, limits = unchanged_check(build, args.reuse_check)
    results = []
    interrupted = False
    try:
        for n, m in enumerate(mutants, 1):
            log(f"[{n}/{len(mutants)}] {m['id']}: {m['desc']}")
            r = run_mutant(build, m, timings, limits)
            log(f"  -> {r['outcome']}" + (f" by {r['killed_by']}" if r["killed_by"] else "")
                + f" ({r['seconds']:.0f} s)")
            results.append(r)
    except KeyboardInterrupt:
        interrupted = True
        log("interrupted: the file being mutated was put back")
    except RestoreFailed as e:
        log(f"STOPPED: {e}")
        return 3
    finally:
        if results:
            print_table(results)
        totals = totals_of(results)
        wall = round(time.monotonic() - started, 1)
        log("")
        log("totals: " + ", ".join(f"{k} {v}" for k, v in totals.items()) + f"; wall time {wall:.0f} s")
        if args.json:
            commit = subprocess.run(["git", "-C", ROOT, "rev-parse", "HEAD"], capture_output=True,
                                    text=True).stdout.strip()
            with open(args.json, "w") as f:
                json.dump({"commit": commit, "interrupted": interrupted, "wall_seconds": wall,
                           "totals": totals, "test_seconds": timings, "test_limits": limits,
                           "mutants": results}, f, indent=1, ensure_ascii=False)
                f.write("\n")
    return 130 if interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
