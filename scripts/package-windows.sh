#!/usr/bin/env bash
# Builds the Windows package of Vorida on Debian 12 and tests it under wine:
#
#   scripts/package-windows.sh
#
# 1. Qt and QScintilla for MinGW-w64, once, into a cache outside the clone
#    (scripts/windows-deps.sh; VORIDA_WIN_CACHE, default ~/.cache/vorida-win64).
# 2. vorida.exe and vorida-cli.exe (build-win-pkg/), and vorida-cli for Linux as the reference
#    (build-win-ref/).
# 3. dist/Vorida-<version>-win64.zip, a portable program folder, and
#    dist/Vorida-<version>-setup.exe, a per-user installer (Debian's nsis).
# 4. A smoke test under wine in Xvfb (scripts/windows/smoke-test.sh): silent install into a
#    fresh wine prefix (the same files as the zip), a conversion by vorida-cli.exe and one by
#    the window (Enter), both byte for byte against the Linux build, a screenshot
#    (docs/windows.png), an update that keeps the user's files, a silent uninstall that leaves
#    them too.
#
# Exits non-zero when any step fails. VORIDA_JOBS (default 2) sets the build's parallelism;
# VORIDA_SMOKE_TEST=0 skips step 4.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
start_time=$SECONDS

. scripts/ensure-packages.sh
vorida_ensure_packages g++-mingw-w64-x86-64-posix wine wine64 nsis ninja-build zip unzip \
    qt6-base-dev-tools qt6-translations-l10n qt6-l10n-tools xvfb xauth openbox xdotool imagemagick

export VORIDA_WIN_CACHE=${VORIDA_WIN_CACHE:-$HOME/.cache/vorida-win64}
export VORIDA_JOBS=${VORIDA_JOBS:-2}
cache=$VORIDA_WIN_CACHE
jobs=$VORIDA_JOBS
qt=$cache/qt6
qsci=$cache/qscintilla
build=$root/build-win-pkg
ref=$root/build-win-ref
dist=$root/dist
triplet=x86_64-w64-mingw32
export WINEDEBUG=-all
# no offer to install .NET or a browser engine, no menu entries on the host
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

step() { echo; echo "== $* ($((SECONDS - start_time)) s)"; }
fail() { echo "BŁĄD: $*" >&2; exit 1; }

step "Qt i QScintilla dla Windows"
scripts/windows-deps.sh

# MinGW's runtime DLLs, which the executables need beside them.
mingw_dll_dirs=()
for dll in libstdc++-6.dll libwinpthread-1.dll; do
    mingw_dll_dirs+=("$(dirname "$(realpath "$($triplet-g++-posix -print-file-name=$dll)")")")
done

step "vorida.exe, vorida-obszar.exe i vorida-cli.exe"
# The build runs vorida-cli.exe under wine (it packs the sample area).
export WINEPREFIX=$build/wine
WINEPATH=$(printf 'Z:%s;' "${mingw_dll_dirs[@]}")
export WINEPATH=${WINEPATH%;}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$build"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || fail "wineboot nie utworzył prefiksu $WINEPREFIX"
fi
cmake -G Ninja -S . -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_ROOT_PATH="$qt;$qsci" -DCMAKE_PREFIX_PATH="$qt;$qsci" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DVORIDA_TESTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target vorida vorida-obszar vorida-cli vorida_sample
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "brak wersji projektu w $build/CMakeCache.txt"

step "vorida-cli dla Linuksa (wzorzec porównania)"
cmake -S . -B "$ref" -DCMAKE_BUILD_TYPE=Release -DVORIDA_GUI=OFF -DVORIDA_TESTS=OFF >/dev/null
cmake --build "$ref" -j"$jobs" --target vorida-cli vorida_sample >/dev/null
cmp "$build/bin/TRANSPKT.BIN" "$ref/bin/TRANSPKT.BIN" ||
    fail "TRANSPKT.BIN z vorida-cli.exe różni się od zbudowanego na Linuksie"

step "Folder programu"
stage_root=$build/stage
stage=$stage_root/Vorida
rm -rf "$stage_root"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats" "$stage/translations"
cp "$build/bin/vorida.exe" "$build/bin/vorida-obszar.exe" "$build/bin/vorida-cli.exe" "$build/bin/TRANSPKT.BIN" \
    "$build/bin/instrukcja.html" "$build/bin/kontrola-obszaru.png" "$stage/"
cp examples/xy_LOK examples/xy2000 "$stage/"
cp LICENSE "$stage/LICENSE.txt" # GPL 3: Vorida, and QScintilla linked into vorida.exe
# Qt's DLLs are under the LGPL 3, whose text comes from the Qt source in the cache.
qt_license=$cache/qt6-LGPL-3.0-only.txt
if [ ! -s "$qt_license" ]; then
    qt_source=$cache/src/qt6-base-$(dpkg-query -W -f='${Version}' qt6-base-dev)
    tar -xOf "$(ls "$qt_source"/*.orig.tar.* | head -n1)" --wildcards \
        '*/LICENSES/LGPL-3.0-only.txt' >"$qt_license.tmp"
    mv "$qt_license.tmp" "$qt_license"
fi
cp "$qt_license" "$stage/LICENSE-Qt.txt"
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt/plugins/styles/"*.dll "$stage/styles/"
cp "$qt/plugins/imageformats/"*.dll "$stage/imageformats/"
if ls "$qt/plugins/printsupport/"*.dll >/dev/null 2>&1; then
    mkdir -p "$stage/printsupport" && cp "$qt/plugins/printsupport/"*.dll "$stage/printsupport/"
fi
# Qt's own texts (buttons of the standard dialogs, the print dialog) in Polish, and ours for
# the print dialog's texts Qt's lacks; the program loads both from translations/ in its folder.
cp /usr/share/qt6/translations/qtbase_pl.qm "$build/bin/translations/vorida_pl.qm" \
    "$stage/translations/"

# Every DLL the executables and plugins import, found in the Qt build or MinGW's runtime; what
# is found in neither must be one of the system's own (checked against wine's system32).
dll_dirs=("$qt/bin" "${mingw_dll_dirs[@]}")
wine_system32=$WINEPREFIX/drive_c/windows/system32
declare -A seen=()
queue=()
while IFS= read -r -d '' f; do queue+=("$f"); done < <(find "$stage" -iname '*.exe' -print0 -o -iname '*.dll' -print0)
while [ ${#queue[@]} -gt 0 ]; do
    f=${queue[0]}
    queue=("${queue[@]:1}")
    for dll in $($triplet-objdump -p "$f" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
        key=${dll,,}
        [ -n "${seen[$key]:-}" ] && continue
        seen[$key]=1
        found=""
        for d in "${dll_dirs[@]}"; do
            [ -f "$d/$dll" ] && found=$d/$dll && break
        done
        if [ -n "$found" ]; then
            cp "$found" "$stage/"
            queue+=("$stage/$dll")
        elif [[ $key != api-ms-win-* && $key != ext-ms-* ]] && # API sets: Windows resolves them
             [ -z "$(find "$wine_system32" -maxdepth 1 -iname "$dll" | head -n1)" ]; then
            fail "$(basename "$f") potrzebuje $dll, którego nie ma ani w Qt, ani w MinGW, ani w systemie"
        fi
    done
done
find "$stage" \( -iname '*.exe' -o -iname '*.dll' \) -exec $triplet-strip --strip-unneeded {} +
echo "$(find "$stage" -type f | wc -l) plików, $(du -sh "$stage" | cut -f1)"

step "Archiwum zip"
mkdir -p "$dist"
zip_file=$dist/Vorida-$version-win64.zip
rm -f "$zip_file"
(cd "$stage_root" && zip -qr -9 -X "$zip_file" Vorida)
ls -l "$zip_file"

step "Instalator"
# The installer's file lists: everything but the sample area and point files, which the .nsi
# names itself (they are the user's once installed and are never overwritten or removed).
lists=$build/nsis
mkdir -p "$lists"
: >"$lists/files.nsh"
: >"$lists/unfiles.nsh"
user_files=" TRANSPKT.BIN xy_LOK xy2000 "
while IFS= read -r rel; do
    rel=${rel#./}
    name=$(basename "$rel")
    [ "$rel" = "$name" ] && [[ $user_files == *" $name "* ]] && continue
    dir=$(dirname "$rel")
    win_dir='$INSTDIR'
    [ "$dir" = . ] || win_dir="\$INSTDIR\\${dir//\//\\}"
    printf 'SetOutPath "%s"\nFile "%s"\n' "$win_dir" "$stage/$rel" >>"$lists/files.nsh"
    printf 'Delete "%s\\%s"\n' "$win_dir" "$name" >>"$lists/unfiles.nsh"
done < <(cd "$stage" && find . -type f | sort)
echo 'SetOutPath "$INSTDIR"' >>"$lists/files.nsh"
while IFS= read -r dir; do
    dir=${dir#./}
    printf 'RMDir "$INSTDIR\\%s"\n' "${dir//\//\\}" >>"$lists/unfiles.nsh"
done < <(cd "$stage" && find . -mindepth 1 -type d | sort -r)
setup_file=$dist/Vorida-$version-setup.exe
major=${version%%.*}
minor=$((10#${version#*.}))
makensis -V2 -INPUTCHARSET UTF8 \
    -DVERSION="$version" -DVERSION_QUAD="$major.$minor.0.0" \
    -DSTAGE="$stage" -DLISTS="$lists" -DOUTFILE="$setup_file" \
    -DICON="$root/ui/images/vorida.ico" -DSIZE_KB="$(du -sk "$stage" | cut -f1)" \
    scripts/windows/vorida.nsi
ls -l "$setup_file"

if [ "${VORIDA_SMOKE_TEST:-1}" != 0 ]; then
    step "Próba pakietu pod wine"
    VORIDA_VERSION=$version VORIDA_REF_BIN=$ref/bin VORIDA_ZIP=$zip_file \
        scripts/windows/smoke-test.sh "$setup_file"
fi

step "Gotowe: $zip_file, $setup_file"
