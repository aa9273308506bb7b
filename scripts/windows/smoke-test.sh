#!/usr/bin/env bash
# A smoke test of the Windows installer under wine in Xvfb, run by scripts/package-windows.sh:
#
#   VORIDA_VERSION=1.05 VORIDA_REF_BIN=build-win-ref/bin [VORIDA_ZIP=ZIP] \
#       scripts/windows/smoke-test.sh SETUP.exe
#
# Silent install into a fresh wine prefix, with the same files as the portable zip;
# vorida-cli.exe convert on the installed sample, result and report (date line aside) byte for
# byte against the Linux build's vorida-cli; the window, found by its caption, converting on
# Enter, with the same bytes; a screenshot (docs/windows.png); the area window (vorida-obszar.exe)
# opens on the sample area and closes with Esc; Explorer's folder entry "Otwórz w programie
# Vorida" written for the current user, and the window started as it starts it, on a folder
# with Polish letters, blanks and quotes, converting there (same bytes, nothing beside the
# program); installing while the program runs, which cancels untouched; installing again,
# which replaces the program and keeps the user's area and point files; silent uninstall, which removes the program, the folder entry
# and the recent folders, and leaves the user's files.
# Exits non-zero at the first failed check.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
setup=$(realpath "$1")
version=${VORIDA_VERSION:?}
ref_bin=$(realpath "${VORIDA_REF_BIN:?}")
smoke=${VORIDA_SMOKE_DIR:-$root/build-win-pkg/smoke}
screenshot=${VORIDA_SCREENSHOT:-$root/docs/windows.png}

fail() { echo "BŁĄD próby: $*" >&2; exit 1; }
ok() { echo "  ok: $*"; }

rm -rf "$smoke"
mkdir -p "$smoke/home"
export WINEPREFIX=$smoke/prefix WINEDEBUG=-all
# No .NET or browser-engine offer, no menu entries on the host; the prefix's links to the
# user's folders point into a scratch home.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=$smoke/home
unset WINEPATH # the package must bring every DLL it needs

xvfb_pid="" wm_pid="" gui_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null || true
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# A display of our own, and a window manager for focus and activation.
exec 3>"$smoke/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$smoke/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$smoke/display" ] && break; sleep 0.1; done
[ -s "$smoke/display" ] || fail "Xvfb nie wystartował"
export DISPLAY=:$(head -n1 "$smoke/display")
openbox --sm-disable >"$smoke/openbox.log" 2>&1 &
wm_pid=$!

# wine with a time limit; wineserver -w waits for every process of the prefix (an uninstaller
# copies itself away and runs on after the first one exits).
w() { timeout 300 wine "$@"; }
find_window() { # CAPTION (a regular expression): the visible window's id, within a minute
    local id
    for _ in $(seq 120); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.5
    done
    return 1
}
settle() { timeout 300 wineserver -w || fail "procesy wine nie zakończyły się"; }

echo "Prefiks wine: $WINEPREFIX"
timeout 300 wineboot -i >"$smoke/wineboot.log" 2>&1 || fail "wineboot"
settle
# Windows has Arial and Courier New, a fresh prefix has not: the host's metric-compatible
# Liberation faces stand in for them, so the window looks as it will on Windows.
for font in "Arial=Liberation Sans" "Courier New=Liberation Mono"; do
    w reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${font%%=*}" /t REG_SZ \
        /d "${font#*=}" /f >/dev/null
done
settle

# --- install -----------------------------------------------------------------------------
w "$setup" /S || fail "instalacja /S zwróciła $?"
settle
localappdata=$(w cmd /c echo %LOCALAPPDATA% | tr -d '\r')
inst=$(winepath -u "$localappdata\\Programs\\Vorida" | sed 's:/$::')
inst_win="$localappdata\\Programs\\Vorida"
for f in vorida.exe vorida-obszar.exe vorida-cli.exe uninstall.exe Qt6Core.dll platforms/qwindows.dll \
         translations/qtbase_pl.qm instrukcja.html TRANSPKT.BIN xy_LOK xy2000; do
    [ -f "$inst/$f" ] || fail "brak $f w $inst"
done
ok "zainstalowano w $inst_win"
if [ -n "${VORIDA_ZIP:-}" ]; then # the portable folder is the installed one
    mkdir -p "$smoke/zip"
    (cd "$smoke/zip" && unzip -q "$VORIDA_ZIP")
    diff -r -x uninstall.exe "$smoke/zip/Vorida" "$inst" || fail "zip i instalacja się różnią"
    ok "zip zawiera te same pliki co instalacja"
fi
appdata=$(winepath -u "$(w cmd /c echo %APPDATA% | tr -d '\r')")
startmenu="$appdata/Microsoft/Windows/Start Menu/Programs/Vorida"
[ -f "$startmenu/Vorida.lnk" ] || fail "brak skrótu w menu Start ($startmenu)"
[ -f "$startmenu/Vorida – kontrola obszaru.lnk" ] ||
    fail "brak skrótu \"Vorida – kontrola obszaru\" w menu Start"
desktop=$(winepath -u "$(w cmd /c echo %USERPROFILE% | tr -d '\r')")/Desktop
[ -f "$desktop/Vorida.lnk" ] || fail "brak skrótu na pulpicie ($desktop)"
grep -q 'Uninstall\\\\Vorida\]' "$WINEPREFIX/user.reg" || fail "brak wpisu odinstalowania w HKCU"
ok "skróty w menu Start i na pulpicie, wpis w HKCU"
# Explorer's entry for a folder and for a folder's background: the verb's text (Polish letters
# as wine stores them) and the command, the installed program on the folder clicked.
reg_default() { # KEY: its default value, as reg prints it
    w reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'
}
for key in 'Directory\shell\Vorida' 'Directory\Background\shell\Vorida'; do
    grep -q "^\[Software\\\\\\\\Classes\\\\\\\\${key//\\/\\\\\\\\}\]" "$WINEPREFIX/user.reg" ||
        fail "brak klucza HKCU\\Software\\Classes\\$key"
    grep -A3 "^\[Software\\\\\\\\Classes\\\\\\\\${key//\\/\\\\\\\\}\]" "$WINEPREFIX/user.reg" |
        grep -q '^@="Otw\\x[0]*f3rz w programie Vorida"' ||
        fail "$key: tekst pozycji menu inny niż \"Otwórz w programie Vorida\""
done
folder_cmd=$(reg_default 'HKCU\Software\Classes\Directory\shell\Vorida\command')
[ "$folder_cmd" = "\"$inst_win\\vorida.exe\" \"%1\"" ] ||
    fail "polecenie folderu: $folder_cmd"
back_cmd=$(reg_default 'HKCU\Software\Classes\Directory\Background\shell\Vorida\command')
[ "$back_cmd" = "\"$inst_win\\vorida.exe\" \"%V\"" ] || fail "polecenie tła folderu: $back_cmd"
ok "menu folderu w Eksploratorze: \"Otwórz w programie Vorida\" -> $folder_cmd"

# --- the reference: the same sample converted by the Linux build --------------------------
mkdir -p "$smoke/ref"
cp "$ref_bin/TRANSPKT.BIN" "$inst/xy_LOK" "$inst/xy2000" "$smoke/ref/"
cmp "$ref_bin/TRANSPKT.BIN" "$inst/TRANSPKT.BIN" || fail "zainstalowany TRANSPKT.BIN inny niż wzorzec"
"$ref_bin/vorida-cli" convert --dir "$smoke/ref" >/dev/null
same_results() { # $1: what made them
    cmp "$smoke/ref/xy2000.1" "$inst/xy2000.1" || fail "$1: xy2000.1 inny niż z Linuksa"
    # the report: equal but for its date line, which must be there
    grep -aq '^Data oblicze' "$inst/Raport.txt" || fail "$1: Raport.txt bez wiersza daty"
    cmp <(grep -av '^Data oblicze' "$smoke/ref/Raport.txt") \
        <(grep -av '^Data oblicze' "$inst/Raport.txt") || fail "$1: Raport.txt inny niż z Linuksa"
    [ "$(grep -ac '^Data oblicze' "$inst/Raport.txt")" = 1 ] || fail "$1: wiersze daty w raporcie"
    ok "$1: xy2000.1 i Raport.txt (bez daty) takie same jak z Linuksa"
}

# --- vorida-cli.exe ------------------------------------------------------------------------
w "$inst/vorida-cli.exe" convert --dir "$inst_win" >"$smoke/cli.out" 2>&1 ||
    { cat "$smoke/cli.out"; fail "vorida-cli.exe convert"; }
same_results "vorida-cli.exe convert"

# --- the window: found by its caption, Enter converts (a second run in the same folder) ----
rm -f "$inst/xy2000.1" "$inst/Raport.txt"
(cd "$inst" && exec wine "$inst/vorida.exe" >"$smoke/vorida.log" 2>&1) &
gui_pid=$!
caption="^Transformacja punktów Vorida\\.exe ver ${version//./\\.}\$"
win=$(find_window "$caption") || fail "nie ma okna o tytule $caption"
ok "okno programu: $(xdotool getwindowname "$win")"
sleep 2 # let it finish drawing and loading TRANSPKT.BIN
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win"
xdotool key --clearmodifiers Return
# The closing message comes up as a second window of the process once the run is done.
gui_wine_pid=$(xdotool getwindowpid "$win")
msg=""
for _ in $(seq 60); do
    msg=$(xdotool search --onlyvisible --pid "$gui_wine_pid" 2>/dev/null | grep -vx "$win" |
          head -n1 || true)
    [ -n "$msg" ] && [ -f "$inst/xy2000.1" ] && break
    sleep 0.5
done
[ -f "$inst/xy2000.1" ] || fail "Enter w oknie nie utworzył xy2000.1"
[ -n "$msg" ] || fail "po przeliczeniu nie pojawił się komunikat"
ok "komunikat po przeliczeniu: okno \"$(xdotool getwindowname "$msg")\""
sleep 1
mkdir -p "$(dirname "$screenshot")"
import -window root "$smoke/screen.png"
# the main window with its frame and the message over it: the screen without its empty border
convert "$smoke/screen.png" -trim +repage -define png:exclude-chunks=date,time "$screenshot"
ok "zrzut ekranu: $screenshot"
xdotool key --clearmodifiers Return # closes the message
# the run closes its files once the message is gone
for _ in $(seq 40); do
    xdotool search --onlyvisible --pid "$gui_wine_pid" 2>/dev/null | grep -qx "$msg" || break
    sleep 0.5
done
! xdotool search --onlyvisible --pid "$gui_wine_pid" 2>/dev/null | grep -qx "$msg" ||
    fail "komunikat nie zamknął się klawiszem Enter"
sleep 1
same_results "okno, Enter"
# Installing while the program runs: a silent install cancels (exit code 1) before it touches
# any file, rather than stopping halfway on a library Windows keeps open.
cp "$inst/Qt6Core.dll" "$smoke/Qt6Core.dll.before"
printf 'stary program\r\n' >>"$inst/instrukcja.html"
cp "$inst/instrukcja.html" "$smoke/instrukcja.html.before"
status=0
w "$setup" /S || status=$?
[ "$status" = 1 ] || fail "instalacja przy uruchomionym programie zwróciła $status, a nie 1"
cmp "$smoke/instrukcja.html.before" "$inst/instrukcja.html" &&
    cmp "$smoke/Qt6Core.dll.before" "$inst/Qt6Core.dll" ||
    fail "instalacja przy uruchomionym programie zmieniła pliki"
ok "instalacja przy uruchomionym programie: przerwana bez zmian (kod 1)"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Escape
if ! timeout 30 wineserver -w; then
    echo "  uwaga: okno nie zamknęło się klawiszem Esc; kończę wine" >&2
    wineserver -k || true
fi
gui_pid=""

# --- the area window: opens on the installed TRANSPKT.BIN, Esc closes it ---------------------
(cd "$inst" && exec wine "$inst/vorida-obszar.exe" >"$smoke/vorida-obszar.log" 2>&1) &
gui_pid=$!
area_win=$(find_window '^Kontrola obszaru – ') ||
    fail "nie ma okna \"Kontrola obszaru – …\" (vorida-obszar.exe)"
ok "okno kontroli obszaru: $(xdotool getwindowname "$area_win")"
sleep 2
xdotool windowactivate --sync "$area_win" >/dev/null 2>&1 || xdotool windowfocus --sync "$area_win"
xdotool key --clearmodifiers Escape
if ! timeout 30 wineserver -w; then
    echo "  uwaga: okno kontroli obszaru nie zamknęło się klawiszem Esc; kończę wine" >&2
    wineserver -k || true
fi
gui_pid=""

# --- the window on a folder, as Explorer's entry starts it ---------------------------------
# The folder's name has Polish letters, blanks and quotes (Windows allows no '"'); the program
# is started from elsewhere, with the folder as its one argument ("%1" of the entry).
area="$smoke/home/Pomiary Łódź – obręb 'Śródmieście' nr 5"
mkdir -p "$area"
cp "$smoke/ref/TRANSPKT.BIN" "$smoke/ref/xy_LOK" "$area/"
area_win=$(winepath -w "$area")
program_files() { (cd "$inst" && find . -type f -exec md5sum {} + | sort); }
before=$(program_files)
(cd "$smoke" && exec wine "$inst/vorida.exe" "$area_win" >"$smoke/vorida-folder.log" 2>&1) &
gui_pid=$!
win=$(find_window "$caption") || fail "nie ma okna programu uruchomionego na folderze"
sleep 2
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || xdotool windowfocus --sync "$win"
xdotool key --clearmodifiers Return
for _ in $(seq 60); do [ -f "$area/Raport.txt" ] && break; sleep 0.5; done
[ -f "$area/xy2000.1" ] || fail "Enter w oknie na folderze nie utworzył xy2000.1 w $area_win"
sleep 1
import -window root "$smoke/screen-folder.png"
convert "$smoke/screen-folder.png" -trim +repage "$smoke/folder.png"
xdotool key --clearmodifiers Return # closes the message
sleep 2
cmp "$smoke/ref/xy2000.1" "$area/xy2000.1" || fail "folder: xy2000.1 inny niż z Linuksa"
cmp <(grep -av '^Data oblicze' "$smoke/ref/Raport.txt") <(grep -av '^Data oblicze' "$area/Raport.txt") ||
    fail "folder: Raport.txt inny niż z Linuksa"
[ "$(program_files)" = "$before" ] || fail "przeliczenie na folderze zapisało coś obok programu"
ini=$(winepath -u "$(w cmd /c echo %APPDATA% | tr -d '\r')")/Vorida/Vorida.ini
[ -f "$ini" ] || fail "brak pliku ostatnich folderów $ini"
ok "okno na folderze $area_win: xy2000.1 i Raport.txt (bez daty) jak z Linuksa, obok programu nic; zrzut $smoke/folder.png"
xdotool windowactivate --sync "$win" >/dev/null 2>&1 || true
xdotool key --clearmodifiers Escape
if ! timeout 30 wineserver -w; then
    echo "  uwaga: okno nie zamknęło się klawiszem Esc; kończę wine" >&2
    wineserver -k || true
fi
gui_pid=""

# --- installing again (an update) keeps the user's area and point files --------------------
printf 'A 1.0 2.0\r\n' >"$inst/xy_LOK"
printf 'B 3.0 4.0\r\n' >"$inst/xy2000"
cp "$inst/TRANSPKT.BIN" "$smoke/TRANSPKT.BIN.sample"
printf 'obszar użytkownika' >>"$inst/TRANSPKT.BIN"
for f in xy_LOK xy2000 TRANSPKT.BIN; do cp "$inst/$f" "$smoke/$f.user"; done
w "$setup" /S || fail "ponowna instalacja /S zwróciła $?"
settle
for f in xy_LOK xy2000 TRANSPKT.BIN; do
    cmp "$smoke/$f.user" "$inst/$f" || fail "ponowna instalacja nadpisała $f użytkownika"
done
cmp "$smoke/instrukcja.html.before" "$inst/instrukcja.html" >/dev/null &&
    fail "ponowna instalacja nie zastąpiła instrukcja.html"
[ -f "$inst/vorida.exe" ] || fail "po ponownej instalacji brak vorida.exe"
ok "ponowna instalacja zastąpiła program i zostawiła TRANSPKT.BIN, xy_LOK i xy2000 użytkownika"

# --- uninstall: the program goes, the user's files stay ----------------------------------
printf 'moje punkty\r\n' >"$inst/moje_punkty.txt"
cp "$inst/xy2000.1" "$smoke/xy2000.1.before"
w "$inst/uninstall.exe" /S || fail "odinstalowanie /S zwróciło $?"
settle
for f in vorida.exe vorida-obszar.exe vorida-cli.exe uninstall.exe Qt6Core.dll instrukcja.html \
         LICENSE.txt platforms translations; do
    [ ! -e "$inst/$f" ] || fail "po odinstalowaniu zostało $f"
done
for f in xy_LOK xy2000 xy2000.1 Raport.txt TRANSPKT.BIN moje_punkty.txt; do
    [ -f "$inst/$f" ] || fail "odinstalowanie usunęło plik użytkownika $f"
done
cmp "$smoke/xy2000.1.before" "$inst/xy2000.1" || fail "odinstalowanie zmieniło xy2000.1"
[ ! -e "$startmenu" ] || fail "po odinstalowaniu został folder w menu Start"
[ ! -e "$desktop/Vorida.lnk" ] || fail "po odinstalowaniu został skrót na pulpicie"
! grep -q 'Uninstall\\\\Vorida\]' "$WINEPREFIX/user.reg" || fail "po odinstalowaniu został wpis w HKCU"
! grep -q 'shell\\\\Vorida' "$WINEPREFIX/user.reg" ||
    fail "po odinstalowaniu zostało menu folderu w Eksploratorze"
[ ! -e "$ini" ] || fail "po odinstalowaniu został plik ostatnich folderów $ini"
ok "odinstalowano; zostały pliki użytkownika: $(cd "$inst" && ls | tr '\n' ' ')"
echo "Próba pakietu: wszystko w porządku."
