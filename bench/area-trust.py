#!/usr/bin/env python3
"""Blunder screening measured on generated realistic areas.

    bench/area-trust.py [VORIDA-CLI] [--areas N] [--seed S] [--amplitude MM] [--pure-noise] [-v]

Each area is one of five kinds, of 5-300 adjustment points (one area in ten has 5 points, the
rest a quarter each of 6-10, 11-20, 21-50 and 51-300), in the national 2000 system (zone 18,
true-to-scale coordinates around x 5.75-6.05 million m, y 6.43-6.57 million m):
  town even          0.5-20 km across, points spread evenly;
  town clustered     the same with 2-6 clusters holding 70 % of the points, the rest scattered;
  corridor even      a road 10-40 km long and 0.3-1.5 km wide, bent: an arc turning by up to
                     60 degrees, or two straight legs meeting at up to 60 degrees;
  corridor clustered the same with the points gathered in 2-6 villages along it;
  nearly collinear   points along a line 1-8 km long, at most 2-20 m off it.
Its local system is the national one turned by up to 2 degrees, scaled by up to 1e-4, shifted
and bent by a small conformal quadratic; one area in three also gets the non-conformal term of
a Cassini-Soldner system (x += e^3 / (6 R^2), e the easting from a central meridian within 5 km
of the area) and one in four a small affinity (the two axes scaled apart by up to 2e-6). Every
local coordinate carries the network's own smooth distortion: 6-15 Gaussian bumps of 15-40 % of
the area's size (at least 1 km) of up to A millimetres in each component (A drawn per area from
5 mm to --amplitude, default 50 mm), weighted from a quarter at the centre to the whole at the
outermost point, so that it is strongest at the edges. The national coordinates carry 1-5 mm of
normal noise (drawn per area); both are listed to the millimetre. Every area has one pair of
neighbours 10-30 m apart, and 20 check points (no adjustment points) of the same field.

--pure-noise: no distortion, no non-conformal term: the false alarms must keep the rule's alpha.

Every area is judged by `vorida-cli fit --loo`:
  clean     as generated: any point named is a false alarm; when points are named, the check
            points are converted with and without them (`verify --exclude`);
  5 cm      5 cm added to one point inside the hull: it must be named;
  10 cm     10 cm on the point furthest from the centre: it must be named;
  20 cm     20 cm on any point: it must be named;
  50+5 cm   50 cm and 5 cm on two points inside: both must be named;
  mwb       on a point drawn at random, a blunder 10 % over the smallest detectable blunder
            (mwb) that the clean run printed for it: it must be named;
  shared    the pair of neighbours both moved by one blunder, 10 % over the larger of their
            printed mwb: both must be named;
  twin      a copy of a point 5 cm away in the local system at the same national position,
            both moved by 10 % over the point's printed mwb (at least 10 cm): both named.
Blunders go onto the national coordinates in a random direction. Deterministic for a seed.
"""

import argparse
import math
import os
import random
import subprocess
import tempfile

SIZES = [(5, 5), (6, 10), (11, 20), (21, 50), (51, 300)]
SIZE_WEIGHTS = [0.1, 0.225, 0.225, 0.225, 0.225]
KINDS = ["town even", "town clustered", "corridor even", "corridor clustered", "nearly collinear"]
KIND_WEIGHTS = [0.2, 0.25, 0.2, 0.25, 0.1]
CHECKS = 20


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


def town(rng, n, clustered):
    size = math.exp(rng.uniform(math.log(500.0), math.log(20000.0)))
    a, b = size / 2.0, size / 2.0 * rng.uniform(0.5, 1.0)
    centres = [(rng.uniform(-a, a) * 0.7, rng.uniform(-b, b) * 0.7) for _ in range(rng.randint(2, 6))]
    spread = rng.uniform(0.06, 0.15)
    pts = []
    while len(pts) < n:
        if clustered and rng.random() < 0.7:
            c = rng.choice(centres)
            u, v = rng.gauss(c[0], a * spread), rng.gauss(c[1], b * spread)
        else:
            u, v = rng.uniform(-a, a), rng.uniform(-b, b)
        if (u / a) ** 2 + (v / b) ** 2 <= 1.0:
            pts.append((u, v))
    return pts, size


def corridor(rng, n, clustered):
    """A bent road: its axis is an arc or two legs; s runs along it, t across."""
    size, width = rng.uniform(10000.0, 40000.0), rng.uniform(300.0, 1500.0)
    turn = math.radians(rng.uniform(-60.0, 60.0))
    arc = rng.random() < 0.5
    knee = rng.uniform(-0.3, 0.3) * size

    def axis(s):  # the point of the axis at s in [-size/2, size/2] and its direction
        if arc:
            k = turn / size
            if abs(k) < 1e-12:
                return (s, 0.0), 0.0
            return (math.sin(k * s) / k, (1.0 - math.cos(k * s)) / k), k * s
        if s <= knee:
            return (s, 0.0), 0.0
        return (knee + (s - knee) * math.cos(turn), (s - knee) * math.sin(turn)), turn

    villages = [rng.uniform(-size / 2.0, size / 2.0) for _ in range(rng.randint(2, 6))]
    pts = []
    while len(pts) < n:
        if clustered and rng.random() < 0.7:
            s = rng.gauss(rng.choice(villages), size / 40.0)
        else:
            s = rng.uniform(-size / 2.0, size / 2.0)
        if abs(s) > size / 2.0:
            continue
        (x, y), d = axis(s)
        t = rng.uniform(-width / 2.0, width / 2.0)
        pts.append((x - t * math.sin(d), y + t * math.cos(d)))
    return pts, size


def collinear(rng, n):
    size, off = rng.uniform(1000.0, 8000.0), rng.uniform(2.0, 20.0)
    return [(rng.uniform(-size / 2.0, size / 2.0), rng.uniform(-off, off)) for _ in range(n)], size


def positions(rng, kind, n):
    """n national positions (x, y) around the area's centre; the area's size in metres."""
    if kind.startswith("town"):
        pts, size = town(rng, n, kind.endswith("clustered"))
    elif kind.startswith("corridor"):
        pts, size = corridor(rng, n, kind.endswith("clustered"))
    else:
        pts, size = collinear(rng, n)
    mx, my = sum(p[0] for p in pts) / n, sum(p[1] for p in pts) / n
    turn = rng.uniform(0.0, math.pi)
    return [((u - mx) * math.cos(turn) - (v - my) * math.sin(turn),
             (u - mx) * math.sin(turn) + (v - my) * math.cos(turn)) for u, v in pts], size


class Area:
    """An area's local system and distortion; rows of adjustment and check points."""

    def __init__(self, rng, amplitude, pure):
        lo, hi = rng.choices(SIZES, SIZE_WEIGHTS)[0]
        self.n = rng.randint(lo, hi)
        self.kind = rng.choices(KINDS, KIND_WEIGHTS)[0]
        # One of the n points is the neighbour of another (below); a 5-point area has none.
        paired = self.n > 5
        if paired:
            self.n -= 1
        pts, self.size = positions(rng, self.kind, self.n + CHECKS)
        self.cx, self.cy = rng.uniform(5.75e6, 6.05e6), rng.uniform(6.43e6, 6.57e6)
        self.angle = math.radians(rng.uniform(-2.0, 2.0))
        self.scale = 1.0 + rng.uniform(-1e-4, 1e-4)
        self.q = (rng.uniform(-2e-9, 2e-9), rng.uniform(-2e-9, 2e-9))
        self.ox, self.oy = rng.uniform(20000.0, 60000.0), rng.uniform(20000.0, 60000.0)
        self.cassini = not pure and rng.random() < 1.0 / 3.0
        self.affine = 0.0 if pure or rng.random() >= 0.25 else rng.uniform(-2e-6, 2e-6)
        self.meridian = rng.uniform(-5000.0, 5000.0)
        self.amp = 0.0 if pure else rng.uniform(0.005, max(amplitude, 0.005))
        self.noise = rng.uniform(0.001, 0.005)
        adjust = pts[:self.n]
        xs, ys = [p[0] for p in adjust], [p[1] for p in adjust]
        self.reach = max(math.hypot(x, y) for x, y in adjust) or 1.0
        self.bumps = []
        for _ in range(rng.randint(6, 15)):
            r = max(1000.0, rng.uniform(0.15, 0.4) * self.size)
            self.bumps.append((rng.uniform(min(xs) - r, max(xs) + r), rng.uniform(min(ys) - r, max(ys) + r), r,
                               rng.uniform(-self.amp, self.amp), rng.uniform(-self.amp, self.amp)))
        # The pair of neighbours: a point 10-30 m from an adjustment point inside.
        self.pair = None
        if paired:
            hull = hull_vertices(adjust)
            inside = [i for i, p in enumerate(adjust) if p not in hull] or list(range(self.n))
            p = rng.choice(inside)
            d, a = rng.uniform(10.0, 30.0), rng.uniform(0.0, 2.0 * math.pi)
            adjust.append((adjust[p][0] + d * math.cos(a), adjust[p][1] + d * math.sin(a)))
            self.n += 1
            self.pair = (p, self.n - 1)
        self.rows = [self.row(rng, "P%d" % (i + 1), z) for i, z in enumerate(adjust)]
        self.checks = [self.row(rng, "K%d" % (i + 1), z, noisy=False) for i, z in enumerate(pts[-CHECKS:])]
        self.band = "distortion <= 25 mm" if self.amp <= 0.025 else "distortion > 25 mm"
        self.system = "cassini" if self.cassini else "affine" if self.affine else "conformal"

    def row(self, rng, name, z, noisy=True):
        zr, zi = z
        lr = self.scale * (math.cos(self.angle) * zr - math.sin(self.angle) * zi) \
            + self.q[0] * (zr * zr - zi * zi) - self.q[1] * 2 * zr * zi
        li = self.scale * (math.sin(self.angle) * zr + math.cos(self.angle) * zi) \
            + self.q[0] * 2 * zr * zi + self.q[1] * (zr * zr - zi * zi)
        if self.cassini:
            lr += (li - self.meridian) ** 3 / (6.0 * 6.38e6 ** 2)
        lr *= 1.0 + self.affine
        dx = dy = 0.0
        for bx, by, r, ax, ay in self.bumps:
            w = math.exp(-((zr - bx) ** 2 + (zi - by) ** 2) / (2 * r * r))
            dx += ax * w
            dy += ay * w
        edge = 0.25 + 0.75 * min(1.0, (zr * zr + zi * zi) / self.reach ** 2)
        nx = rng.gauss(0, self.noise) if noisy else 0.0
        ny = rng.gauss(0, self.noise) if noisy else 0.0
        return [name, self.ox + lr + edge * dx, self.oy + li + edge * dy, self.cx + zr + nx, self.cy + zi + ny]


def blunder(rng, row, size):
    a = rng.uniform(0.0, 2.0 * math.pi)
    row[3] += size * math.cos(a)
    row[4] += size * math.sin(a)


def write_area(cli, work, rows):
    with open(os.path.join(work, "a.txt"), "w", encoding="utf-8") as f:
        f.write("@area\tTest\n@system\t7\n")
        for r in rows:
            f.write("%s\t%.3f\t%.3f\t%.3f\t%.3f\n" % tuple(r))
    subprocess.run([cli, "pack", os.path.join(work, "a.txt"), "-o", os.path.join(work, "TRANSPKT.BIN")],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def judge(cli, work, rows):
    """The names named; from the first round's table each point's mwb in metres and the
    extrapolated points."""
    write_area(cli, work, rows)
    out = subprocess.run([cli, "fit", "--loo", "--dir", work, "--threads", "1"], check=True,
                         capture_output=True, text=True).stdout
    lines = out.strip().splitlines()
    last = lines[-1]
    assert last.startswith("Prawdopodobne błędy grube ("), last
    names = last.split("): ", 1)[1]
    mwb, edge = {}, set()
    start = next(i for i, l in enumerate(lines) if "mwb [mm]" in l) + 1
    for l in lines[start:]:
        if l.startswith("RMS v") or l.startswith("Runda"):
            break
        w = l.split()
        if "ekstrapolacja" in l:
            edge.add(w[0])
        if len(w) >= 6 and w[5] != "-":
            try:
                mwb[w[0]] = float(w[5]) / 1000.0
            except ValueError:
                pass
    return (set() if names == "brak" else set(names.split(", "))), mwb, edge


def check_rms(cli, work, checks, exclude):
    """The RMS of the check points' v (mm) inside the area, with the points exclude left out."""
    path = os.path.join(work, "k.txt")
    with open(path, "w", encoding="utf-8") as f:
        for r in checks:
            f.write("%s\t%.3f\t%.3f\t%.3f\t%.3f\n" % tuple(r))
    args = [cli, "verify", path, "--dir", work]
    if exclude:
        args += ["--exclude", ",".join(sorted(exclude))]
    out = subprocess.run(args, capture_output=True, text=True).stdout
    line = next(l for l in out.splitlines() if l.startswith("W obszarze"))
    return float(line.split("RMS ")[1].split()[0]) if "RMS" in line else 0.0


def bucket(n):
    return next("%d-%d" % s if s[0] != s[1] else "%d" % s[0] for s in SIZES if s[0] <= n <= s[1])


def count(table, key, hit):
    c = table.setdefault(key, [0, 0])
    c[0] += 1
    c[1] += 1 if hit else 0


def blunder_cases(rng, a, mwb):
    rows, n = a.rows, a.n
    hull = hull_vertices([(r[1], r[2]) for r in rows])
    inside = [i for i, r in enumerate(rows) if (r[1], r[2]) not in hull] or list(range(n))
    outer = max(range(n), key=lambda i: (rows[i][3] - a.cx) ** 2 + (rows[i][4] - a.cy) ** 2)
    cases = {"5 cm": [(rng.choice(inside), 0.05)], "10 cm": [(outer, 0.10)], "20 cm": [(rng.randrange(n), 0.20)]}
    if len(inside) >= 2:
        two = rng.sample(inside, 2)
        cases["50+5 cm"] = [(two[0], 0.5), (two[1], 0.05)]
    m = rng.randrange(n)
    if rows[m][0] in mwb:
        cases["mwb"] = [(m, 1.1 * mwb[rows[m][0]])]
    p, q = a.pair or (0, 0)
    if a.pair and rows[p][0] in mwb and rows[q][0] in mwb:
        cases["shared"] = [((p, q), 1.1 * max(mwb[rows[p][0]], mwb[rows[q][0]]))]
    t = rng.choice(inside)
    if rows[t][0] in mwb:
        cases["twin"] = [((t, None), max(0.10, 1.1 * mwb[rows[t][0]]))]
    return cases


def apply_case(rng, rows, case):
    """The rows with the blunders of case; the names that must be named."""
    moved = [r[:] for r in rows]
    want = set()
    for i, size in case:
        if not isinstance(i, tuple):
            blunder(rng, moved[i], size)
            want.add(moved[i][0])
            continue
        p, q = i
        if q is None:  # a twin: 5 cm away in local, at the same national position
            a = rng.uniform(0.0, 2.0 * math.pi)
            twin = moved[p][:]
            twin[0] += "b"
            twin[1] += 0.05 * math.cos(a)
            twin[2] += 0.05 * math.sin(a)
            moved.append(twin)
            q = len(moved) - 1
        a = rng.uniform(0.0, 2.0 * math.pi)
        for k in (p, q):
            moved[k][3] += size * math.cos(a)
            moved[k][4] += size * math.sin(a)
            want.add(moved[k][0])
    return moved, want


TESTS = ["5 cm", "10 cm", "20 cm", "50+5 cm", "mwb", "shared", "twin"]


def report(args, s):
    print("areas: %d (seed %d, %s)" % (args.areas, args.seed, "pure noise" if args.pure_noise else
                                       "distortion up to %.0f mm" % args.amplitude))
    print("clean areas with a point named:")
    for key in sorted(s["alarms"], key=lambda k: (k == "all", k)):
        c = s["alarms"][key]
        print("  %-22s %4d of %4d (%.1f %%)" % (key, c[1], c[0], 100.0 * c[1] / c[0]))
    print("points named in clean areas: %d, extrapolated %d" % tuple(s["named"]))
    ck = s["checks"]
    print("clean areas with points named, check points' RMS without them: worse in %d of %d"
          " (by more than 10 %%: %d); mean %.1f -> %.1f mm" %
          (ck[1], ck[0], ck[2], ck[3] / max(ck[0], 1), ck[4] / max(ck[0], 1)))
    print("blunders named, by blunder kind and area size (points):")
    heads = [bucket(lo) for lo, _ in SIZES]
    print("  %-8s" % "" + "".join("%15s" % h for h in heads) + "%16s %-s" % ("all", "runs with a sound point named"))
    for t in TESTS:
        cells, total = "", [0, 0]
        for h in heads:
            c = s["found"][t].get(h, [0, 0])
            total = [total[0] + c[0], total[1] + c[1]]
            cells += "%15s" % ("%d/%d (%.0f%%)" % (c[1], c[0], 100.0 * c[1] / c[0]) if c[0] else "-")
        o = s["others"][t]
        small = o.get("6-10", [0, 0])
        print("  %-8s" % t + cells + "%16s %d/%d; 6-10: %d/%d" % (
            "%d/%d (%.1f%%)" % (total[1], total[0], 100.0 * total[1] / max(total[0], 1)),
            sum(v[1] for v in o.values()), sum(v[0] for v in o.values()), small[1], small[0]))
    sh = s["shared_one"]
    print("shared and twin blunders with only one of the two named: %d, %d" % (sh["shared"], sh["twin"]))
    b = s["blind"]
    print("points whose mwb exceeds 50 mm: %d of %d (%.1f %%)" % (b[0], b[1], 100.0 * b[0] / max(b[1], 1)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli", nargs="?", default=os.path.join(os.path.dirname(__file__), "..", "build", "bin", "vorida-cli"))
    parser.add_argument("--areas", type=int, default=500)
    parser.add_argument("--seed", type=int, default=19)
    parser.add_argument("--amplitude", type=float, default=50.0, help="largest distortion, millimetres (at least 5)")
    parser.add_argument("--pure-noise", action="store_true", help="no distortion: only the rule's alpha")
    parser.add_argument("-v", "--verbose", action="store_true")
    parser.add_argument("--keep", help="with -v: keep the area files of the misjudged runs in this folder")
    args = parser.parse_args()
    # Millimetres, as the docs say; each area draws its own amplitude from 5 mm up to this, so a
    # smaller value (such as 0.05 meant as metres) would silently mean 5 mm.
    if args.amplitude < 5.0:
        parser.error("--amplitude is in millimetres, at least 5 (got %g)" % args.amplitude)
    s = {"alarms": {}, "found": {t: {} for t in TESTS}, "others": {t: {} for t in TESTS},
         "named": [0, 0], "checks": [0, 0, 0, 0.0, 0.0], "blind": [0, 0],
         "shared_one": {"shared": 0, "twin": 0}}
    with tempfile.TemporaryDirectory() as work:
        for k in range(args.areas):
            # Each area and its blunders from a generator of their own, so that what one
            # area's screening prints (which mwb can be drawn on) leaves the others as they are.
            rng = random.Random("%d/%d" % (args.seed, k))
            a = Area(rng, args.amplitude / 1000.0, args.pure_noise)
            got, mwb, edge = judge(args.cli, work, a.rows)
            for key in (a.kind, bucket(a.n) + " points", a.system, a.band, "all"):
                count(s["alarms"], key, got)
            s["named"][0] += len(got)
            s["named"][1] += len(got & edge)
            s["blind"][0] += sum(1 for v in mwb.values() if v > 0.05)
            s["blind"][1] += len(mwb)
            if got:
                before = check_rms(args.cli, work, a.checks, set())
                after = check_rms(args.cli, work, a.checks, got)
                ck = s["checks"]
                ck[0] += 1
                ck[1] += after > before
                ck[2] += after > 1.1 * before
                ck[3] += before
                ck[4] += after
                if args.verbose:
                    print("area %d (%s, %d points, %.0f m, %.0f mm): false alarm %s, checks %.1f -> %.1f mm" %
                          (k, a.kind, a.n, a.size, a.amp * 1000, sorted(got), before, after))
            for t, case in blunder_cases(rng, a, mwb).items():
                moved, want = apply_case(rng, a.rows, case)
                got, _, _ = judge(args.cli, work, moved)
                count(s["found"][t], bucket(a.n), want <= got)
                count(s["others"][t], bucket(a.n), got - want)
                if t in ("shared", "twin") and len(want & got) == 1:
                    s["shared_one"][t] += 1
                if args.verbose and got != want:
                    if args.keep:
                        write_area(args.cli, args.keep, moved)
                        os.rename(os.path.join(args.keep, "a.txt"), os.path.join(args.keep, "%d-%s.txt" % (k, t.replace(" ", ""))))
                    print("area %d (%s, %d points, %.0f m): %s on %s, named %s" %
                          (k, a.kind, a.n, a.size, t, sorted(want), sorted(got)))
    report(args, s)


if __name__ == "__main__":
    main()
