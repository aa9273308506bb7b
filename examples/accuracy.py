#!/usr/bin/env python3
"""Measure Vorida's conversion on the sample area against the PROJ truth.

    python3 examples/accuracy.py [path/to/vorida-cli] [--keep] [--verbose]

In a scratch directory it packs examples/TRANSPKT.txt into TRANSPKT.BIN, writes
the check points of examples/check-points.txt as xy_LOK (local) and xy2000
(national), each coordinate as the check-point file writes it, CR LF, runs

    vorida-cli convert --dir DIR --digits 4              (xy_LOK -> xy2000.1)
    vorida-cli convert --dir DIR --to-local --digits 4   (xy2000 -> xy_LOK.1)

and prints, for each direction, the largest and the RMS position difference
(mm) between the program's results and the PROJ-true coordinates.  The check
points are not adjustment points.  Exit status: 0 when both runs were measured,
1 when a command failed or a check point has no converted result.
"""

import argparse
import math
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


class Coordinate(float):
    """A coordinate that keeps the word it was read from, to be written back unchanged."""

    def __new__(cls, word):
        value = super().__new__(cls, word)
        value.word = word
        return value


def read_check_points(path):
    pts = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            w = line.split()
            if len(w) != 5:
                sys.exit("%s: bad line: %r" % (path, line))
            pts.append((w[0],) + tuple(Coordinate(v) for v in w[1:]))
    if not pts:
        sys.exit(path + ": no check points")
    return pts


def write_points(path, rows):
    """rows: (name, x, y); Windows-1250, CR LF, the coordinates as they were read (rounding
    the national ones to 4 decimals would add up to 0.07 mm to the national -> local figure)."""
    text = "".join("%s %s %s\r\n" % (n, x.word, y.word) for n, x, y in rows)
    with open(path, "wb") as f:
        f.write(text.encode("cp1250"))


def read_results(path):
    """name -> (x, y) or None for a '---' line (outside or unreadable)."""
    res = {}
    with open(path, "rb") as f:
        for raw in f.read().decode("cp1250").splitlines():
            w = raw.split()
            if not w:
                continue
            if len(w) < 3 or w[1] == "---" or w[2] == "---":
                res[w[0]] = None
            else:
                res[w[0]] = (float(w[1]), float(w[2]))
    return res


def run(cmd, what):
    p = subprocess.run(cmd, capture_output=True)
    if p.returncode != 0:
        sys.stderr.write("%s failed (exit %d): %s\n" % (what, p.returncode, " ".join(cmd)))
        sys.stderr.write(p.stdout.decode("utf-8", "replace"))
        sys.stderr.write(p.stderr.decode("utf-8", "replace"))
        sys.exit(1)
    return p


def measure(label, truth, results, verbose):
    """truth: name -> (x, y). Returns (max mm, rms mm, n)."""
    diffs = []
    for name, (tx, ty) in truth.items():
        got = results.get(name)
        if got is None:
            sys.exit("%s: check point %s was not converted" % (label, name))
        dx, dy = (got[0] - tx) * 1000.0, (got[1] - ty) * 1000.0
        d = math.hypot(dx, dy)
        diffs.append(d)
        if verbose:
            print("  %-8s dx %+7.2f  dy %+7.2f  d %6.2f mm" % (name, dx, dy, d))
    rms = math.sqrt(sum(d * d for d in diffs) / len(diffs))
    return max(diffs), rms, len(diffs)


def main():
    ap = argparse.ArgumentParser(description="Accuracy of vorida-cli convert on the sample area.")
    ap.add_argument("cli", nargs="?", default=os.path.join(ROOT, "build", "bin", "vorida-cli"),
                    help="the vorida-cli executable (default: build/bin/vorida-cli)")
    ap.add_argument("--keep", action="store_true", help="keep the scratch directory")
    ap.add_argument("-v", "--verbose", action="store_true", help="show every check point")
    args = ap.parse_args()

    cli = os.path.abspath(args.cli)
    if not os.access(cli, os.X_OK):
        sys.exit("no executable " + cli)
    pts = read_check_points(os.path.join(HERE, "check-points.txt"))

    work = tempfile.mkdtemp(prefix="vorida-accuracy-")
    try:
        run([cli, "pack", os.path.join(HERE, "TRANSPKT.txt"), "-o",
             os.path.join(work, "TRANSPKT.BIN")], "pack")
        write_points(os.path.join(work, "xy_LOK"), [(n, lx, ly) for n, lx, ly, _, _ in pts])
        write_points(os.path.join(work, "xy2000"), [(n, nx, ny) for n, _, _, nx, ny in pts])
        run([cli, "convert", "--dir", work, "--digits", "4"], "convert (local to national)")
        run([cli, "convert", "--dir", work, "--to-local", "--digits", "4"],
            "convert (national to local)")

        print("Check points: %d (not adjustment points); results with 4 decimals." % len(pts))
        if args.verbose:
            print("local -> national:")
        fwd = measure("local -> national", {n: (nx, ny) for n, _, _, nx, ny in pts},
                      read_results(os.path.join(work, "xy2000.1")), args.verbose)
        if args.verbose:
            print("national -> local:")
        inv = measure("national -> local", {n: (lx, ly) for n, lx, ly, _, _ in pts},
                      read_results(os.path.join(work, "xy_LOK.1")), args.verbose)
        print("local -> national: max %.2f mm, RMS %.2f mm" % fwd[:2])
        print("national -> local: max %.2f mm, RMS %.2f mm" % inv[:2])
    finally:
        if args.keep:
            print("scratch directory kept:", work)
        else:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
