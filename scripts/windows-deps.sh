#!/usr/bin/env bash
# Builds what the Windows package needs and Debian does not ship for MinGW, once, into a cache
# folder outside the clone: Qt 6 (qt6-base, the same Debian source version as the host's Qt,
# whose moc, uic and rcc the cross build uses) as DLLs, and QScintilla as a static library,
# with the small patches under scripts/windows/.
# A folder is reused when its stamp names the same source version and recipe.
#
#   scripts/windows-deps.sh            # cache: ${VORIDA_WIN_CACHE:-~/.cache/vorida-win64}
#
# Called by scripts/package-windows.sh, which first installs the packages it needs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cache=${VORIDA_WIN_CACHE:-$HOME/.cache/vorida-win64}
jobs=${VORIDA_JOBS:-2}
toolchain=$root/cmake/toolchain-mingw-w64.cmake
# Raise when the way Qt or QScintilla is configured changes, so old caches are rebuilt.
qt_recipe=1
qsci_recipe=2

export WINEPREFIX=$cache/wine-build WINEDEBUG=-all
mkdir -p "$cache/src"

host_version() { dpkg-query -W -f='${Version}' "$1"; }
qt_version=$(host_version qt6-base-dev)
qsci_version=$(host_version libqscintilla2-qt6-dev)
qt_stamp="qt6-base $qt_version recipe $qt_recipe"
qsci_stamp="qscintilla2 $qsci_version recipe $qsci_recipe on $qt_stamp"

stamp_ok() { [ -f "$1/.vorida-stamp" ] && [ "$(cat "$1/.vorida-stamp")" = "$2" ]; }

# Debian's sources through a private sources folder and lists, with the archive URIs and
# suites of the system's own Debian entries: the system's apt configuration stays untouched.
apt_src=$cache/apt
apt_opts=(-o "Dir::Etc::sourcelist=/dev/null" -o "Dir::Etc::sourceparts=$apt_src/sources.list.d"
          -o "Dir::State::Lists=$apt_src/lists" -o "Dir::Cache::pkgcache="
          -o "Dir::Cache::srcpkgcache=")
# as root, apt downloads as root rather than warn that _apt cannot write here
[ "$(id -u)" -ne 0 ] || apt_opts+=(-o "APT::Sandbox::User=root")
prepare_apt_sources() {
    [ -d "$apt_src/lists/partial" ] && [ -n "$(ls "$apt_src/lists" 2>/dev/null | grep Sources)" ] \
        && return 0
    mkdir -p "$apt_src/sources.list.d" "$apt_src/lists/partial"
    local keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    {
        # one-line entries: "deb [options] URI SUITE COMPONENTS..."
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            awk '$1 == "deb" && /debian/ { sub(/^deb /, "deb-src "); print }'
        # deb822 entries: every stanza of type deb on a Debian archive, as deb-src
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            awk -v RS= -v keyring="$keyring" '
                /(^|\n)Types:[^\n]*deb/ && /URIs:[^\n]*debian/ {
                    uris = suites = comps = signed = ""
                    n = split($0, l, "\n")
                    for (i = 1; i <= n; i++) {
                        if (l[i] ~ /^URIs:/) uris = substr(l[i], 6)
                        if (l[i] ~ /^Suites:/) suites = substr(l[i], 8)
                        if (l[i] ~ /^Components:/) comps = substr(l[i], 12)
                        if (l[i] ~ /^Signed-By:/) signed = substr(l[i], 11)
                    }
                    if (signed == "") signed = keyring
                    print "Types: deb-src\nURIs:" uris "\nSuites:" suites \
                          "\nComponents:" comps "\nSigned-By:" signed "\n"
                }' "$f"
        done
    } >"$apt_src/sources.list.d/debian-src.sources.tmp"
    # one-line entries go to a .list file, stanzas to a .sources file
    grep '^deb-src ' "$apt_src/sources.list.d/debian-src.sources.tmp" \
        >"$apt_src/sources.list.d/debian-src.list" || true
    grep -v '^deb-src ' "$apt_src/sources.list.d/debian-src.sources.tmp" \
        >"$apt_src/sources.list.d/debian-src.sources" || true
    rm "$apt_src/sources.list.d/debian-src.sources.tmp"
    if [ ! -s "$apt_src/sources.list.d/debian-src.list" ] &&
        ! grep -q URIs "$apt_src/sources.list.d/debian-src.sources"; then
        echo "Brak wpisu archiwum Debiana w /etc/apt: nie wiem, skąd pobrać źródła." >&2
        exit 1
    fi
    apt-get "${apt_opts[@]}" -qq update >&2
}

# Downloads Debian source package $1 at version $2 into $cache/src/$1-$2 (checked against the
# signed index by apt) and prints the path of its upstream tarball.
fetch_source() {
    local dir=$cache/src/$1-$2
    if [ ! -f "$dir/.complete" ]; then
        prepare_apt_sources
        rm -rf "$dir" && mkdir -p "$dir"
        (cd "$dir" && apt-get "${apt_opts[@]}" -qq source --download-only "$1=$2" >&2)
        touch "$dir/.complete"
    fi
    ls "$dir"/*.orig.tar.* | head -n1
}

build_qt() {
    local prefix=$cache/qt6
    stamp_ok "$prefix" "$qt_stamp" && return 0
    echo "== Qt $qt_version dla Windows (raz, do $prefix; około 16 minut przy -j$jobs)"
    local tarball work=$cache/work/qtbase
    tarball=$(fetch_source qt6-base "$qt_version")
    rm -rf "$work" "$prefix"
    mkdir -p "$work"
    tar -xf "$tarball" -C "$work"
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
    # Debian's tarball lacks src/3rdparty/wintab, which the windows platform plugin includes
    # only with tablet events: they stay off (the program uses no tablet).
    cmake -G Ninja -S "$src" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBUILD_SHARED_LIBS=ON \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF \
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_testlib=OFF \
        -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_pkg_config=OFF \
        -DFEATURE_tabletevent=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
        -DFEATURE_system_png=OFF -DFEATURE_system_doubleconversion=OFF
    cmake --build "$work/build" -j"$jobs"
    cmake --install "$work/build"
    rm -rf "$work"
    echo "$qt_stamp" >"$prefix/.vorida-stamp"
}

build_qscintilla() {
    local prefix=$cache/qscintilla
    stamp_ok "$prefix" "$qsci_stamp" && return 0
    echo "== QScintilla $qsci_version dla Windows (biblioteka statyczna, do $prefix)"
    local tarball work=$cache/work/qscintilla
    tarball=$(fetch_source qscintilla2 "$qsci_version")
    rm -rf "$work" "$prefix"
    mkdir -p "$work"
    tar -xf "$tarball" -C "$work"
    local src
    src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
    cp "$root/scripts/windows/qscintilla-CMakeLists.txt" "$src/CMakeLists.txt"
    # The accessible interface counts characters from the line, not the text's start (the
    # patch's header says why).
    patch -d "$src" -p1 --forward --quiet <"$root/scripts/windows/qscintilla-accessibility.patch"
    cmake -G Ninja -S "$src" -B "$work/build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DCMAKE_PREFIX_PATH="$cache/qt6" -DCMAKE_FIND_ROOT_PATH="$cache/qt6" \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    cmake --build "$work/build" -j"$jobs"
    cmake --install "$work/build"
    rm -rf "$work"
    echo "$qsci_stamp" >"$prefix/.vorida-stamp"
}

build_qt
build_qscintilla
