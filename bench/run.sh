#!/usr/bin/env bash
# Speed and memory of a run, beside PROJ's cct on the same points.
#
# Builds Vorida in Release (with the micro-benchmarks) in its own build directory, generates the
# workload (1,000,000 points, 100 adjustment points; bench/generate.py, deterministic), then
# alternates `vorida-cli convert` (2 decimals, result file and Raport.txt; with the default
# workers, one per core, then with --threads 1 and --threads 4) with
# `cct -c 3,2 -z 0 -t 0 -d 2` applying a bare degree-3 complex polynomial (+proj=horner) to the
# same file, and prints the median wall time with its spread (min-max), the ratio of the
# medians, and the peak resident memory, at 10,000 points too. Then the micro-benchmarks of the
# Hausbrandt loop against the bare loop at P = 10, 100 and 1000.
#
# Environment: RUNS (default 5), POINTS (1000000), ADJUST (100), BENCH_BUILD_DIR (build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${RUNS:-5}
points=${POINTS:-1000000}
adjust=${ADJUST:-100}
build=${BENCH_BUILD_DIR:-build-bench}

. scripts/ensure-packages.sh
vorida_ensure_packages python3 libbenchmark-dev proj-bin time

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORIDA_BENCH=ON -DVORIDA_GUI=OFF \
    -DVORIDA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target vorida-cli vorida_bench >/dev/null
cli=$(realpath "$build/bin/vorida-cli")
bench=$(realpath "$build/bin/vorida_bench")

data=$build/bench-data
mkdir -p "$data"
make_area() { # DIR POINTS
    local dir=$1 n=$2
    mkdir -p "$dir"
    if [ ! -f "$dir/.done" ]; then
        python3 bench/generate.py adjustment "$adjust" -o "$dir/adjustment.txt"
        "$cli" pack "$dir/adjustment.txt" -o "$dir/TRANSPKT.BIN" >/dev/null
        python3 bench/generate.py points "$n" -o "$dir/xy_LOK"
        touch "$dir/.done"
    fi
}
big=$data/p${adjust}-n${points}
small=$data/p${adjust}-n10000
make_area "$big" "$points"
make_area "$small" 10000
read -r -a pipeline <<<"$(python3 bench/generate.py horner)"

# /usr/bin/time -v: "wall-seconds peak-KB cpu-seconds" of one command.
measure() {
    local log
    log=$(mktemp)
    /usr/bin/time -v "$@" >/dev/null 2>"$log"
    python3 - "$log" <<'EOF'
import re, sys
text = open(sys.argv[1]).read()
wall = re.search(r"Elapsed \(wall clock\) time \(h:mm:ss or m:ss\): (\S+)", text).group(1)
seconds = 0.0
for part in wall.split(":"):
    seconds = seconds * 60 + float(part)
rss = re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1)
cpu = float(re.search(r"User time \(seconds\): (\S+)", text).group(1)) + float(
    re.search(r"System time \(seconds\): (\S+)", text).group(1))
status = re.search(r"Exit status: (\d+)", text).group(1)
if status != "0":
    sys.exit("command failed with status " + status)
print(seconds, rss, cpu)
EOF
    rm -f "$log"
}

echo "Workload: $points points, $adjust adjustment points, 2 decimals; $runs alternating runs."
echo "Workers by default: $(nproc) cores (at most 16); also --threads 1 and --threads 4."
ours=() one=() four=() theirs=()
for ((i = 1; i <= runs; i++)); do
    ours+=("$(measure "$cli" convert --dir "$big" --digits 2)")
    one+=("$(measure "$cli" convert --dir "$big" --digits 2 --threads 1)")
    four+=("$(measure "$cli" convert --dir "$big" --digits 2 --threads 4)")
    theirs+=("$(measure cct -c 3,2 -z 0 -t 0 -d 2 -o "$big/cct.out" "${pipeline[@]}" "$big/xy_LOK")")
done
small_run=$(measure "$cli" convert --dir "$small" --digits 2)

[ "$(wc -l <"$big/xy2000.1")" -eq "$points" ] || { echo "result file incomplete" >&2; exit 1; }
[ "$(wc -l <"$big/cct.out")" -eq "$points" ] || { echo "cct output incomplete" >&2; exit 1; }

# CPU time of the calling thread (reading, writing) and of the two workers (converting).
costs=$(python3 bench/thread-costs.py "$cli" convert --dir "$big" --digits 2 --threads 2 \
    | awk 'NR == 1 { s = $2 } NR > 1 { c += $2 } END { print s, c }')

"$bench" --benchmark_filter='^BM_(HausbrandtLoop|BareLoop|ExtendedArrayLoop)/' \
    --benchmark_repetitions="$runs" --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.2 --benchmark_format=json >"$data/loops.json" 2>/dev/null

python3 - "$data/loops.json" "$costs $points" "$small_run" "${ours[@]}" -- "${one[@]}" -- "${four[@]}" -- \
    "${theirs[@]}" <<'EOF'
import json, statistics, sys
serial, convert, npoints = (float(v) for v in sys.argv[2].split())
args = sys.argv[3:]
small = args[0].split()
groups, current = [], []
for a in args[1:]:
    if a == "--":
        groups.append(current)
        current = []
    else:
        current.append(a.split())
groups.append(current)
ours, one, four, theirs = groups
def summary(rows):
    t = [float(r[0]) for r in rows]
    m = [int(r[1]) for r in rows]
    return statistics.median(t), min(t), max(t), max(m)
def cpu(rows):
    return statistics.median(float(r[2]) for r in rows)
ct, clo, chi, cm = summary(theirs)
for label, rows in (("vorida-cli convert", ours), ("  --threads 1     ", one),
                    ("  --threads 4     ", four)):
    t, lo, hi, m = summary(rows)
    print(f"{label} : median {t:.2f} s (spread {lo:.2f}-{hi:.2f} s), CPU {cpu(rows):.2f} s, "
          f"peak {m / 1024:.1f} MB, ratio to cct {t / ct:.2f}")
print(f"cct (horner deg 3) : median {ct:.2f} s (spread {clo:.2f}-{chi:.2f} s), CPU {cpu(theirs):.2f} s, "
      f"peak {cm / 1024:.1f} MB")
ot, _, _, om = summary(ours)
print(f"time ratio vorida/cct (medians), default workers: {ot / ct:.2f}")
print(f"peak memory at 10,000 points: {int(small[1]) / 1024:.1f} MB; at the large file: {om / 1024:.1f} MB")
blocks = -(-int(npoints) // 2048)
print(f"CPU per block of 2048 lines (--threads 2): calling thread (read, write) "
      f"{serial / blocks * 1000:.3f} ms, workers (convert) {convert / blocks * 1000:.3f} ms")
for cores in (2, 4, 8):
    print(f"  expected on {cores} cores: about {max(serial, (serial + convert) / cores):.2f} s "
          f"(the larger of the calling thread's {serial:.2f} s and all the work over {cores} cores)")

runs = json.load(open(sys.argv[1]))["benchmarks"]
per_pair = {}
for b in runs:
    if b.get("run_type") == "aggregate" and b.get("aggregate_name") == "median":
        name, p = b["run_name"].split("/")
        per_pair[(name, int(p))] = b["per_pair"] * 1e9
print("Hausbrandt loop per (point x adjustment point), medians (ns):")
print("     P   loop  bare  ratio   extended arrays (ratio)")
for p in (10, 100, 1000):
    loop = per_pair[("BM_HausbrandtLoop", p)]
    bare = per_pair[("BM_BareLoop", p)]
    ext = per_pair[("BM_ExtendedArrayLoop", p)]
    print(f"  {p:4d}  {loop:5.2f} {bare:5.2f}  {loop / bare:5.2f}   {ext:5.2f} ({ext / bare:.2f})")
EOF
