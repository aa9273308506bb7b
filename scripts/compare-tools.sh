#!/usr/bin/env bash
# Runs two builds of vorida-cli over every verb and compares what they print and write:
#
#     scripts/compare-tools.sh OLD-vorida-cli NEW-vorida-cli [EXAMPLES-DIR]
#
# For a change that must keep every byte (moving code, sharing texts): each case runs in a fresh
# copy of a folder holding the sample area (examples/, or EXAMPLES-DIR: TRANSPKT.BIN, xy_LOK,
# xy2000, the check points) and a synthetic area of 300 points (bench/generate.py) with two
# blunders and check points, once with each tool; the standard output, standard error, exit
# status and every file in the folder afterwards must be the same, except the date line of a
# run's report. Prints each differing case with its diff; exit status 0 when none differs.
set -u
export LC_ALL=C
old=$(realpath "${1:-}") new=$(realpath "${2:-}")
here=$(cd "$(dirname "$0")/.." && pwd)
examples=${3:-$here/build/bin}
[ -f "$old" ] && [ -f "$new" ] || { echo "usage: $0 OLD-vorida-cli NEW-vorida-cli [DIR]" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The folder every case starts from.
base=$work/base
mkdir -p "$base"
if [ -f "$examples/TRANSPKT.BIN" ]; then
    cp "$examples/TRANSPKT.BIN" "$examples/xy_LOK" "$examples/xy2000" "$base/"
else # a build that has not laid out the sample yet: the same from examples/
    cp "$here/examples/xy_LOK" "$here/examples/xy2000" "$base/"
    "$old" pack "$here/examples/TRANSPKT.txt" -o "$base/TRANSPKT.BIN" >/dev/null 2>&1
fi
cp "$here/examples/check-points.txt" "$here/examples/TRANSPKT.txt" "$base/"
python3 "$here/bench/generate.py" adjustment 300 --seed 36 -o "$base/synth.txt"
# Two blunders on the national coordinates: 12 cm in x at D120, 6 cm in y at D33.
awk -F'\t' 'BEGIN { OFS = "\t" } $1 == "D120" { $4 += 0.12 } $1 == "D33" { $5 += 0.06 } { print }' \
    "$base/synth.txt" >"$base/synth-blunders.txt"
python3 "$here/bench/generate.py" adjustment 40 --seed 37 | grep -v '^@' >"$base/synth-checks.txt"
python3 "$here/bench/generate.py" points 500 --seed 38 -o "$base/synth-points.txt"
"$old" pack "$base/synth-blunders.txt" -o "$base/synth.bin" >/dev/null 2>&1
mkdir -p "$base/synth"
cp "$base/synth.bin" "$base/synth/TRANSPKT.BIN"
cp "$base/synth-points.txt" "$base/synth/xy_LOK"

cases=(
    "--help" "--version" "nieznane" "pack --help" "dump --help" "fit --help" "convert --help"
    "verify --help" "plot --help"
    "pack TRANSPKT.txt -o packed.bin" "pack synth-blunders.txt -o - --area Syntetyczny --system 7"
    "dump TRANSPKT.BIN" "dump synth.bin"
    "fit" "fit --to-local" "fit --exclude 1013,1019" "fit --area synth.bin"
    "fit --area synth.bin --to-local --exclude D5"
    "fit --loo" "fit --loo --to-local" "fit --loo --tolerance 10" "fit --loo --exclude 1001"
    "fit --loo --area synth.bin" "fit --loo --area synth.bin --to-local --threads 1"
    "fit --loo --area synth.bin --exclude D120" "fit --loo --area synth.bin --tolerance 200"
    "fit --loo --exclude nie-ma" "fit --tolerance 5"
    "convert --dir . --digits 18" "convert --dir . --to-local --digits 18"
    "convert --dir . --digits 2" "convert --dir . --to-local --digits 0 --threads 2"
    "convert xy_LOK -o out.txt --report raport.txt --digits 18 --verbose"
    "convert --to-local xy2000 -o - --digits 18" "convert --dir synth --digits 18"
    "convert xy_LOK --strict --digits 18 -o strict.txt"
    "verify check-points.txt" "verify check-points.txt --digits 18"
    "verify check-points.txt --to-local --digits 18" "verify check-points.txt --tolerance 15"
    "verify check-points.txt --digits 4 --tolerance 15 --exclude 1013"
    "verify synth-checks.txt --area synth.bin" "verify synth-checks.txt --area synth.bin --to-local --digits 18"
    "verify synth-checks.txt --area synth.bin --exclude D120,D33 --tolerance 5"
    "verify xy_LOK"
    "plot -o area.svg" "plot --check check-points.txt -o area.svg"
    "plot --scale 15000 --center 1013 -o area.svg" "plot -o -" "plot --exclude 1019 -o area.svg"
    "plot --area synth.bin --check synth-checks.txt -o synth.svg"
    "plot --area synth.bin --scale 5000 --center D120 --tolerance 50 -o synth.svg"
)

differing=0
for c in "${cases[@]}"; do
    for side in old new; do
        tool=$old
        [ $side = new ] && tool=$new
        rm -rf "$work/$side"
        cp -r "$base" "$work/$side"
        # shellcheck disable=SC2086 # the case's words are the arguments
        (cd "$work/$side" && "$tool" $c >"$work/$side.out" 2>"$work/$side.err"
            echo "status $?" >>"$work/$side.err")
        # The date line of a run's report (Windows-1250 "Data obliczeń") is the clock's.
        find "$work/$side" -name '*aport*' -type f -exec sed -i '/^Data oblicze/d' {} +
    done
    report=$( (diff "$work/old.out" "$work/new.out" | head -20
        diff "$work/old.err" "$work/new.err" | head -20
        diff -r "$work/old" "$work/new" | head -20) 2>&1)
    if [ -n "$report" ]; then
        differing=$((differing + 1))
        echo "DIFFERS: vorida-cli $c"
        echo "$report" | sed 's/^/    /'
    fi
done
echo "${#cases[@]} cases, $differing differing"
[ $differing -eq 0 ]
