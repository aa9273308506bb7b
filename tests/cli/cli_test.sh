#!/usr/bin/env bash
# Command-line cases: cli_test.sh CASE VORIDA_CLI EXAMPLES_DIR GOLDEN_DIR
# VORIDA_UPDATE_GOLDEN=1 rewrites the golden files of fit instead of comparing them.
set -u
case_name=$1 cli=$2 examples=$3 golden=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Standard output against a golden text file (line ends as the system writes them ignored).
expect_golden_output() { # golden file
    if [ "${VORIDA_UPDATE_GOLDEN:-0}" = 1 ]; then
        tr -d '\r' <"$work/out" >"$1"
    else
        tr -d '\r' <"$work/out" | diff -u "$1" - >&2 || fail "output differs from $1"
    fi
}
# A report against its golden copy, all but line 11: the date and time of the run.
expect_golden_report() { # written golden
    cmp <(sed 11d "$1") <(sed 11d "$2") || fail "$1 differs from $2 (date line aside)"
}
expect_status() { # expected, command...
    local want=$1; shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$want" ] || { cat "$work/out" "$work/err" >&2; fail "exit $got, expected $want: $*"; }
}

case $case_name in
help)
    for verb in pack dump fit convert; do
        expect_status 0 "$cli" "$verb" --help
        grep -q "Użycie: vorida-cli $verb" "$work/out" || fail "help of $verb"
    done
    expect_status 0 "$cli" --help
    ;;
usage)
    expect_status 2 "$cli"
    expect_status 2 "$cli" frobnicate
    expect_status 2 "$cli" convert --digits two
    expect_status 2 "$cli" convert --colour red
    expect_status 2 "$cli" convert --threads 0
    expect_status 2 "$cli" convert --threads many
    expect_status 2 "$cli" pack only-input.txt
    expect_status 2 "$cli" dump
    ;;
pack-dump)
    expect_status 0 "$cli" pack "$examples/TRANSPKT.txt" -o "$work/A.BIN"
    expect_status 0 "$cli" dump "$work/A.BIN"
    cp "$work/out" "$work/dumped.txt"
    expect_status 0 "$cli" pack "$work/dumped.txt" -o "$work/B.BIN"
    cmp "$work/A.BIN" "$work/B.BIN" || fail "pack, dump, pack changed bytes"
    expect_status 0 "$cli" pack "$work/dumped.txt" -o "$work/C.BIN" --area "Łódź" --system 8
    expect_status 0 "$cli" dump "$work/C.BIN"
    grep -q $'^@area\tŁódź$' "$work/out" || fail "--area"
    grep -q $'^@system\t8$' "$work/out" || fail "--system"
    printf '1 2 3 4 5\nzła linia\n' >"$work/bad.txt"
    expect_status 1 "$cli" pack "$work/bad.txt" -o "$work/D.BIN"
    grep -q "Linia 2" "$work/err" || fail "bad line not named"
    [ ! -e "$work/D.BIN" ] || fail "a bad text wrote a file"
    printf 'abc' >"$work/short.BIN"
    expect_status 1 "$cli" dump "$work/short.BIN"
    grep -q "Błąd odczytu pliku TRANSPKT.BIN" "$work/err" || fail "dump of a short file"
    ;;
fit)
    expect_status 0 "$cli" pack "$examples/TRANSPKT.txt" -o "$work/TRANSPKT.BIN"
    expect_status 0 "$cli" fit --dir "$work"
    expect_golden_output "$golden/fit-to-national.txt"
    expect_status 0 "$cli" fit --dir "$work" --to-local
    expect_golden_output "$golden/fit-to-local.txt"
    # Residuals of ten and more characters still stand apart from each other.
    printf '@system\t7\na 0 0 0 0\nb 1000 0 1000 0\nc 0 1000 0 1000\nd 1000 1000 1000 1000\ne 500 500 500 500\nP16 700 300 2000700 300\n' >"$work/wide.txt"
    expect_status 0 "$cli" pack "$work/wide.txt" -o "$work/TRANSPKT.BIN"
    expect_status 0 "$cli" fit --dir "$work"
    awk 'NR > 5 && !/^m0/ { if (NF != 4) exit 1; for (i = 2; i <= 4; ++i) if ($i !~ /^-?[0-9]+\.[0-9]$/) exit 1 }' \
        "$work/out" || { cat "$work/out" >&2; fail "residual columns run together"; }
    printf '@system\t7\np 1 2 3 4\n' >"$work/one.txt"
    expect_status 0 "$cli" pack "$work/one.txt" -o "$work/TRANSPKT.BIN"
    expect_status 1 "$cli" fit --dir "$work"
    grep -q "^m0 = -$" "$work/out" || fail "m0 of a singular fit"
    expect_status 1 "$cli" fit --dir "$work/none"
    grep -q "Błąd odczytu pliku TRANSPKT.BIN" "$work/err" || fail "missing file"
    ;;
convert)
    expect_status 0 "$cli" pack "$examples/TRANSPKT.txt" -o "$work/TRANSPKT.BIN"
    cp "$examples/xy_LOK" "$examples/xy2000" "$work/"
    expect_status 0 "$cli" convert --dir "$work"
    grep -q "^OBLICZENIA ZAKOŃCZONE" "$work/out" || fail "closing message"
    cmp "$work/xy2000.1" "$golden/to-national-2.xy2000.1" || fail "xy2000.1"
    expect_golden_report "$work/Raport.txt" "$golden/to-national-2.Raport.txt"
    expect_status 0 "$cli" convert --dir "$work" --to-local --digits 18
    cmp "$work/xy_LOK.1" "$golden/to-local-18.xy_LOK.1" || fail "xy_LOK.1"
    expect_golden_report "$work/Raport.txt" "$golden/to-local-18.Raport.txt"
    expect_status 0 "$cli" convert --dir "$work" --to-local --digits 18 --threads 3
    cmp "$work/xy_LOK.1" "$golden/to-local-18.xy_LOK.1" || fail "xy_LOK.1 on 3 threads"
    [ ! -s "$work/err" ] || fail "standard error (not a terminal) got output"
    rm "$work/xy_LOK"
    expect_status 1 "$cli" convert --dir "$work"
    grep -q "^Brak pliku wejściowego $work/xy_LOK$" "$work/err" || fail "missing input"
    [ ! -s "$work/out" ] || fail "a failure on standard output"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
