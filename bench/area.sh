#!/usr/bin/env bash
# Time of the area tools on a generated area: `vorida-cli fit --loo`, `verify` and `plot`.
#
#     bench/area.sh [VORIDA-CLI]      # default build/bin/vorida-cli
#
# Generates an area of ADJUST adjustment points (default 2000), the same area with two
# blunders (30 cm on D120, 12 cm on D1333: screening takes three rounds) and CHECKS check points
# (default 100, another seed of the same generator) with bench/generate.py, runs each command
# RUNS times (default 5) and prints the median wall time with the spread (min-max). The
# leave-one-out fits run on one thread per core (THREADS sets --threads); the script checks
# that one thread gives the same output, and that --threads 8 ends normally with the same output
# when the system refuses threads (prlimit --nproc).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$(realpath "${1:-$root/build/bin/vorida-cli}")
runs=${RUNS:-5}
adjust=${ADJUST:-2000}
threads=()
[ -n "${THREADS:-}" ] && threads=(--threads "$THREADS")
checks=${CHECKS:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 "$root/bench/generate.py" adjustment "$adjust" -o "$work/area.txt"
"$cli" pack "$work/area.txt" -o "$work/TRANSPKT.BIN"
mkdir "$work/blunders"
awk -F'\t' -v OFS='\t' '$1 == "D120" { $4 = sprintf("%.3f", $4 + 0.30) }
    $1 == "D1333" { $5 = sprintf("%.3f", $5 - 0.12) } { print }' "$work/area.txt" \
    >"$work/blunders/area.txt"
"$cli" pack "$work/blunders/area.txt" -o "$work/blunders/TRANSPKT.BIN"
# Check points are no adjustment points: their own names.
python3 "$root/bench/generate.py" adjustment "$checks" --seed 77 | grep -v '^@' | sed 's/^D/K/' \
    >"$work/check.txt"

# The median wall time and the median CPU time (user + system, every thread) of RUNS runs. On
# a busy machine the wall time says little; the CPU time divided by the cores is what an idle
# machine would take.
measure() { # label, command...
    local label=$1 walls=() cpus=() i t
    shift
    for ((i = 0; i < runs; i++)); do
        t=$( { TIMEFORMAT='%R %U %S'; time "$@" >/dev/null 2>&1; } 2>&1)
        read -r wall user system <<<"$t"
        walls+=("$(awk -v w="$wall" 'BEGIN { printf "%d", w * 1000 }')")
        cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%d", (u + s) * 1000 }')")
    done
    local sw sc
    sw=($(printf '%s\n' "${walls[@]}" | sort -n))
    sc=($(printf '%s\n' "${cpus[@]}" | sort -n))
    printf '%-24s wall median %5d ms (%d-%d ms), CPU median %5d ms, %d runs\n' "$label" \
        "${sw[$((runs / 2))]}" "${sw[0]}" "${sw[$((runs - 1))]}" "${sc[$((runs / 2))]}" "$runs"
}

echo "Area: $adjust adjustment points, $checks check points; $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
"$cli" fit --loo --dir "$work" --threads 1 >"$work/one.txt"
"$cli" fit --loo --dir "$work" "${threads[@]}" >"$work/all.txt"
cmp -s "$work/one.txt" "$work/all.txt" || { echo "fit --loo differs on one thread" >&2; exit 1; }
# Threads refused (a user at the limit of their processes): fewer workers, the same output. The
# limit binds no root, so root runs the tool as nobody, from a copy nobody may read.
limited=(prlimit --nproc=2)
if [ "$(id -u)" -eq 0 ]; then
    chmod a+rx "$work" && chmod a+r "$work"/TRANSPKT.BIN
    cp "$cli" "$work/cli" && chmod a+rx "$work/cli"
    limited=(setpriv --reuid=65534 --regid=65534 --clear-groups prlimit --nproc=2 "$work/cli")
else
    limited+=("$cli")
fi
"${limited[@]}" fit --loo --dir "$work" --threads 8 >"$work/limited.txt" \
    || { echo "fit --loo --threads 8 fails when threads are refused" >&2; exit 1; }
cmp -s "$work/one.txt" "$work/limited.txt" || { echo "fit --loo differs with threads refused" >&2; exit 1; }
measure "fit --loo" "$cli" fit --loo --dir "$work" "${threads[@]}"
named=$("$cli" fit --loo --dir "$work/blunders" | tail -n 1)
[[ $named == *": D120, D1333" ]] || { echo "fit --loo does not name D120, D1333" >&2; exit 1; }
measure "fit --loo, 3 rounds" "$cli" fit --loo --dir "$work/blunders" "${threads[@]}"
measure "fit --loo --to-local" "$cli" fit --loo --dir "$work" --to-local "${threads[@]}"
measure "verify" "$cli" verify "$work/check.txt" --dir "$work"
measure "plot" "$cli" plot --dir "$work" -o "$work/area.svg" "${threads[@]}"
measure "plot --check" "$cli" plot --dir "$work" --check "$work/check.txt" -o "$work/area.svg" "${threads[@]}"
