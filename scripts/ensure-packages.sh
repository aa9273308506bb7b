#!/usr/bin/env bash
# Installs the Debian packages a script needs, when any is missing. Sourced by test.sh, run.sh,
# fuzz/run.sh and the scripts; each list below belongs to one use, and no script changes them.
# Root: apt-get directly; else sudo if it works without a password; else it prints the exact
# command and stops.

# The build with its windows and its tests (test.sh, run.sh).
vorida_packages=(
    g++ cmake make
    libgtest-dev
    qt6-base-dev libqscintilla2-qt6-dev
    qt6-translations-l10n qt6-l10n-tools
    xvfb xauth openbox x11-utils xdotool
    fonts-liberation2 fonts-wine
    locales
    acl
)
# For the tests under wine (scripts/windows-tests.sh): the MinGW-w64 compilers (posix threads),
# wine, and GoogleTest's sources.
vorida_windows_packages=(
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64
    googletest
)
# The fuzz build (fuzz/run.sh): clang with libFuzzer and the sanitizers' runtime; no windows
# and no GoogleTest.
vorida_fuzz_packages=(cmake make clang libclang-rt-14-dev)
# The formatting check (scripts/check-format.sh): the one version of clang-format whose layout
# the sources follow.
vorida_format_packages=(git clang-format-14)

# The build's packages and the named ones.
vorida_ensure_packages() {
    vorida_ensure_only "${vorida_packages[@]}" "$@"
}

# Sets vorida_sudo to what runs a command as root: nothing for root, sudo where it works
# without a password. Fails when neither can.
vorida_root() {
    vorida_sudo=""
    [ "$(id -u)" -eq 0 ] && return 0
    command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null && vorida_sudo="sudo"
}

# Exactly the named packages.
vorida_ensure_only() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if ! vorida_root; then
        echo "Brakuje pakietów. Zainstaluj je poleceniem:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Instaluję: ${missing[*]}"
    $vorida_sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $vorida_sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# A Polish locale, so that the tests can show that the user's locale changes no number. The
# locales package brings localedef and the Polish source; without the locale the tests that
# run under it cannot mean anything, so a failure to make it stops the script.
vorida_ensure_polish_locale() {
    locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$' && return 0
    if ! vorida_root; then
        echo "Brakuje polskiego ustawienia regionalnego. Utwórz je poleceniem:" >&2
        echo "  sudo localedef -i pl_PL -f UTF-8 pl_PL.UTF-8" >&2
        exit 1
    fi
    if ! $vorida_sudo localedef -i pl_PL -f UTF-8 pl_PL.UTF-8 \
        || ! locale -a 2>/dev/null | grep -qi '^pl_PL\.utf-\?8$'; then
        echo "Nie udało się utworzyć ustawienia regionalnego pl_PL.UTF-8 (localedef)." >&2
        exit 1
    fi
}
