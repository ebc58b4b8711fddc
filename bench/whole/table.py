#!/usr/bin/env python3
"""The one table `make bench` ends with: the in-process benchmarks (Google
Benchmark JSON files) and the whole-program harness (its --json file).

usage: python3 -m bench.whole.table [--whole FILE] [GBENCH_JSON...]
"""

import argparse
import json
import os
import sys

# Whole-program figures: key, label, unit, target (comparison, limit) on the ratio
# where the row holds the floor's figure too, else on Tavrin's; None: no target.
WHOLE = [
    ("start", "cold start to first page", "s", ("≤", 0.75)),
    ("mem_one", "memory, one page", "MiB", ("≤", 0.85)),
    ("start_tuned", "cold start, against the tuned floor", "s", ("≤", 1.05)),
    ("mem_one_tuned", "memory, one page, against the tuned floor", "MiB", ("≤", 1.02)),
    ("ten_tabs", "ten tabs loaded", "s", ("≤", 0.90)),
    ("mem_ten", "memory, ten pages", "MiB", ("≤", 0.95)),
    ("mem_closed", "memory, nine closed", "MiB", None),
    ("thirty_tabs", "thirty tabs more loaded", "s", ("≤", 0.90)),
    ("mem_per_tab", "memory per tab of the thirty", "MiB/tab", ("≤", 1.00)),
    ("cpu_up", "ten busy pages, window up, CPU", "% core", None),
    ("cpu_tray", "ten busy pages in the tray, CPU", "% core", ("≤", 2)),
    ("back", "back from the tray, page painted", "ms", ("<", 100)),
]
CLOSED_WITHIN = 1.10   # after closing nine, against the same program's one-page figure

TAB_RESIZE_MS = 0.25
FORMAT = {"s": "%.2f", "x": "%.2f", "% core": "%.1f", "MiB/tab": "%.1f"}   # else whole numbers


def value(x, unit):
    return FORMAT.get(unit, "%.0f") % x


def spread(s, unit):
    return "%s [%s–%s]" % (value(s["median"], unit), value(s["min"], unit), value(s["max"], unit))


def render(header, rows):
    widths = [max(len(str(r[i])) for r in [header] + rows) for i in range(len(header))]
    line = lambda r: "  ".join(str(c).ljust(w) for c, w in zip(r, widths)).rstrip()
    return "\n".join([line(header), line(["-" * w for w in widths])] + [line(r) for r in rows])


def whole_rows(summary):
    rows = []
    for key, label, unit, target in WHOLE:
        s = summary.get(key)
        if not s:                   # a file from before the row was measured
            continue
        ratio = s.get("ratio")
        if key == "mem_closed":
            vs = s["tavrin_vs_one"]
            goal = "Tavrin ≤ %.2f × its one page: %s (floor %s)" % (
                CLOSED_WITHIN, spread(vs, "x"), value(s["floor_vs_one"]["median"], "x"))
            met = "yes" if vs["median"] <= CLOSED_WITHIN else "no"
        elif target:
            (op, limit), x = target, (ratio or s["tavrin"])["median"]
            goal = "ratio %s %.2f" % (op, limit) if ratio else "%s %g %s" % (op, limit, unit)
            met = "yes" if (x <= limit if op == "≤" else x < limit) else "no"
        else:
            goal, met = "for comparison", ""
        rows.append(["%s (%s)" % (label, unit), spread(s["tavrin"], unit),
                     spread(s["floor"], unit) if ratio else "", spread(ratio, "x") if ratio else "", goal, met])
        if key == "ten_tabs" and "input" in summary:
            a = summary["input"]
            rows.append(["  of it, asking (s)", spread(a["tavrin"], "s"), spread(a["floor"], "s"), "", "", ""])
            if "xdotool" in summary:
                a = summary["xdotool"]
                rows.append(["  of that, in xdotool (s)", spread(a["tavrin"], "s"), spread(a["floor"], "s"),
                             "", "", ""])
    return rows


def whole_table(summary):
    return render(["figure", "Tavrin median [min–max]", "floor median [min–max]",
                   "ratio median [min–max]", "target", "met"], whole_rows(summary))


def ms(bench):
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[bench.get("time_unit", "ns")]
    return bench["real_time"] * scale


def inprocess_rows(files):
    benches = {}
    order = []
    for path in files:
        with open(path) as f:
            for b in json.load(f).get("benchmarks", []):
                if b.get("run_type", "iteration") != "iteration":
                    continue
                benches[b["name"]] = b
                order.append(b["name"])
    rows = []
    for name in order:
        t = ms(benches[name])
        goal, met = "", ""
        if name.startswith("TabResize33/"):
            goal, met = "< %.2f ms" % TAB_RESIZE_MS, "yes" if t < TAB_RESIZE_MS else "no"
        elif name.startswith("PaintButton/style:5/"):
            size = name.split("/", 2)[2]                # w:100/h:30
            qt = benches.get("QtPushButton/" + size)
            if qt:
                goal = "≤ QtPushButton/%s (%s ms)" % (size, fmt_ms(ms(qt)))
                met = "yes" if t <= ms(qt) else "no"
        rows.append([name, fmt_ms(t) + " ms", goal, met])
    return rows


def fmt_ms(t):
    return "%.4f" % t if t < 1 else "%.2f" % t


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--whole", help="the whole-program harness's JSON file")
    parser.add_argument("inprocess", nargs="*", help="Google Benchmark JSON files")
    args = parser.parse_args()
    parts = []
    files = [f for f in args.inprocess if os.path.exists(f)]
    if files:
        parts.append("In-process benchmarks (offscreen, real time per iteration)\n" +
                     render(["benchmark", "time", "target", "met"], inprocess_rows(files)))
    if args.whole and os.path.exists(args.whole):
        with open(args.whole) as f:
            data = json.load(f)
        n = len(data["rounds"])
        parts.append("Whole programs, Tavrin against the bare engine (%d rounds after a warm-up; "
                     "ratio = Tavrin / floor, or tuned floor, in the same round)\n" % n + whole_table(data["summary"]))
        disturbed = data["summary"].get("disturbed_rounds", 0)
        if disturbed:
            parts[-1] += ("\nnote: in %d of the rounds another program ran Qt WebEngine beside the harness,"
                          " and shared the CPU with it" % disturbed)
    print("\n\n".join(parts))
    return 0


if __name__ == "__main__":
    sys.exit(main())
