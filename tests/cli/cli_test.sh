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
# @full first: standard output onto a full disk.
run_cli() {
    if [ "${1:-}" = @full ]; then
        shift
        "${runner[@]}" "$cli" "$@" >/dev/full
    else
        "${runner[@]}" "$cli" "$@"
    fi
}
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
    # Windows: --dir "C:\Pomiary\" --to-local reaches the program as one argument holding a quote.
    if [ ${#runner[@]} -gt 0 ]; then
        expect_status 2 convert --dir 'C:\Pomiary" --to-local --digits 3'
        grep -q '^Opcja --dir: C:\\Pomiary" --to-local --digits 3$' "$work/err" \
            && grep -q "ukośnik odwrotny tuż" "$work/err" || fail "a quote swallowed"
    fi
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
    grep -q "^Błąd odczytu pliku .*short.BIN: uszkodzony" "$work/err" || fail "dump of a short file"
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
    grep -q "^Za mało punktów dostosowania" "$work/err" || fail "one point refused as the run does"
    expect_status 1 fit --dir "$work/none"
    grep -q "^Błąd odczytu pliku .*none.TRANSPKT.BIN: nie ma takiego pliku" "$work/err" \
        || fail "missing file"
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
    # Standard error (not a terminal) holds the warning about 18 decimals only.
    [ "$(grep -vc '^Uwaga: 18 miejsc' "$work/err")" -eq 0 ] || fail "standard error got output"
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
    [ "$(grep -Ec '^ *[^ ]+( +-?[0-9]+\.[0-9]){4}( |$)' "$work/out")" -eq 35 ] \
        || fail "a row for every adjustment point"
    grep -q "^Prawdopodobne błędy grube (.*): brak$" "$work/out" || fail "loo"
    grep -q "^ *1035 .* ekstrapolacja$" "$work/out" || fail "an edge point labelled"
    # A 10 cm blunder and a 50 cm one: both named, the larger first; excluded, neither.
    awk -F'\t' -v OFS='\t' '$1 == "1013" { $4 = sprintf("%.3f", $4 + 0.1) }
        $1 == "1019" { $5 = sprintf("%.3f", $5 + 0.5) } { print }' \
        "$examples/TRANSPKT.txt" >"$work/bad.txt"
    mkdir -p "$work/BAD"
    expect_status 0 pack "$work/bad.txt" -o "$work/BAD/TRANSPKT.BIN"
    expect_status 0 fit --loo --dir "$work/BAD" --threads 2
    [ "$(tail -n 1 "$work/out" | sed 's/.*): //')" = "1019, 1013" ] || fail "two blunders"
    grep -q "^Runda 3: bez 1019, 1013$" "$work/out" || fail "rounds"
    expect_status 0 fit --loo --dir "$work/BAD" --exclude 1019,1013
    tail -n 1 "$work/out" | grep -q "): brak$" || fail "--exclude"
    grep -q "^RMS v = .* mm (33 punkty)$" "$work/out" || fail "33 punkty: $(grep '^RMS' "$work/out")"
    expect_status 0 fit --loo --dir "$work/BAD" --tolerance=200
    [ "$(tail -n 1 "$work/out" | sed 's/.*): //')" = "1019" ] || fail "--tolerance"
    expect_status 2 fit --loo --dir "$work/BAD" --exclude nosuch
    expect_status 2 fit --loo --dir "$work/BAD" --tolerance -1
    expect_status 0 verify "$examples/check-points.txt" --dir "$work" --digits 4
    grep -q "^W obszarze (10): max 18.55 mm (K-08), RMS 9.62 mm$" "$work/out" || fail "verify"
    printf 'K1 30381.8757 22580.3131 5855989.588603 6485608.529447\nK2 1,5 2 3 4\n' >"$work/k.txt"
    expect_status 0 verify "$work/k.txt" --dir "$work" --to-local
    grep -q "^Linia 2: nieczytelny punkt kontrolny, pominięty$" "$work/err" || fail "bad line"
    expect_status 0 verify "$examples/check-points.txt" --dir "$work" --digits 4 --tolerance 20
    expect_status 3 verify "$examples/check-points.txt" --dir "$work" --digits 4 --tolerance 18.5
    grep -q "^Tolerancja 18.5 mm: przekroczona: K-08$" "$work/out" || fail "verify --tolerance"
    printf '\xc5\xbbabiniec-1 30381.8757 22580.3131 5855989.588603 6485608.529447\n1013 1 2 3 4\n' >"$work/u.txt"
    expect_status 0 verify "$work/u.txt" --dir "$work"
    grep -q "^ *Żabiniec-1 " "$work/out" || fail "a UTF-8 check file"
    grep -q "punkt kontrolny 1013 (linia 2) jest też punktem dostosowania" "$work/err" \
        || fail "a check point that is an adjustment point"
    expect_status 2 verify "$work/k.txt" --digits 19
    expect_status 1 verify "$work/none.txt" --dir "$work"
    expect_status 0 plot --dir "$work" --check "$examples/check-points.txt" -o "$work/a.svg"
    grep -q '</svg>' "$work/a.svg" || fail "plot"
    expect_status 0 plot --dir "$work" --scale 20000 --exclude 1035 -o "$work/b.svg"
    grep -q "skala mapy 1:20 000" "$work/out" || fail "plot --scale"
    grep -q '>1035<' "$work/b.svg" && fail "plot --exclude"
    expect_status 2 plot --dir "$work" --scale 0 -o "$work/b.svg"
    expect_status 2 plot --dir "$work"
    expect_status 1 plot --dir "$work" -o "$work/no/such/dir.svg"
    printf '@system\t7\na 0 0 0 0\nb 1 0 1 0\nc 0 1 0 1\nd 1 1 1 1\n' >"$work/four.txt"
    expect_status 0 pack "$work/four.txt" -o "$work/TRANSPKT.BIN"
    expect_status 1 fit --loo --dir "$work"
    grep -q "co najmniej 5 punktów" "$work/err" || fail "too few for loo"
    ;;
refusals)
    # Every verb refuses what the run refuses, with the run's words: an empty area, and one of
    # three points.
    printf 'p 0.5 0.5\n' >"$work/in.txt"
    printf 'k 0.5 0.5 0.5 0.5\n' >"$work/k.txt"
    printf '@system\t7\n' >"$work/empty.txt"
    printf '@system\t7\na 0 0 0 0\nb 1 0 1 0\nc 0 1 0 1\n' >"$work/three.txt"
    # pack writes no area file without points: an empty one as another program may leave it.
    expect_status 1 pack "$work/empty.txt" -o "$work/empty.bin"
    grep -q 'brak punktów dostosowania; plik obszaru nie został zapisany\.$' "$work/err" \
        || fail "pack of no points"
    [ ! -e "$work/empty.bin" ] || fail "pack of no points wrote a file"
    printf '\0\0\0\0\0\0\0\0\7\0\0\0\0\0\0\0' >"$work/empty.bin"
    for area in empty three; do
        [ $area = empty ] || expect_status 0 pack "$work/$area.txt" -o "$work/$area.bin"
        expect_status 1 convert "$work/in.txt" --area "$work/$area.bin"
        # The first line: under wine a failing program's status line follows it.
        head -n 1 "$work/err" >"$work/refusal"
        grep -q 'Przeliczenie nie zostało wykonane\.$' "$work/refusal" || fail "$area: convert"
        # An area file of another name is named as it is.
        [ $area = three ] || grep -q "(plik .*empty\.bin)" "$work/refusal" || fail "$area: named"
        for verb in "fit" "fit --loo" "verify $work/k.txt" "plot -o $work/x.svg"; do
            # shellcheck disable=SC2086 # the verb's words
            expect_status 1 $verb --area "$work/$area.bin"
            head -n 1 "$work/err" | cmp -s "$work/refusal" - || fail "$area: $verb refuses otherwise"
        done
    done
    ;;
files)
    # Free files: the bytes of the run on the program's fixed names, in both directions, on one
    # worker and several, named files, "-" and a pipe; the report but for its date line.
    expect_status 0 pack "$examples/TRANSPKT.txt" -o "$work/TRANSPKT.BIN"
    cp "$examples/xy_LOK" "$examples/xy2000" "$work/"
    cd "$work"
    for direction in "xy_LOK xy2000.1" "xy2000 xy_LOK.1 --to-local"; do
        read -r in fixed flag <<<"$direction"
        expect_status 0 convert --dir . $flag --digits 3
        mv "$fixed" fixed.1 && mv Raport.txt fixed.txt
        for threads in 1 3; do
            # how the tool is called # the result # the report (- : none)
            while IFS='#' read -r how result report; do
                rm -f named.1 named.txt piped.1
                eval "$how" || fail "$how: exit $?"
                cmp "$result" fixed.1 || fail "$how: result differs ($in, $threads workers)"
                [ "$report" = - ] || expect_golden_report fixed.txt "$report"
            done <<EOF2
run_cli convert $in -o named.1 --report named.txt $flag --digits 3 --threads $threads >out 2>err#named.1#named.txt
run_cli convert - $flag --digits=3 --threads=$threads <$in >piped.1 2>err#piped.1#-
cat $in | run_cli convert - -o - $flag --digits 3 --threads $threads 2>err | cat >piped.1#piped.1#-
EOF2
            # The closing message on standard error when the result is on standard output.
            grep -q "^OBLICZENIA ZAKOŃCZONE" err || fail "closing message of a piped run"
        done
    done
    [ ! -e Raport.txt ] || fail "a report written without --report"
    # Several inputs: each to its own file in the folder of -o; reports likewise.
    mkdir results
    expect_status 0 convert xy_LOK ./xy2000 -o results --report results --digits 3
    cmp results/xy_LOK.1 <(run_cli convert xy_LOK --digits 3 2>/dev/null) || fail "several inputs"
    [ -s results/xy2000.Raport.txt ] || fail "report of the second input"
    expect_status 2 convert xy_LOK xy2000 -o named.1
    # An output that is the input is refused and leaves the input whole.
    cp xy_LOK same && expect_status 2 convert same -o same
    grep -q "to plik wejściowy" "$work/err" && cmp same xy_LOK || fail "an output that is the input"
    expect_status 1 convert none -o named.1
    grep -q "^Brak pliku wejściowego none" "$work/err" || fail "missing input"
    # --strict: exit 3 after writing everything; defective lines listed with --strict or
    # --verbose only.
    expect_status 0 convert xy_LOK -o plain.1
    ! grep -q "^Linia" "$work/err" || fail "defects listed without --strict"
    expect_status 3 convert xy_LOK -o strict.1 --strict
    cmp plain.1 strict.1 || fail "--strict changed the result"
    [ "$(grep '^Linia' "$work/err")" = $'Linia 11: punkt poza obszarem\nLinia 16: punkt nieczytelny' ] \
        || fail "defective lines: $(cat "$work/err")"
    expect_status 0 convert xy_LOK -o verbose.1 --verbose
    grep -q "^Linia 16: punkt nieczytelny" "$work/err" || fail "--verbose"
    # With several inputs the defective lines name their file.
    mkdir several
    head -3 xy_LOK >good3
    expect_status 0 convert xy_LOK good3 -o several --verbose
    grep -q "^xy_LOK:16: punkt nieczytelny" "$work/err" || fail "--verbose, several inputs"
    # A named pipe is read as a stream, like "-".
    if [ ${#runner[@]} -eq 0 ]; then
        mkfifo pipe
        cat xy_LOK >pipe &
        expect_status 0 convert pipe -o fifo.1
        cmp fifo.1 plain.1 || fail "a FIFO as the input"
        expect_status 0 convert <(cat xy_LOK) -o substituted.1
        cmp substituted.1 plain.1 || fail "process substitution as the input"
    fi
    # A folder as the input, or as an output, is named as such.
    expect_status 1 convert several -o x.1
    grep -q "^Nie można odczytać pliku several: jest katalogiem" "$work/err" || fail "a folder as the input"
    expect_status 1 convert xy_LOK -o several.1 --report several
    grep -q "^Nie można zapisać pliku several: jest katalogiem" "$work/err" || fail "a folder as the report"
    [ ! -e several.1 ] || fail "a result written beside a failed report"
    head -3 xy_LOK >good
    expect_status 0 convert good -o good.1 --strict
    # Decimals outside the window's range: allowed, with a warning.
    expect_status 0 convert xy_LOK -o wide.1 --digits 7
    grep -q "^Uwaga: 7 miejsc" "$work/err" || fail "no warning for 7 decimals"
    ;;
conventions)
    cd "$work"
    # --version: the one version of the build, also in the report's credit line.
    expect_status 0 --version
    grep -Eqx 'vorida-cli [0-9]+\.[0-9]+' "$work/out" || fail "--version: $(cat "$work/out")"
    version=$(sed 's/^vorida-cli //' "$work/out")
    expect_status 0 dump --version
    [ "$(cat "$work/out")" = "vorida-cli $version" ] || fail "dump --version"
    # --opt=value as --opt value; "-" for the files of every verb.
    expect_status 0 pack - -o - --area=Podany --system=7 <"$examples/TRANSPKT.txt"
    expect_status 0 pack "$examples/TRANSPKT.txt" -o podany.bin --area Podany --system 7
    run_cli pack - -o - --area=Podany --system=7 <"$examples/TRANSPKT.txt" >piped.bin
    cmp piped.bin podany.bin || fail "pack - -o -"
    expect_status 0 dump podany.bin && mv out dumped
    expect_status 0 dump - <podany.bin
    cmp out dumped || fail "dump -"
    expect_status 0 verify "$examples/check-points.txt" --area podany.bin --digits=4
    mv out verified
    expect_status 0 verify - --area=podany.bin --digits 4 <"$examples/check-points.txt"
    cmp out verified || fail "verify -"
    grep -q "^Obszar: Podany$" out || fail "verify --area"
    run_cli plot --area=podany.bin -o - >picture.svg 2>err || fail "plot -o -"
    grep -q '</svg>' picture.svg && grep -q '^Zapisano' err || fail "plot -o -: svg or summary"
    expect_status 2 convert xy_LOK --strict=yes
    # The area file: --area, else TRANSPKT.BIN in the working directory, else beside the
    # executable; the one looked up is named on standard error.
    mkdir bin here
    cp "$cli" bin/
    here_cli() { "${runner[@]}" "$work/bin/$(basename "$cli")" "$@" >"$work/out" 2>"$work/err"; }
    run_cli pack "$examples/TRANSPKT.txt" -o bin/TRANSPKT.BIN --area Obok >/dev/null
    run_cli pack "$examples/TRANSPKT.txt" -o here/TRANSPKT.BIN --area Tutaj >/dev/null
    cp "$examples/xy_LOK" here/
    cd here
    here_cli convert xy_LOK --report r.txt --area ../podany.bin || fail "--area"
    grep -q "^OBSZAR: Podany" r.txt && ! grep -q "Plik obszaru" "$work/err" || fail "--area used"
    here_cli convert xy_LOK --report r.txt || fail "working directory"
    grep -q "^OBSZAR: Tutaj" r.txt || fail "the working directory's area"
    grep -q "^Plik obszaru: .*TRANSPKT.BIN" "$work/err" || fail "the area file not named"
    rm TRANSPKT.BIN
    here_cli convert xy_LOK --report r.txt || fail "beside the executable"
    grep -q "^OBSZAR: Obok" r.txt || fail "the area beside the executable"
    grep -q "^Plik obszaru: .*bin.TRANSPKT.BIN" "$work/err" || fail "the area beside not named"
    here_cli fit || fail "fit beside the executable"
    grep -q "^Obszar: Obok" "$work/out" || fail "fit: the area beside the executable"
    ;;
utf8)
    # A UTF-8 point file (Notepad's default), with and without the byte-order mark, from a file
    # and from standard input: the result file is the UTF-8 form of the Windows-1250 input's,
    # names padded by characters; the report is the Windows-1250 input's.
    cd "$work" || fail "cd $work"
    expect_status 0 pack "$examples/TRANSPKT.txt" -o TRANSPKT.BIN
    iconv -f CP1250 -t UTF-8 "$examples/xy_LOK" >plain || fail "iconv"
    iconv -f CP1250 -t UTF-8 "$golden/to-national-2.xy2000.1" >plain.want || fail "iconv"
    { printf '\xEF\xBB\xBF' && cat plain; } >marked
    { printf '\xEF\xBB\xBF' && cat plain.want; } >marked.want
    cp "$golden/utf8-names.xy_LOK" names
    cp "$golden/utf8-names.xy2000.1" names.want
    for input in plain marked names; do
        report="$golden/to-national-2.Raport.txt"
        [ $input = names ] && report="$golden/utf8-names.Raport.txt"
        expect_status 0 convert $input -o $input.1 --report $input.txt --area TRANSPKT.BIN
        cmp $input.1 $input.want || fail "$input: result file"
        expect_golden_report $input.txt "$report"
        run_cli convert - --area TRANSPKT.BIN --threads 2 <$input >piped.1 2>err \
            || fail "$input: from standard input"
        cmp piped.1 $input.want || fail "$input: result from standard input"
    done
    ;;
outputs)
    # Every verb against outputs that are inputs (by another spelling, by a link), outputs that
    # collide, links, devices and a full disk: the status, the message, and every other file
    # byte for byte as it was.
    cd "$work"
    run_cli pack "$examples/TRANSPKT.txt" -o T.BIN >/dev/null 2>&1 || fail "pack"
    cp "$examples/TRANSPKT.txt" T.txt
    cp "$examples/xy_LOK" p
    cp "$examples/check-points.txt" k.txt
    mkdir sub results
    printf 'old\r\n' >old.1
    native_only=1
    [ ${#runner[@]} -eq 0 ] || native_only=0
    if [ $native_only = 1 ]; then
        ln -s T.BIN T.link
        ln -s p p.link
        ln -s old.1 old.link
    fi
    # The state of the folder: every name, its kind, a link's target and a file's bytes.
    state() { find . -path ./out -prune -o -path ./err -prune -o -print0 | sort -z |
        while IFS= read -r -d '' f; do
            if [ -L "$f" ]; then printf '%s -> %s\n' "$f" "$(readlink "$f")"
            elif [ -f "$f" ]; then printf '%s %s\n' "$f" "$(cksum <"$f")"
            else printf '%s %s\n' "$f" "$(stat -c %F "$f")"; fi
        done; }
    # status # what standard error holds # the files it may change (blank: none) # native only # arguments
    while IFS='#' read -r want message changes only args; do
        [ -z "$want" ] && continue
        [ "$only" = n ] && [ $native_only = 0 ] && continue
        before=$(state)
        # shellcheck disable=SC2086 # the row's words
        eval "expect_status $want $args"
        [ -z "$message" ] || grep -q -- "$message" "$work/err" \
            || fail "$args: no \"$message\" in: $(cat "$work/err")"
        after=$(state)
        for changed in $changes; do
            before=$(grep -v "^\\./$changed[ ]" <<<"$before")
            after=$(grep -v "^\\./$changed[ ]" <<<"$after")
        done
        [ "$before" = "$after" ] || fail "$args changed files: $(diff <(echo "$before") <(echo "$after"))"
        [ "$(find . -name '*.tmp')" = "" ] || fail "$args left a temporary file"
    done <<'ROWS'
2#to plik wejściowy T.txt##-#pack T.txt -o T.txt
2#to plik wejściowy sub.\.\..T.txt##-#pack sub/../T.txt -o ./T.txt
2#to plik wejściowy T.link##n#plot --area T.link -o T.BIN
2#to plik wejściowy T.BIN##-#plot --area T.BIN -o ./T.BIN
2#to plik wejściowy k.txt##-#plot --area T.BIN --check k.txt -o k.txt
2#to plik wejściowy p##-#convert p -o ./p --area T.BIN
2#to plik wejściowy p##-#convert p -o r.1 --report sub/../p --area T.BIN
2#to plik wejściowy p.link##n#convert p.link -o p --area T.BIN
2#to plik wejściowy T.BIN##-#convert p -o T.BIN --area T.BIN
2#to plik wejściowy p.1##-#convert p p.1 --area T.BIN
2#to plik wejściowy p.1##-#convert k.txt p p.1 -o . --area T.BIN
2#to ten sam plik##-#convert p -o r.1 --report ./r.1 --area T.BIN
2#to ten sam plik##-#convert p -o - --report - --area T.BIN
0##old.1 #n#convert p -o old.link --area T.BIN; [ -L old.link ] && cmp old.1 <(run_cli convert p --area T.BIN 2>/dev/null) || fail "a link replaced"
0##B.BIN #n#pack T.txt -o B.BIN && ln -sf B.BIN B.link && run_cli pack T.txt -o B.link --area Nowy && [ -L B.link ] || fail "a link replaced"; rm -f B.link
0###n#pack T.txt -o /dev/null; [ -c /dev/null ] || fail "/dev/null replaced"
0###n#plot --area T.BIN -o /dev/null
0###n#convert p -o /dev/null --report /dev/null --area T.BIN
1#Nie można zapisać pliku /dev/full: brak miejsca na dysku##n#pack T.txt -o /dev/full
1#Nie można zapisać pliku /dev/full: brak miejsca na dysku##n#plot --area T.BIN -o /dev/full
1#Nie można zapisać pliku /dev/full: brak miejsca na dysku##n#convert p -o old.1 --report /dev/full --area T.BIN
1#Nie można zapisać pliku /dev/full: brak miejsca na dysku##n#convert p -o r.1 --report /dev/full --area T.BIN
1#standardowe wyjście: brak miejsca na dysku##n#@full pack T.txt -o -
1#standardowe wyjście: brak miejsca na dysku##n#@full dump T.BIN
1#standardowe wyjście: brak miejsca na dysku##n#@full fit --area T.BIN
1#standardowe wyjście: brak miejsca na dysku##n#@full fit --loo --area T.BIN
1#standardowe wyjście: brak miejsca na dysku##n#@full verify k.txt --area T.BIN --tolerance 15
1#standardowe wyjście: brak miejsca na dysku##n#@full plot --area T.BIN -o -
1#standardowe wyjście: brak miejsca na dysku##n#@full convert p --area T.BIN
1#standardowe wyjście: brak miejsca na dysku#r.1 #n#@full convert p -o r.1 --area T.BIN
ROWS
    # A reader that closes the pipe early ends the tool quietly.
    if [ $native_only = 1 ]; then
        run_cli dump T.BIN 2>err | head -n 1 >/dev/null
        [ ! -s err ] || fail "| head: $(cat err)"
    fi
    ;;
keeping)
    # Every writer against a target that is more than its bytes: write-protected, with a second
    # hard link, a link, a dangling link, an ACL entry, another owner, an empty name. Compared:
    # the status, the message, the bytes, the inode, the mode, the owner, the ACL and the links.
    cd "$work"
    run_cli pack "$examples/TRANSPKT.txt" -o T.BIN >/dev/null 2>&1 || fail "pack"
    cp "$examples/TRANSPKT.txt" T.txt
    cp "$examples/xy_LOK" p
    # On every system (on Windows through ReplaceFileW): an existing result replaced byte for
    # byte, a write-protected one (the read-only attribute) refused.
    printf 'old\r\n' >r.1
    expect_status 0 convert p --area T.BIN -o r.1
    cmp -s r.1 "$golden/to-national-2.xy2000.1" || fail "an existing result replaced otherwise"
    printf 'old\r\n' >ro.1
    chmod 444 ro.1
    expect_status 1 convert p --area T.BIN -o ro.1
    grep -q "^Nie można zapisać pliku ro.1: plik tylko do odczytu$" err || fail "read-only: $(cat err)"
    [ "$(cat ro.1)" = $'old\r' ] || fail "a read-only result written"
    [ -z "$(find . -name '*.tmp')" ] || fail "left $(find . -name '*.tmp')"
    [ ${#runner[@]} -eq 0 ] || exit 0
    mkdir d
    cp T.BIN d/TRANSPKT.BIN
    cp p d/xy_LOK
    acl=0
    command -v setfacl >/dev/null && setfacl -m u:65534:rw p 2>/dev/null && acl=1
    setfacl -b p 2>/dev/null
    # A link to the area file planted at the output while the tool waits on a FIFO input: it is
    # caught as the output is written, and the area file stays.
    cp T.BIN T.orig
    cp "$examples/check-points.txt" k.txt
    mkfifo fifo
    for verb in convert plot; do
        printf 'old\r\n' >planted
        if [ $verb = convert ]; then
            "$cli" convert fifo --area T.BIN -o planted >out 2>err &
            feed=p
        else
            "$cli" plot --area T.BIN --check fifo -o planted >out 2>err &
            feed=k.txt
        fi
        pid=$!
        exec 3>fifo # returns once the tool has opened its input
        rm planted
        ln -s T.BIN planted
        cat $feed >&3
        exec 3>&-
        wait $pid
        status=$?
        [ $status -ne 0 ] || fail "$verb: the planted link written through"
        grep -q "to plik wejściowy .*T.BIN" err || fail "$verb, planted link: $(cat err)"
        cmp -s T.BIN T.orig || fail "$verb: the area file overwritten"
        rm planted
    done
    rm fifo
    # writer # target # arguments, OUT standing for the target
    writers='convert#w/r.txt#convert p --area T.BIN -o OUT
report#w/r.txt#convert p --area T.BIN -o w/other.1 --report OUT
dir-result#d/xy2000.1#convert --dir d
dir-report#d/Raport.txt#convert --dir d
pack#w/r.bin#pack T.txt -o OUT
plot#w/r.svg#plot --area T.BIN -o OUT'
    # What a file is: its inode, mode, owner, links and ACL (not its bytes).
    identity() { stat -c '%i %a %U %h' "$1"; [ $acl = 0 ] || getfacl -cp "$1" 2>/dev/null; }
    # The words of args with OUT replaced by the target, each ended by a zero byte.
    with_target() { local a; for a in $args; do
        if [ "$a" = OUT ]; then printf '%s\0' "$1"; else printf '%s\0' "$a"; fi; done; }
    while IFS='#' read -r writer target args; do
        for kind in protected hard link dangling dangling-here acl owner; do
            [ $kind = acl ] && [ $acl = 0 ] && continue
            [ $kind = owner ] && [ "$(id -u)" != 0 ] && continue
            rm -rf w d/xy2000.1 d/Raport.txt made.txt
            mkdir w
            file=$target
            case $kind in
            protected) printf 'old\r\n' >"$file"; chmod 444 "$file" ;;
            hard) printf 'old\r\n' >"$file"; ln "$file" w/second ;;
            link) printf 'old\r\n' >made.txt; ln -s "$PWD/made.txt" "$file"; file=made.txt ;;
            dangling) ln -s "$PWD/missing/x" "$file" ;;
            dangling-here) ln -s "$PWD/made.txt" "$file"; file=made.txt ;;
            acl) printf 'old\r\n' >"$file"; chmod 640 "$file"; setfacl -m u:65534:rw "$file" ;;
            owner) printf 'old\r\n' >"$file"; chmod 640 "$file"; chown 65534 "$file" ;;
            esac
            before=$( [ -e "$file" ] && identity "$file")
            want=0
            [ $kind = protected ] || [ $kind = dangling ] && want=1
            mapfile -d '' words < <(with_target "$target")
            expect_status $want "${words[@]}"
            where="$writer, $kind"
            case $kind in
            protected)
                grep -q ": plik tylko do odczytu$" err || fail "$where: $(cat err)"
                [ "$(cat "$file")" = $'old\r' ] || fail "$where: bytes changed" ;;
            dangling)
                grep -q "łącze symboliczne wskazuje na $PWD/missing/x, a jego katalogu nie ma$" err \
                    || fail "$where: $(cat err)" ;;
            *)
                [ "$(cat "$file")" != $'old\r' ] || fail "$where: not written" ;;
            esac
            case $kind in
            hard) cmp -s "$file" w/second || fail "$where: the second link keeps the old bytes" ;;
            link | dangling*) [ -L "$target" ] || fail "$where: the link replaced" ;;
            esac
            # Rewritten in place where a rename would lose what the file is.
            case $kind in
            protected | hard | acl | owner)
                [ "$(identity "$file")" = "$before" ] || fail "$where: $before became $(identity "$file")" ;;
            esac
            [ -z "$(find . -name '*.tmp' -o -name '*.old')" ] || fail "$where: left $(find . -name '*.tmp' -o -name '*.old')"
        done
        # An empty name is wrong usage.
        if [ "${writer#dir-}" != "$writer" ]; then
            expect_status 2 convert --dir ""
        else
            mapfile -d '' words < <(with_target "")
            expect_status 2 "${words[@]}"
        fi
        grep -q "pusta nazwa" err || fail "$writer, empty name: $(cat err)"
    done <<<"$writers"
    ;;
interrupt)
    # Ctrl+C in the middle of a large conversion: the earlier result stays as it was and no
    # temporary file is left. (Under wine the signal would reach wine, not the program.)
    [ ${#runner[@]} -eq 0 ] || exit 0
    cd "$work"
    run_cli pack "$examples/TRANSPKT.txt" -o T.BIN >/dev/null 2>&1 || fail "pack"
    awk 'BEGIN { for (i = 0; i < 1500000; ++i) printf "P%d %.3f %.3f\r\n", i, 26000 + (i % 9000), 17000 + (i % 7000) }' >big
    printf 'earlier result\r\n' >big.1
    cp big.1 earlier.1
    # Every signal that ends the tool: SIGKILL leaves its temporary file, which the next write
    # of the target removes, its process being gone.
    for signal in INT TERM HUP QUIT PIPE USR1 XFSZ KILL; do
        last=(convert big -o big.1 --area T.BIN --threads 1)
        # A background job of a script starts with Ctrl+C and SIGQUIT ignored; a terminal's
        # job does not.
        env --default-signal=INT,QUIT "${runner[@]}" "$cli" convert big -o big.1 --area T.BIN --threads 1 >out 2>err &
        pid=$!
        for _ in $(seq 200); do
            tmp=$(find . -name '.big.1.*.tmp' -size +100k)
            [ -n "$tmp" ] && break
            sleep 0.05
        done
        [ -n "$tmp" ] || fail "no temporary file beside the result while converting"
        kill -$signal $pid
        wait $pid
        status=$?
        [ $status -eq $((128 + $(kill -l $signal))) ] || fail "SIG$signal: the run ended with status $status, not by its signal"
        cmp big.1 earlier.1 || fail "SIG$signal: the earlier result changed"
        if [ $signal = KILL ]; then
            [ -n "$(find . -name '*.tmp')" ] || fail "SIGKILL removed its temporary file"
            run_cli convert earlier.1 -o big.1 --area T.BIN >/dev/null 2>&1
            cp earlier.1 big.1
        fi
        [ -z "$(find . -name '*.tmp')" ] || fail "SIG$signal: a temporary file left: $(find . -name '*.tmp')"
    done
    # A reader that closes standard output early: the report's temporary file goes too.
    run_cli convert big -o - --report r.txt --area T.BIN 2>/dev/null | head -n 2 >/dev/null
    [ -z "$(find . -name '*.tmp')" ] || fail "| head: a temporary file left: $(find . -name '*.tmp')"
    [ ! -e r.txt ] || fail "| head: a report of a run cut short"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
