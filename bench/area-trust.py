#!/usr/bin/env python3
"""Blunder screening measured on generated realistic areas.

    bench/area-trust.py [VORIDA-CLI] [--areas N] [--seed S] [--amplitude A] [-v]

Each area is a town (a compact, clustered patch of 1.5-6 km) or a corridor (a road 5-15 km
long and 0.3-1.2 km wide, gently bent) of 20-80 adjustment points in the national 2000 system
(zone 18, true-to-scale coordinates around x 5.75-6.05 million m, y 6.43-6.57 million m). Its
local system is the national one turned by up to 2 degrees, scaled by up to 1e-4, shifted,
bent by a small conformal quadratic (a different projection), and distorted by the network's
own smooth field: 6-15 Gaussian bumps of 1-3 km radius and up to A metres (drawn per area,
default up to 4 cm) in each component. The national coordinates carry 2 mm of measurement
noise; both are listed to the millimetre.

Every area is judged by `vorida-cli fit --loo` four times:
  clean     as generated: any point named is a false alarm;
  two       50 cm and 5 cm added to two points inside the area: both must be named;
  single    5 cm added to one point inside: it must be named;
  edge      10 cm added to the point furthest from the centre: it must be named.
The blunders are added to the national coordinates in a random direction. Prints the rates;
deterministic for a seed.
"""

import argparse
import math
import os
import random
import subprocess
import sys
import tempfile


def hull_vertices(pts):
    pts = sorted(set(pts))
    if len(pts) < 3:
        return set(pts)

    def cross(o, a, b):
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0])

    lower, upper = [], []
    for p in pts:
        while len(lower) >= 2 and cross(lower[-2], lower[-1], p) <= 0:
            lower.pop()
        lower.append(p)
    for p in reversed(pts):
        while len(upper) >= 2 and cross(upper[-2], upper[-1], p) <= 0:
            upper.pop()
        upper.append(p)
    return set(lower[:-1] + upper[:-1])


def make_area(rng, amplitude):
    n = rng.randint(20, 80)
    cx, cy = rng.uniform(5.75e6, 6.05e6), rng.uniform(6.43e6, 6.57e6)
    pts = []
    if rng.random() < 0.6:  # a town: a few clusters within an ellipse
        size = rng.uniform(1500.0, 6000.0)
        a, b = size / 2.0, size / 2.0 * rng.uniform(0.5, 1.0)
        turn = rng.uniform(0.0, math.pi)
        centres = [(rng.uniform(-a, a) * 0.6, rng.uniform(-b, b) * 0.6) for _ in range(rng.randint(1, 4))]
        while len(pts) < n:
            if rng.random() < 0.5:
                u, v = rng.uniform(-a, a), rng.uniform(-b, b)
            else:
                c = rng.choice(centres)
                u, v = rng.gauss(c[0], a / 4.0), rng.gauss(c[1], b / 4.0)
            if (u / a) ** 2 + (v / b) ** 2 > 1.0:
                continue
            pts.append((cx + u * math.cos(turn) - v * math.sin(turn), cy + u * math.sin(turn) + v * math.cos(turn)))
        kind = "town"
    else:  # a corridor
        length, width = rng.uniform(5000.0, 15000.0), rng.uniform(300.0, 1200.0)
        turn, bend = rng.uniform(0.0, math.pi), rng.uniform(-0.15, 0.15)
        for _ in range(n):
            s = rng.uniform(-length / 2.0, length / 2.0)
            t = rng.uniform(-width / 2.0, width / 2.0) + bend * s * s / length
            pts.append((cx + s * math.cos(turn) - t * math.sin(turn), cy + s * math.sin(turn) + t * math.cos(turn)))
        kind = "corridor"
    # The local system of the national one.
    angle = math.radians(rng.uniform(-2.0, 2.0))
    scale = 1.0 + rng.uniform(-1e-4, 1e-4)
    q = (rng.uniform(-2e-9, 2e-9), rng.uniform(-2e-9, 2e-9))
    ox, oy = rng.uniform(20000.0, 60000.0), rng.uniform(20000.0, 60000.0)
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    span = max(max(xs) - min(xs), max(ys) - min(ys))
    bumps = []
    for _ in range(rng.randint(6, 15)):
        bumps.append((rng.uniform(min(xs) - 1000, max(xs) + 1000), rng.uniform(min(ys) - 1000, max(ys) + 1000),
                      rng.uniform(1000.0, 3000.0), rng.uniform(-amplitude, amplitude), rng.uniform(-amplitude, amplitude)))
    rows = []
    for i, (X, Y) in enumerate(pts):
        zr, zi = X - cx, Y - cy
        lr = scale * (math.cos(angle) * zr - math.sin(angle) * zi) + q[0] * (zr * zr - zi * zi) - q[1] * 2 * zr * zi
        li = scale * (math.sin(angle) * zr + math.cos(angle) * zi) + q[0] * 2 * zr * zi + q[1] * (zr * zr - zi * zi)
        dx = dy = 0.0
        for bx, by, r, ax, ay in bumps:
            w = math.exp(-((X - bx) ** 2 + (Y - by) ** 2) / (2 * r * r))
            dx += ax * w
            dy += ay * w
        rows.append(["P%d" % (i + 1), ox + lr + dx, oy + li + dy, X + rng.gauss(0, 0.002), Y + rng.gauss(0, 0.002)])
    return kind, span, rows


def blunder(rng, row, size):
    a = rng.uniform(0.0, 2.0 * math.pi)
    row[3] += size * math.cos(a)
    row[4] += size * math.sin(a)


def named(cli, work, rows):
    with open(os.path.join(work, "a.txt"), "w", encoding="utf-8") as f:
        f.write("@area\tTest\n@system\t7\n")
        for r in rows:
            f.write("%s\t%.3f\t%.3f\t%.3f\t%.3f\n" % tuple(r))
    subprocess.run([cli, "pack", os.path.join(work, "a.txt"), "-o", os.path.join(work, "TRANSPKT.BIN")],
                   check=True, stdout=subprocess.DEVNULL)
    out = subprocess.run([cli, "fit", "--loo", "--dir", work, "--threads", "1"], check=True,
                         capture_output=True, text=True).stdout
    last = out.strip().splitlines()[-1]
    assert last.startswith("Prawdopodobne błędy grube ("), last
    names = last.split("): ", 1)[1]
    return set() if names == "brak" else set(names.split(", "))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli", nargs="?", default=os.path.join(os.path.dirname(__file__), "..", "build", "bin", "vorida-cli"))
    parser.add_argument("--areas", type=int, default=300)
    parser.add_argument("--seed", type=int, default=19)
    parser.add_argument("--amplitude", type=float, default=0.04)
    parser.add_argument("-v", "--verbose", action="store_true")
    args = parser.parse_args()
    rng = random.Random(args.seed)
    counts = {"clean": 0, "two": 0, "single": 0, "edge": 0}
    extra = {"two": 0, "single": 0, "edge": 0}
    with tempfile.TemporaryDirectory() as work:
        for k in range(args.areas):
            kind, span, rows = make_area(rng, rng.uniform(0.005, args.amplitude))
            hull = hull_vertices([(r[1], r[2]) for r in rows])
            inside = [i for i, r in enumerate(rows) if (r[1], r[2]) not in hull]
            got = named(args.cli, work, rows)
            if got:
                counts["clean"] += 1
                if args.verbose:
                    print("area %d (%s, %d points, %.0f m): false alarm %s" % (k, kind, len(rows), span, sorted(got)))
            a, b = rng.sample(inside, 2)
            two = [r[:] for r in rows]
            blunder(rng, two[a], 0.5)
            blunder(rng, two[b], 0.05)
            got = named(args.cli, work, two)
            if {two[a][0], two[b][0]} <= got:
                counts["two"] += 1
                extra["two"] += len(got) - 2
            elif args.verbose:
                print("area %d (%s): two blunders %s %s, named %s" % (k, kind, two[a][0], two[b][0], sorted(got)))
            c = rng.choice(inside)
            single = [r[:] for r in rows]
            blunder(rng, single[c], 0.05)
            got = named(args.cli, work, single)
            if single[c][0] in got:
                counts["single"] += 1
                extra["single"] += len(got) - 1
            elif args.verbose:
                print("area %d (%s): 5 cm on %s, named %s" % (k, kind, single[c][0], sorted(got)))
            mx = sum(r[1] for r in rows) / len(rows)
            my = sum(r[2] for r in rows) / len(rows)
            e = max(range(len(rows)), key=lambda i: (rows[i][1] - mx) ** 2 + (rows[i][2] - my) ** 2)
            edge = [r[:] for r in rows]
            blunder(rng, edge[e], 0.10)
            got = named(args.cli, work, edge)
            if edge[e][0] in got:
                counts["edge"] += 1
                extra["edge"] += len(got) - 1
            elif args.verbose:
                print("area %d (%s): 10 cm on the outermost %s, named %s" % (k, kind, edge[e][0], sorted(got)))
    n = args.areas
    print("areas: %d (seed %d, distortion up to %.0f mm)" % (n, args.seed, args.amplitude * 1000))
    print("clean areas with a point named:        %3d of %d (%.1f %%)" % (counts["clean"], n, 100.0 * counts["clean"] / n))
    print("50 cm + 5 cm inside, both named:        %3d of %d (%.1f %%), other points named: %d" % (counts["two"], n, 100.0 * counts["two"] / n, extra["two"]))
    print("5 cm inside, named:                     %3d of %d (%.1f %%), other points named: %d" % (counts["single"], n, 100.0 * counts["single"] / n, extra["single"]))
    print("10 cm on the outermost point, named:    %3d of %d (%.1f %%), other points named: %d" % (counts["edge"], n, 100.0 * counts["edge"] / n, extra["edge"]))


if __name__ == "__main__":
    main()
