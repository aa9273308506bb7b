#!/usr/bin/env python3
"""Blunder screening measured on generated realistic areas.

    bench/area-trust.py [VORIDA-CLI] [--areas N] [--seed S] [--amplitude MM] [-v]

Each area is a town (0.5-20 km across) or a corridor (a road 10-40 km long, 0.3-1.5 km wide,
gently bent) of 6-300 adjustment points (a quarter each of 6-10, 11-20, 21-50 and 51-300),
spread evenly or in clusters, in the national 2000 system (zone 18, true-to-scale coordinates
around x 5.75-6.05 million m, y 6.43-6.57 million m). Its local system is the national one
turned by up to 2 degrees, scaled by up to 1e-4, shifted and bent by a small conformal
quadratic (another conformal projection); one area in three also gets the non-conformal term
of a Cassini-Soldner system, x += e^3 / (6 R^2), e the easting from a central meridian within
5 km of the area. Every local coordinate carries the network's own smooth distortion: 6-15
Gaussian bumps of 15-40 % of the area's size (at least 1 km) and up to A millimetres in each
component (A drawn per area from 5 mm to --amplitude, default 50 mm). The national
coordinates carry 1-5 mm of normal noise (drawn per area); both are listed to the millimetre.

Every area is judged by `vorida-cli fit --loo` six times:
  clean     as generated: any point named is a false alarm;
  5 cm      5 cm added to one point inside the hull: it must be named;
  10 cm     10 cm on the point furthest from the centre: it must be named;
  20 cm     20 cm on any point: it must be named;
  50+5 cm   50 cm and 5 cm on two points inside: both must be named;
  mwb       on a point drawn at random, a blunder 10 % over the smallest detectable blunder
            (mwb) that the clean run printed for it: it must be named.
Blunders go onto the national coordinates in a random direction. Prints the false alarms by
kind and the detection by blunder kind and by area size; deterministic for a seed.
"""

import argparse
import math
import os
import random
import subprocess
import tempfile

SIZES = [(6, 10), (11, 20), (21, 50), (51, 300)]


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


def positions(rng, kind, n, clustered):
    """n national positions (x, y) relative to the area's centre; the area's size in metres."""
    pts = []
    if kind == "town":
        size = math.exp(rng.uniform(math.log(500.0), math.log(20000.0)))
        a, b = size / 2.0, size / 2.0 * rng.uniform(0.5, 1.0)
        centres = [(rng.uniform(-a, a) * 0.6, rng.uniform(-b, b) * 0.6) for _ in range(rng.randint(1, 4))]
        while len(pts) < n:
            if clustered and rng.random() < 0.7:
                c = rng.choice(centres)
                u, v = rng.gauss(c[0], a / 5.0), rng.gauss(c[1], b / 5.0)
            else:
                u, v = rng.uniform(-a, a), rng.uniform(-b, b)
            if (u / a) ** 2 + (v / b) ** 2 <= 1.0:
                pts.append((u, v))
    else:
        size, width = rng.uniform(10000.0, 40000.0), rng.uniform(300.0, 1500.0)
        bend = rng.uniform(-0.15, 0.15)
        centres = [rng.uniform(-size / 2.0, size / 2.0) for _ in range(rng.randint(2, 6))]
        while len(pts) < n:
            s = rng.gauss(rng.choice(centres), size / 20.0) if clustered and rng.random() < 0.7 else rng.uniform(-size / 2.0, size / 2.0)
            if abs(s) > size / 2.0:
                continue
            pts.append((s, rng.uniform(-width / 2.0, width / 2.0) + bend * s * s / size))
    turn = rng.uniform(0.0, math.pi)
    return [(u * math.cos(turn) - v * math.sin(turn), u * math.sin(turn) + v * math.cos(turn)) for u, v in pts], size


def make_area(rng, amplitude):
    lo, hi = rng.choice(SIZES)
    n = rng.randint(lo, hi)
    kind = "town" if rng.random() < 0.5 else "corridor"
    clustered = rng.random() < 0.5
    pts, size = positions(rng, kind, n, clustered)
    cx, cy = rng.uniform(5.75e6, 6.05e6), rng.uniform(6.43e6, 6.57e6)
    angle = math.radians(rng.uniform(-2.0, 2.0))
    scale = 1.0 + rng.uniform(-1e-4, 1e-4)
    q = (rng.uniform(-2e-9, 2e-9), rng.uniform(-2e-9, 2e-9))
    ox, oy = rng.uniform(20000.0, 60000.0), rng.uniform(20000.0, 60000.0)
    cassini = rng.random() < 1.0 / 3.0
    meridian = rng.uniform(-5000.0, 5000.0)
    amp = rng.uniform(0.005, max(amplitude, 0.005))
    noise = rng.uniform(0.001, 0.005)
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    bumps = []
    for _ in range(rng.randint(6, 15)):
        r = max(1000.0, rng.uniform(0.15, 0.4) * size)
        bumps.append((rng.uniform(min(xs) - r, max(xs) + r), rng.uniform(min(ys) - r, max(ys) + r), r,
                      rng.uniform(-amp, amp), rng.uniform(-amp, amp)))
    rows = []
    for i, (zr, zi) in enumerate(pts):
        lr = scale * (math.cos(angle) * zr - math.sin(angle) * zi) + q[0] * (zr * zr - zi * zi) - q[1] * 2 * zr * zi
        li = scale * (math.sin(angle) * zr + math.cos(angle) * zi) + q[0] * 2 * zr * zi + q[1] * (zr * zr - zi * zi)
        if cassini:
            lr += (li - meridian) ** 3 / (6.0 * 6.38e6 ** 2)
        dx = dy = 0.0
        for bx, by, r, ax, ay in bumps:
            w = math.exp(-((zr - bx) ** 2 + (zi - by) ** 2) / (2 * r * r))
            dx += ax * w
            dy += ay * w
        rows.append(["P%d" % (i + 1), ox + lr + dx, oy + li + dy, cx + zr + rng.gauss(0, noise), cy + zi + rng.gauss(0, noise)])
    label = "%s %s" % (kind, "clustered" if clustered else "even")
    return {"kind": label, "n": n, "size": size, "cassini": cassini, "rows": rows}


def blunder(rng, row, size):
    a = rng.uniform(0.0, 2.0 * math.pi)
    row[3] += size * math.cos(a)
    row[4] += size * math.sin(a)


def judge(cli, work, rows):
    """The names named and, from the first round's table, each point's mwb in metres."""
    with open(os.path.join(work, "a.txt"), "w", encoding="utf-8") as f:
        f.write("@area\tTest\n@system\t7\n")
        for r in rows:
            f.write("%s\t%.3f\t%.3f\t%.3f\t%.3f\n" % tuple(r))
    subprocess.run([cli, "pack", os.path.join(work, "a.txt"), "-o", os.path.join(work, "TRANSPKT.BIN")],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = subprocess.run([cli, "fit", "--loo", "--dir", work, "--threads", "1"], check=True,
                         capture_output=True, text=True).stdout
    lines = out.strip().splitlines()
    last = lines[-1]
    assert last.startswith("Prawdopodobne błędy grube ("), last
    names = last.split("): ", 1)[1]
    mwb = {}
    start = next(i for i, l in enumerate(lines) if "mwb [mm]" in l) + 1
    for l in lines[start:]:
        if l.startswith("RMS v"):
            break
        w = l.split()
        if len(w) >= 6 and w[5] != "-":
            try:
                mwb[w[0]] = float(w[5]) / 1000.0
            except ValueError:
                pass
    return (set() if names == "brak" else set(names.split(", "))), mwb


def bucket(n):
    return next("%d-%d" % s for s in SIZES if s[0] <= n <= s[1])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli", nargs="?", default=os.path.join(os.path.dirname(__file__), "..", "build", "bin", "vorida-cli"))
    parser.add_argument("--areas", type=int, default=500)
    parser.add_argument("--seed", type=int, default=19)
    parser.add_argument("--amplitude", type=float, default=50.0, help="largest distortion, millimetres (at least 5)")
    parser.add_argument("-v", "--verbose", action="store_true")
    args = parser.parse_args()
    # Millimetres, as the docs say; each area draws its own amplitude from 5 mm up to this, so a
    # smaller value (such as 0.05 meant as metres) would silently mean 5 mm.
    if args.amplitude < 5.0:
        parser.error("--amplitude is in millimetres, at least 5 (got %g)" % args.amplitude)
    rng = random.Random(args.seed)
    tests = ["5 cm", "10 cm", "20 cm", "50+5 cm", "mwb"]
    alarms = {}  # kind -> [areas, with a point named]
    found = {t: {} for t in tests}  # test -> size bucket -> [areas, named]
    others = {t: 0 for t in tests}
    blind = [0, 0]  # points with mwb over 50 mm, points
    with tempfile.TemporaryDirectory() as work:
        for k in range(args.areas):
            a = make_area(rng, args.amplitude / 1000.0)
            rows, n = a["rows"], a["n"]
            hull = hull_vertices([(r[1], r[2]) for r in rows])
            inside = [i for i, r in enumerate(rows) if (r[1], r[2]) not in hull] or list(range(n))
            got, mwb = judge(args.cli, work, rows)
            for key in (a["kind"], bucket(n) + " pkt", "cassini" if a["cassini"] else "conformal", "all"):
                c = alarms.setdefault(key, [0, 0])
                c[0] += 1
                c[1] += 1 if got else 0
            blind[0] += sum(1 for v in mwb.values() if v > 0.05)
            blind[1] += len(mwb)
            if got and args.verbose:
                print("area %d (%s, %d points, %.0f m): false alarm %s" % (k, a["kind"], n, a["size"], sorted(got)))
            mx = sum(r[1] for r in rows) / n
            my = sum(r[2] for r in rows) / n
            outer = max(range(n), key=lambda i: (rows[i][1] - mx) ** 2 + (rows[i][2] - my) ** 2)
            cases = {"5 cm": [(rng.choice(inside), 0.05)], "10 cm": [(outer, 0.10)],
                     "20 cm": [(rng.randrange(n), 0.20)]}
            if len(inside) >= 2:
                two = rng.sample(inside, 2)
                cases["50+5 cm"] = [(two[0], 0.5), (two[1], 0.05)]
            m = rng.randrange(n)
            if rows[m][0] in mwb:
                cases["mwb"] = [(m, 1.1 * mwb[rows[m][0]])]
            for t in tests:
                if t not in cases:
                    continue
                moved = [r[:] for r in rows]
                for i, size in cases[t]:
                    blunder(rng, moved[i], size)
                want = {moved[i][0] for i, _ in cases[t]}
                got, _ = judge(args.cli, work, moved)
                c = found[t].setdefault(bucket(n), [0, 0])
                c[0] += 1
                c[1] += 1 if want <= got else 0
                others[t] += len(got - want)
                if args.verbose and not want <= got:
                    print("area %d (%s, %d points, %.0f m): %s on %s, named %s" % (k, a["kind"], n, a["size"], t, sorted(want), sorted(got)))
    print("areas: %d (seed %d, distortion up to %.0f mm)" % (args.areas, args.seed, args.amplitude))
    print("clean areas with a point named, by kind:")
    for key in sorted(alarms, key=lambda s: (s == "all", s)):
        c = alarms[key]
        print("  %-20s %4d of %4d (%.1f %%)" % (key, c[1], c[0], 100.0 * c[1] / c[0]))
    print("blunders named, by blunder kind and area size (points):")
    print("  %-8s" % "" + "".join("%16s" % bucket(lo) for lo, _ in SIZES) + "%16s%8s" % ("all", "others"))
    for t in tests:
        cells, total = "", [0, 0]
        for lo, _ in SIZES:
            c = found[t].get(bucket(lo), [0, 0])
            total = [total[0] + c[0], total[1] + c[1]]
            cells += "%16s" % ("%d/%d (%.0f%%)" % (c[1], c[0], 100.0 * c[1] / c[0]) if c[0] else "-")
        print("  %-8s" % t + cells + "%16s%8d" % ("%d/%d (%.1f%%)" % (total[1], total[0], 100.0 * total[1] / max(total[0], 1)), others[t]))
    print("points whose mwb exceeds 50 mm: %d of %d (%.1f %%)" % (blind[0], blind[1], 100.0 * blind[0] / max(blind[1], 1)))


if __name__ == "__main__":
    main()
