#!/usr/bin/env python3
"""Deterministic data for the benchmarks: an adjustment set and point files.

    generate.py adjustment P [--seed S]     text for `vorida-cli pack` (P points)
    generate.py points N [--seed S]         a point file xy_LOK (N lines, CR LF)
    generate.py horner                      the cct pipeline of the same cubic

The area is a town-sized patch of a local system (x 26000-34000 m, y 17000-23000 m, x the
northing). The national coordinates of the adjustment points come from one fixed complex
cubic (the one `horner` prints for cct) plus deterministic noise of 2 mm, rounded to the mm.
Point lines are "name x y" with 3 decimals, every point inside the area; every tenth line
carries a height and a description after the coordinates. Output depends only on the
arguments (Python's Mersenne Twister with a fixed seed; no clock).
"""

import argparse
import random
import sys

X0, Y0 = 30000.0, 20000.0  # local centre: x northing, y easting
HALF_X, HALF_Y = 4000.0, 3000.0
# The cubic: (X - 5852000) + i (Y - 6482000) = c1 z + c2 z^2 + c3 z^3 with
# z = (x - X0) + i (y - Y0) in metres.
C0 = (5852000.0, 6482000.0)
C1 = (0.99991, 0.0123)
C2 = (2.1e-9, -1.3e-9)
C3 = (4.0e-14, 2.5e-14)


def cubic(x, y):
    zr, zi = x - X0, y - Y0
    re, im = C0
    pr, pi = 1.0, 0.0
    for cr, ci in (C1, C2, C3):
        pr, pi = pr * zr - pi * zi, pr * zi + pi * zr
        re += cr * pr - ci * pi
        im += cr * pi + ci * pr
    return re, im


def adjustment(count, seed, out):
    rng = random.Random(seed)
    out.write("@area\tObszar testowy (dane syntetyczne)\n@system\t7\n")
    for i in range(count):
        x = X0 + rng.uniform(-HALF_X, HALF_X)
        y = Y0 + rng.uniform(-HALF_Y, HALF_Y)
        nx, ny = cubic(x, y)
        nx += rng.gauss(0.0, 0.002)
        ny += rng.gauss(0.0, 0.002)
        out.write("D%d\t%.3f\t%.3f\t%.3f\t%.3f\n" % (i + 1, x, y, nx, ny))


def points(count, seed, out):
    rng = random.Random(seed)
    lines = []
    for i in range(count):
        x = X0 + rng.uniform(-HALF_X, HALF_X)
        y = Y0 + rng.uniform(-HALF_Y, HALF_Y)
        line = "%d %.3f %.3f" % (100000 + i, x, y)
        if i % 10 == 9:
            line += " %.2f  pkt. graniczny" % rng.uniform(80.0, 120.0)
        lines.append(line)
        if len(lines) == 10000:
            out.write("\r\n".join(lines) + "\r\n")
            lines = []
    if lines:
        out.write("\r\n".join(lines) + "\r\n")


def horner():
    # cct's horner: complex coefficients c0, c1, ... as re,im pairs about fwd_origin. The
    # inverse is only required to be present; the benchmark runs the forward direction.
    fwd = [C0, C1, C2, C3]
    inv = [(-C0[0], -C0[1]), (1.0, 0.0), (0.0, 0.0), (0.0, 0.0)]
    flat = lambda cs: ",".join(repr(v) for c in cs for v in c)
    print("+proj=horner +deg=3 +range=100000 +fwd_origin=%r,%r +inv_origin=%r,%r "
          "+fwd_c=%s +inv_c=%s" % (Y0, X0, C0[1], C0[0], flat(fwd), flat(inv)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("what", choices=["adjustment", "points", "horner"])
    parser.add_argument("count", type=int, nargs="?", default=0)
    parser.add_argument("--seed", type=int, default=2000)
    parser.add_argument("-o", "--output", help="file to write (default: standard output)")
    args = parser.parse_args()
    if args.what == "horner":
        horner()
        return
    out = open(args.output, "w", encoding="utf-8", newline="") if args.output else sys.stdout
    with out:
        if args.what == "adjustment":
            adjustment(args.count, args.seed, out)
        else:
            points(args.count, args.seed, out)


if __name__ == "__main__":
    main()
