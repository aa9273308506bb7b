#!/usr/bin/env bash
# Command-line cases: cli_test.sh CASE VORIDA_CLI EXAMPLES_DIR GOLDEN_DIR [RUNNER...]
# RUNNER: the command a cross build runs the tool through (wine, with its settings); paths given
# to the tool are then in the Windows form, and its console's CR LF line ends count as LF.
# VORIDA_UPDATE_GOLDEN=1 rewrites the golden files of fit instead of comparing them.
set -u
case_name=$1 cli=$2 examples=$3 golden=$4
shift 4
runner=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The last command run, its exit status and time, so that a failure shows what it saw.
last=() last_status="" last_seconds=""
fail() {
    {
        echo "FAIL ($case_name): $*"
        if [ ${#last[@]} -gt 0 ]; then
            printf '  last command:'
            printf ' %q' "${last[@]}"
            printf '\n  its exit status: %s, after %s s\n' "$last_status" "$last_seconds"
            local stream name
            for stream in out err; do
                name=output
                [ $stream = err ] && name=error
                echo "  its standard $name (first 20 of $(wc -l <"$work/$stream") lines):"
                head -n 20 "$work/$stream" | sed 's/^/    | /'
            done
        fi
    } >&2
    exit 1
}
run_cli() { "${runner[@]}" "$cli" "$@"; }
# A path as the tool spells it, and the tool's separator.
if [ ${#runner[@]} -gt 0 ]; then
    native() { "${runner[@]:0:${#runner[@]}-1}" winepath -w "$1"; }
    sep='\'
else
    native() { printf '%s\n' "$1"; }
    sep=/
fi
# Standard output against a golden text file.
expect_golden_output() { # golden file
    if [ "${VORIDA_UPDATE_GOLDEN:-0}" = 1 ]; then
        cp "$work/out" "$1"
    else
        diff -u "$1" "$work/out" >&2 || fail "output differs from $1"
    fi
}
# A report against its golden copy, all but line 11: the date and time of the run.
expect_golden_report() { # written golden
    cmp -s <(sed 11d "$1") <(sed 11d "$2") && return 0
    diff -a <(sed 11d "$1") <(sed 11d "$2") | head -n 20 >&2
    fail "$1 differs from $2 (date line aside)"
}
expect_status() { # expected, arguments of the tool...
    local want=$1; shift
    last=("${runner[@]}" "$cli" "$@")
    local started=$SECONDS
    run_cli "$@" >"$work/out" 2>"$work/err"
    local got=$?
    last_status=$got last_seconds=$((SECONDS - started))
    sed -i 's/\r$//' "$work/out" "$work/err"
    [ "$got" -eq "$want" ] || fail "exit status $got, expected $want"
}

case $case_name in
help)
    for verb in pack dump fit convert verify plot; do
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
    expect_status 2 convert --threads 0
    expect_status 2 convert --threads many
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
    expect_golden_output "$golden/fit-to-national.txt"
    expect_status 0 fit --dir "$work" --to-local
    expect_golden_output "$golden/fit-to-local.txt"
    # Residuals of ten and more characters still stand apart from each other.
    printf '@system\t7\na 0 0 0 0\nb 1000 0 1000 0\nc 0 1000 0 1000\nd 1000 1000 1000 1000\ne 500 500 500 500\nP16 700 300 2000700 300\n' >"$work/wide.txt"
    expect_status 0 pack "$work/wide.txt" -o "$work/TRANSPKT.BIN"
    expect_status 0 fit --dir "$work"
    awk 'NR > 5 && !/^m0/ { if (NF != 4) exit 1; for (i = 2; i <= 4; ++i) if ($i !~ /^-?[0-9]+\.[0-9]$/) exit 1 }' \
        "$work/out" || { cat "$work/out" >&2; fail "residual columns run together"; }
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
    grep -q "^OBLICZENIA ZAKOŃCZONE" "$work/out" || fail "closing message"
    cmp "$work/xy2000.1" "$golden/to-national-2.xy2000.1" || fail "xy2000.1"
    expect_golden_report "$work/Raport.txt" "$golden/to-national-2.Raport.txt"
    expect_status 0 convert --dir "$work" --to-local --digits 18
    cmp "$work/xy_LOK.1" "$golden/to-local-18.xy_LOK.1" || fail "xy_LOK.1"
    expect_golden_report "$work/Raport.txt" "$golden/to-local-18.Raport.txt"
    expect_status 0 convert --dir "$work" --to-local --digits 18 --threads 3
    cmp "$work/xy_LOK.1" "$golden/to-local-18.xy_LOK.1" || fail "xy_LOK.1 on 3 threads"
    [ ! -s "$work/err" ] || fail "standard error (not a terminal) got output"
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
area)
    expect_status 0 pack "$examples/TRANSPKT.txt" -o "$work/TRANSPKT.BIN"
    expect_status 0 fit --loo --dir "$work"
    [ "$(grep -Ec '^ *[^ ]+( +-?[0-9]+\.[0-9]){3}$' "$work/out")" -eq 35 ] \
        || fail "a row for every adjustment point"
    grep -q "^Prawdopodobne błędy grube (v > 3 × RMS pozostałych): brak$" "$work/out" || fail "loo"
    expect_status 0 verify "$examples/check-points.txt" --dir "$work" --digits 4
    grep -q "^W obszarze (10): max 18.55 mm (K-08), RMS 9.62 mm$" "$work/out" || fail "verify"
    printf 'K1 30381.8757 22580.3131 5855989.588603 6485608.529447\nK2 1,5 2 3 4\n' >"$work/k.txt"
    expect_status 0 verify "$work/k.txt" --dir "$work" --to-local
    grep -q "^Linia 2: nieczytelny punkt kontrolny, pominięty$" "$work/err" || fail "bad line"
    expect_status 2 verify "$work/k.txt" --digits 19
    expect_status 1 verify "$work/none.txt" --dir "$work"
    expect_status 0 plot --dir "$work" --check "$examples/check-points.txt" -o "$work/a.svg"
    grep -q '</svg>' "$work/a.svg" || fail "plot"
    expect_status 2 plot --dir "$work"
    expect_status 1 plot --dir "$work" -o "$work/no/such/dir.svg"
    printf '@system\t7\na 0 0 0 0\nb 1 0 1 0\nc 0 1 0 1\nd 1 1 1 1\n' >"$work/four.txt"
    expect_status 0 pack "$work/four.txt" -o "$work/TRANSPKT.BIN"
    expect_status 1 fit --loo --dir "$work"
    grep -q "co najmniej 5 punktów" "$work/err" || fail "too few for loo"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
