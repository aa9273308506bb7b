#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# in build-fuzz/ and runs each for SECONDS seconds (default 60), one after the other.
# Each target first runs every seed once, then explores. Exits non-zero on any failing seed or
# finding; an input found while exploring is kept in build-fuzz/findings/.
# The corpora grow in build-fuzz/corpus/ from run to run; the seeds come from examples/ and
# fuzz/seeds/ (inputs of the tests).
#
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_transpkt_bin fuzz_run fuzz_coordinate fuzz_pack_dump)

. scripts/ensure-packages.sh
vorida_ensure_only "${vorida_fuzz_packages[@]}"

build=${VORIDA_FUZZ_BUILD_DIR:-build-fuzz}
cmake --preset fuzz -B "$build" -DVORIDA_WERROR="${VORIDA_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j"${VORIDA_JOBS:-$(nproc)}" --target "${targets[@]}" vorida_sample

# Seeds: the sample area and point files (the first byte of a run input picks the direction
# and the decimals: 0x08 local to national with 2 decimals, 0x88 the other way; 0x68 also
# blocks of 4 lines on 3 workers in the second run), the words of
# the coordinate grammar, and the inputs of the tests checked in under fuzz/seeds/.
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"/{fuzz_transpkt_bin,fuzz_run,fuzz_coordinate,fuzz_pack_dump}
cp "$build/bin/TRANSPKT.BIN" "$seeds/fuzz_transpkt_bin/sample"
{ printf '\x08'; cat examples/xy_LOK; } >"$seeds/fuzz_run/xy_LOK"
{ printf '\x88'; cat examples/xy2000; } >"$seeds/fuzz_run/xy2000"
{ printf '\x68'; cat examples/xy_LOK; } >"$seeds/fuzz_run/xy_LOK-blocks-of-4"
{ cat examples/TRANSPKT.txt; printf '\x00'; } >"$seeds/fuzz_pack_dump/sample-text"
i=0
while IFS= read -r word || [ -n "$word" ]; do
    printf '%s' "$word" >"$seeds/fuzz_coordinate/word$((i += 1))"
done <fuzz/seeds/coordinate-words.txt
# fuzz/seeds/NAME/ seeds the target fuzz_NAME; a folder that names no target, or an empty one,
# stops the script rather than leaving its seeds out unseen.
for folder in fuzz/seeds/*/; do
    name=$(basename "$folder")
    if [ ! -d "$seeds/fuzz_$name" ]; then
        echo "fuzz/seeds/$name/: no target fuzz_$name" >&2
        exit 1
    fi
    cp "$folder"* "$seeds/fuzz_$name/"
done

findings="$build/findings"
mkdir -p "$findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
summary=""
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    log="$build/$target.log"
    echo "== $target: $seconds s"
    # Every seed first, each run once on its own: a known input fails the stage whatever the
    # exploration that follows happens to try.
    mapfile -d '' known < <(find "$seeds/$target" -type f -print0 | sort -z)
    if ! "$build/fuzz/$target" -timeout=20 -rss_limit_mb=2048 "${known[@]}" >"$build/$target-seeds.log" 2>&1; then
        summary+=$(printf '%-20s %6s   a seed fails (see %s)' "$target" "" "$build/$target-seeds.log")$'\n'
        status=1
        tail -40 "$build/$target-seeds.log" >&2
        continue
    fi
    if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/$target-" \
        "$corpus" "$seeds/$target" >"$log" 2>&1; then
        result=ok
    else
        result="FINDING (see $log and $findings)"
        status=1
        tail -40 "$log" >&2
    fi
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    summary+=$(printf '%-20s %6s s %12s runs  %s' "$target" "$seconds" "${execs:-?}" "$result")$'\n'
done
echo
printf '%s' "$summary"
exit $status
