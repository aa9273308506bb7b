#!/usr/bin/env bash
# Command-line cases: cli_test.sh CASE VORIDA_CLI EXAMPLES_DIR [RUNNER...]
# RUNNER: the command a cross build runs the tool through (wine, with its settings); paths given
# to the tool are then in the Windows form, and its console's CR LF line ends count as LF.
set -u
case_name=$1 cli=$2 examples=$3
shift 3
runner=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run_cli() { "${runner[@]}" "$cli" "$@"; }
# A path as the tool spells it, and the tool's separator.
if [ ${#runner[@]} -gt 0 ]; then
    native() { "${runner[@]:0:${#runner[@]}-1}" winepath -w "$1"; }
    sep='\'
else
    native() { printf '%s\n' "$1"; }
    sep=/
fi
expect_status() { # expected, arguments of the tool...
    local want=$1; shift
    run_cli "$@" >"$work/out" 2>"$work/err"
    local got=$?
    sed -i 's/\r$//' "$work/out" "$work/err"
    [ "$got" -eq "$want" ] || { cat "$work/out" "$work/err" >&2; fail "exit $got, expected $want: $*"; }
}

case $case_name in
help)
    for verb in pack dump fit convert; do
        expect_status 0 "$verb" --help
        grep -q "Użycie: vorida-cli $verb" "$work/out" || fail "help of $verb"
    done
    expect_status 0 --help
    ;;
usage)
    expect_status 2
    expect_status 2 frobnicate
    expect_status 2 convert --digits two
    expect_status 2 convert --colour red
    expect_status 2 pack only-input.txt
    expect_status 2 dump
    ;;
pack-dump)
    expect_status 0 pack "$examples/TRANSPKT.txt" -o "$work/A.BIN"
    expect_status 0 dump "$work/A.BIN"
    cp "$work/out" "$work/dumped.txt"
    expect_status 0 pack "$work/dumped.txt" -o "$work/B.BIN"
    cmp "$work/A.BIN" "$work/B.BIN" || fail "pack, dump, pack changed bytes"
    expect_status 0 pack "$work/dumped.txt" -o "$work/C.BIN" --area "Łódź" --system 8
    expect_status 0 dump "$work/C.BIN"
    grep -q $'^@area\tŁódź$' "$work/out" || fail "--area"
    grep -q $'^@system\t8$' "$work/out" || fail "--system"
    printf '1 2 3 4 5\nzła linia\n' >"$work/bad.txt"
    expect_status 1 pack "$work/bad.txt" -o "$work/D.BIN"
    grep -q "Linia 2" "$work/err" || fail "bad line not named"
    [ ! -e "$work/D.BIN" ] || fail "a bad text wrote a file"
    printf 'abc' >"$work/short.BIN"
    expect_status 1 dump "$work/short.BIN"
    grep -q "Błąd odczytu pliku TRANSPKT.BIN" "$work/err" || fail "dump of a short file"
    ;;
fit)
    expect_status 0 pack "$examples/TRANSPKT.txt" -o "$work/TRANSPKT.BIN"
    expect_status 0 fit --dir "$work"
    grep -q "^Układ osobliwy: nie$" "$work/out" || fail "singular"
    grep -Eq '^m0 = [0-9]+\.[0-9] mm$' "$work/out" || fail "m0"
    expect_status 0 fit --dir "$work" --to-local
    printf '@system\t7\np 1 2 3 4\n' >"$work/one.txt"
    expect_status 0 pack "$work/one.txt" -o "$work/TRANSPKT.BIN"
    expect_status 1 fit --dir "$work"
    grep -q "^m0 = -$" "$work/out" || fail "m0 of a singular fit"
    expect_status 1 fit --dir "$work/none"
    grep -q "Błąd odczytu pliku TRANSPKT.BIN" "$work/err" || fail "missing file"
    ;;
convert)
    expect_status 0 pack "$examples/TRANSPKT.txt" -o "$work/TRANSPKT.BIN"
    cp "$examples/xy_LOK" "$examples/xy2000" "$work/"
    expect_status 0 convert --dir "$work"
    grep -q "^OBLICZENIA ZAKOŃCZONE$" "$work/out" || fail "closing message"
    [ -s "$work/xy2000.1" ] && [ -s "$work/Raport.txt" ] || fail "no output"
    [ "$(wc -l <"$work/xy2000.1")" -eq "$(wc -l <"$work/xy_LOK")" ] || fail "a line for every line"
    expect_status 0 convert --dir "$work" --to-local --digits 3
    [ -s "$work/xy_LOK.1" ] || fail "no xy_LOK.1"
    rm "$work/xy_LOK"
    dir=$(native "$work")
    expect_status 1 convert --dir "$dir"
    grep -qxF "Brak pliku wejściowego $dir${sep}xy_LOK" "$work/err" || fail "missing input"
    [ ! -s "$work/out" ] || fail "a failure on standard output"
    # A folder with Polish letters; the date line in the user's Polish formats.
    polish="$work/Łódź"
    mkdir "$polish"
    cp "$examples/xy_LOK" "$work/TRANSPKT.BIN" "$polish/"
    LANG=pl_PL.UTF-8 LC_ALL=pl_PL.UTF-8 expect_status 0 convert --dir "$(native "$polish")"
    [ -s "$polish/xy2000.1" ] || fail "no result in a folder named Łódź"
    LC_ALL=C grep -Eaq $'^Data oblicze\xf1  : [0-9]{1,2}\\.[0-9]{2}\\.[0-9]{4}( [0-9]{1,2}:[0-9]{2}:[0-9]{2})?\r$' \
        "$polish/Raport.txt" || fail "date line: $(grep -a '^Data' "$polish/Raport.txt")"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
