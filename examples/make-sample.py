#!/usr/bin/env python3
"""Generate the sample area of Vorida (the text files in this folder).

Run from anywhere:  python3 examples/make-sample.py
Needs PROJ's command-line tools (Debian 12: apt-get install proj-bin), used
only here, while preparing the data; the program never needs PROJ.

The area: a town-sized patch (6 km east-west, 8 km north-south) around the
town of Żnin (Kuyavian-Pomeranian voivodeship), in the 2000 system zone 18°
(EPSG:2177; x northing ~5.85 million m, y easting ~6.48 million m).

The local system is made up for the sample: a transverse Mercator on the
Krassowsky ellipsoid, datum of the 1942 system (its usual 7-parameter shift to
ETRS89 for Poland), central meridian 17°45', origin latitude 52°50', scale 1,
false origin x = 30000 m (northing), y = 20000 m (easting).  Local coordinates
therefore run about 26000-34000 (x) and 17000-23000 (y).

Like the old town networks it stands for, the local system is not a clean
projection: its coordinates carry the network's own distortion, a smooth field
of a few centimetres (a sum of Gaussian bumps, fixed by the seed) that no cubic
follows.  A point's local coordinates are its ideal projected ones plus that
distortion; its national coordinates are PROJ's conversion of the ideal ones.
So the fit leaves centimetre residuals at the adjustment points, and
Hausbrandt's correction (the report's dl) moves converted points by up to a
few centimetres, as it does in a real area.

Every coordinate pair below comes from one PROJ operation, LOCAL_CRS to
NATIONAL_CRS, as `projinfo` chooses it (the pipeline is printed with -v).  The
operation is used in its forward direction only, so a pair (local, national)
is one truth for both directions of the conversion (PROJ's inverse of this 2D
operation differs from it by up to about 1 mm: the datum shift's height change
is dropped).

What is written (all deterministic: fixed seed, no clock):
  TRANSPKT.txt      input of `vorida-cli pack` (UTF-8): 35 adjustment points
                    on a jittered 5 x 7 grid, both systems rounded to the mm as
                    a survey would list them.  The national coordinates also
                    carry deterministic "measurement" noise (normal, sigma
                    2 mm per component, cut at 5 mm); the local ones carry
                    the network's distortion and are rounded.
  check-points.txt  10 check points (not adjustment points) inside the area:
                    local coordinates (distortion included) with 4 decimals,
                    national ones PROJ-true with 6 decimals (no noise, no
                    rounding to mm).
  xy_LOK, xy2000    sample point files (Windows-1250, CR LF): ordinary survey
                    points inside the area, none of them an adjustment point,
                    with 2 or 3 decimals, blank lines, descriptions after a
                    height, one point outside the area and one that cannot be
                    read (comma decimal).  xy2000 holds the PROJ conversions
                    of the same points, rounded to the mm.
"""

import argparse
import math
import os
import random
import subprocess
import sys

LOCAL_CRS = ("+proj=tmerc +lat_0=52.8333333333333 +lon_0=17.75 +k=1 "
             "+x_0=20000 +y_0=30000 +ellps=krass "
             "+towgs84=33.4,-146.6,-76.3,-0.359,-0.053,0.844,-0.84 "
             "+units=m +no_defs +type=crs")
# EPSG:2177 is "ETRF2000-PL / CS2000/18"; PROJ's own string for it is
#   +proj=tmerc +lat_0=0 +lon_0=18 +k=0.999923 +x_0=6500000 +y_0=0
#   +ellps=GRS80 +towgs84=0,0,0,0,0,0,0 +units=m +no_defs +type=crs
# with the axis order northing, easting.
NATIONAL_CRS = "EPSG:2177"

AREA_NAME = "Miasto Żnin – obręb Śródmieście (dane przykładowe)"
SYSTEM_CODE = 7

SEED = 2177
# The area, in local coordinates (x northing, y easting): 8 km x 6 km.
X_MIN, X_MAX = 26000.0, 34000.0
Y_MIN, Y_MAX = 17000.0, 23000.0
ROWS, COLS = 7, 5       # grid of adjustment points (x rows, y columns)
JITTER = 250.0          # metres, uniform, each component
NOISE_SIGMA = 0.002     # metres, national coordinates of adjustment points
NOISE_CUT = 0.005
BUMPS = 12              # the local network's distortion: Gaussian bumps...
BUMP_AMPLITUDE = 0.05   # metres, uniform in each component
BUMP_RADIUS = (1500.0, 3000.0)  # metres, uniform

ADJ_NAMES = [
    "1001", "1002", "1003", "P-12", "1005", "ośn.7", "1007",
    "1008", "P-15", "1010", "1011", "ośn.12", "1013", "1014",
    "Łąka-2", "1016", "P-21", "1018", "1019", "żwir.4", "1021",
    "ośn.19", "1023", "1024", "P-27", "1026", "1027", "1028",
    "śc.3", "1030", "1031", "P-33", "1033", "ośn.25", "1035",
]
assert len(ADJ_NAMES) == ROWS * COLS

HERE = os.path.dirname(os.path.abspath(__file__))


class Projector:
    """Local <-> national through one PROJ pipeline run by `cct`."""

    def __init__(self):
        self.pipeline = subprocess.run(
            ["projinfo", "-s", LOCAL_CRS, "-t", NATIONAL_CRS, "-o", "PROJ",
             "--single-line", "-q"],
            check=True, capture_output=True, text=True).stdout.strip()
        if not self.pipeline.startswith("+proj=pipeline"):
            sys.exit("projinfo gave no pipeline: " + self.pipeline)
        # The pipeline takes the local CRS in its proj-string order (easting,
        # northing) and, with EPSG:2177's axis order, gives northing, easting.

    def _cct(self, rows, inverse):
        cmd = ["cct", "-d", "8"] + (["-I"] if inverse else []) + self.pipeline.split()
        text = "".join("%.6f %.6f 0 0\n" % r for r in rows)
        out = subprocess.run(cmd, input=text, check=True, capture_output=True,
                             text=True).stdout.split("\n")
        res = [tuple(float(w) for w in line.split()[:2]) for line in out if line.strip()]
        if len(res) != len(rows):
            sys.exit("cct returned %d rows for %d" % (len(res), len(rows)))
        return res

    def to_national(self, local_pts):
        """[(lx, ly)] -> [(nx, ny)], x northing, y easting in both."""
        return self._cct([(ly, lx) for lx, ly in local_pts], inverse=False)

    def to_local(self, national_pts):
        """[(nx, ny)] -> [(lx, ly)]."""
        res = self._cct(list(national_pts), inverse=True)
        return [(lx, ly) for ly, lx in res]


def gauss(rng, sigma, cut):
    """Box-Muller from rng.random() only (stable across Python versions)."""
    while True:
        u1 = 1.0 - rng.random()
        u2 = rng.random()
        v = sigma * math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)
        if abs(v) <= cut:
            return v


class Distortion:
    """The local network's distortion: a smooth vector field of a few cm."""

    def __init__(self, rng):
        self.bumps = []
        for _ in range(BUMPS):
            cx = rng.uniform(X_MIN, X_MAX)
            cy = rng.uniform(Y_MIN, Y_MAX)
            r = rng.uniform(*BUMP_RADIUS)
            ax = rng.uniform(-BUMP_AMPLITUDE, BUMP_AMPLITUDE)
            ay = rng.uniform(-BUMP_AMPLITUDE, BUMP_AMPLITUDE)
            self.bumps.append((cx, cy, r, ax, ay))

    def __call__(self, x, y):
        """The surveyed local coordinates of the ideal ones (x, y)."""
        dx = dy = 0.0
        for cx, cy, r, ax, ay in self.bumps:
            w = math.exp(-((x - cx) ** 2 + (y - cy) ** 2) / (2.0 * r * r))
            dx += ax * w
            dy += ay * w
        return x + dx, y + dy


def fmt(v, d):
    return "%.*f" % (d, v)


def adjustment_points(rng, proj, distort):
    dx = (X_MAX - X_MIN) / (ROWS - 1)
    dy = (Y_MAX - Y_MIN) / (COLS - 1)
    ideal = []
    for r in range(ROWS):
        for c in range(COLS):
            x = X_MIN + r * dx + rng.uniform(-JITTER, JITTER)
            y = Y_MIN + c * dy + rng.uniform(-JITTER, JITTER)
            ideal.append((round(x, 3), round(y, 3)))
    local = [tuple(round(v, 3) for v in distort(x, y)) for x, y in ideal]
    national = proj.to_national(ideal)
    noisy = [(nx + gauss(rng, NOISE_SIGMA, NOISE_CUT), ny + gauss(rng, NOISE_SIGMA, NOISE_CUT))
             for nx, ny in national]
    return local, noisy


def write_transpkt(path, names, local, national):
    lines = [
        "# Vorida sample area: adjustment points for `vorida-cli pack`.",
        "# Generated by examples/make-sample.py; do not edit by hand.",
        "# One point a line: name, local x, local y, national x, national y (tab-separated);",
        "# x is the northing, y the easting, in metres. National system: 2000, zone 18 (EPSG:2177).",
        "# Local system (PROJ): " + LOCAL_CRS,
        "@area\t" + AREA_NAME,
        "@system\t%d" % SYSTEM_CODE,
        "@skipped\t0",
    ]
    for n, (lx, ly), (nx, ny) in zip(names, local, national):
        lines.append("\t".join([n, fmt(lx, 3), fmt(ly, 3), fmt(nx, 3), fmt(ny, 3)]))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def check_points(rng, proj, distort):
    names = ["K-%02d" % (i + 1) for i in range(10)]
    # Well inside the grid (not only inside the widened box).
    ideal = [(rng.uniform(X_MIN + 300, X_MAX - 300), rng.uniform(Y_MIN + 300, Y_MAX - 300))
             for _ in names]
    local = [tuple(round(v, 4) for v in distort(x, y)) for x, y in ideal]
    national = proj.to_national(ideal)
    return names, ideal, local, national


def write_check_points(path, names, local, national):
    lines = [
        "# Vorida sample area: check points (not adjustment points) for examples/accuracy.py.",
        "# Generated by examples/make-sample.py. Coordinates are PROJ-true, x northing, y easting:",
        "# local x/y exact as written (4 decimals), national x/y (EPSG:2177) converted by PROJ, 6 decimals.",
        "# Local system: " + LOCAL_CRS,
        "# name localX localY nationalX nationalY",
    ]
    for n, (lx, ly), (nx, ny) in zip(names, local, national):
        lines.append(" ".join([n, fmt(lx, 4), fmt(ly, 4), fmt(nx, 6), fmt(ny, 6)]))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


# The sample point files. Each entry: name, decimals, separator style, rest.
# Separators: " " one blank, "  " aligned columns, "\t" tabs; a leading indent
# on some lines. Rests are a height, two blanks and a description.
SAMPLE = [
    ("2001", 2, " ", ""),
    ("2002", 3, " ", "112.35  słup granit."),
    ("2003", 2, "\t", ""),
    ("ośn.101", 3, "  ", "108.92  rurka żel."),
    ("2005", 2, " ", ""),
    None,                                   # empty line
    ("2006", 3, "\t", "110.04  bolec w ścianie"),
    ("2007", 2, " ", ""),
    ("Ż-4", 2, "  ", "114.71  kamień graniczny"),
    ("2009", 3, " ", ""),
    "OUTSIDE",
    ("2010", 2, " ", "109.5  pal drewn. przy płocie"),
    " \t ",                                 # blanks and a tab only
    ("2011", 3, " ", ""),
    ("2012", 2, "\t", ""),
    "UNREADABLE",
    ("2014", 3, "  ", "111.20  słup granit."),
    ("2015", 2, " ", ""),
    None,
    ("śc.9", 3, " ", "113.08  znak na ścianie budynku"),
    ("2017", 2, " ", ""),
    ("2018", 3, "\t", ""),
    ("2019", 2, " ", "107.66  rurka żel. w chodniku"),
]


def write_point_file(path, lines):
    data = "".join(l + "\r\n" for l in lines).encode("cp1250")
    with open(path, "wb") as f:
        f.write(data)


def point_line(name, x, y, d, sep, rest, indent):
    words = [name, fmt(x, d), fmt(y, d)]
    line = (" " * indent) + sep.join(words)
    if rest:
        line += sep + rest
    return line


def sample_files(rng, proj, distort, box_local, box_national):
    pts = [e for e in SAMPLE if isinstance(e, tuple)]
    ideal = [(rng.uniform(X_MIN + 100, X_MAX - 100), rng.uniform(Y_MIN + 100, Y_MAX - 100))
             for _ in pts]
    local = [tuple(round(v, d) for v in distort(x, y)) for (x, y), (_, d, _, _) in zip(ideal, pts)]
    national = [(round(nx, 3), round(ny, 3)) for nx, ny in proj.to_national(ideal)]

    lok, nat = [], []
    i = 0
    for k, e in enumerate(SAMPLE):
        if e is None or (isinstance(e, str) and e.strip() == ""):
            blank = "" if e is None else e
            lok.append(blank)
            nat.append(blank)
        elif e == "OUTSIDE":
            # Well over 3000 m beyond the bounding box of the adjustment points.
            lok.append("2099 %s %s" % (fmt(box_local[2] + 4250.37, 2), fmt(box_local[1] + 1500.12, 2)))
            nat.append("3099 %s %s   105.00  punkt poza obszarem" %
                       (fmt(box_national[0] + 2000.25, 2), fmt(box_national[3] + 5120.44, 2)))
        elif e == "UNREADABLE":
            lok.append("2013 28456,78 19876.54  112.00  przecinek zamiast kropki")
            nat.append("2013 5856712.345 6483102,67")
        else:
            name, d, sep, rest = e
            indent = 2 if k % 5 == 4 else 0
            lx, ly = local[i]
            nx, ny = national[i]
            lok.append(point_line(name, lx, ly, d, sep, rest, indent))
            nat.append(point_line(name, nx, ny, 3, sep, rest, indent))
            i += 1
    return lok, nat


def bbox(pts):
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return min(xs), min(ys), max(xs), max(ys)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("-o", "--out", default=HERE, help="output folder (default: this script's)")
    ap.add_argument("-v", "--verbose", action="store_true", help="print the PROJ pipeline")
    args = ap.parse_args()

    AREA_NAME.encode("cp1250")              # must be representable in Windows-1250
    for n in ADJ_NAMES:
        n.encode("cp1250")

    proj = Projector()
    if args.verbose:
        print("pipeline:", proj.pipeline)
    rng = random.Random(SEED)
    distort = Distortion(rng)

    local, national = adjustment_points(rng, proj, distort)
    cnames, cideal, clocal, cnational = check_points(rng, proj, distort)

    # Self-check of axes and order: PROJ's inverse gives the local coordinates
    # back.  Not to the micrometre: the 2D operation drops the ellipsoidal
    # height that the datum shift produces (some 35 m here), so its inverse
    # starts from another 3D point and differs by up to about 1 mm.  The truth
    # used everywhere is therefore the forward direction, local -> national.
    back = proj.to_local(cnational)
    worst = max(math.hypot(a[0] - b[0], a[1] - b[1]) for a, b in zip(back, cideal))
    if args.verbose:
        print("PROJ round trip local -> national -> local: %.2f mm at most" % (worst * 1000))
    if worst > 0.003:
        sys.exit("PROJ round trip is off by %.3g m" % worst)

    lok, nat = sample_files(rng, proj, distort, bbox(local), bbox(national))

    os.makedirs(args.out, exist_ok=True)
    write_transpkt(os.path.join(args.out, "TRANSPKT.txt"), ADJ_NAMES, local, national)
    write_check_points(os.path.join(args.out, "check-points.txt"), cnames, clocal, cnational)
    write_point_file(os.path.join(args.out, "xy_LOK"), lok)
    write_point_file(os.path.join(args.out, "xy2000"), nat)

    bl, bn = bbox(local), bbox(national)
    print("adjustment points: %d, check points: %d" % (len(local), len(cnames)))
    print("local box    x %.3f..%.3f  y %.3f..%.3f" % (bl[0], bl[2], bl[1], bl[3]))
    print("national box x %.3f..%.3f  y %.3f..%.3f" % (bn[0], bn[2], bn[1], bn[3]))
    print("written to", args.out)


if __name__ == "__main__":
    main()
