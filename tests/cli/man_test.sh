#!/usr/bin/env bash
# The manual page: man_test.sh PAGE VORIDA_CLI. It renders without a warning, and it names
# every option that the help of every verb names.
set -u
page=$1 cli=$2
fail() { echo "FAIL (man page): $*" >&2; exit 1; }
warnings=$(preconv "$page" | groff -man -Tutf8 -ww -z 2>&1)
[ -z "$warnings" ] || fail "groff: $warnings"
shown=$(MANWIDTH=200 man -l "$page" 2>&1) || fail "man -l: $shown"
for verb in pack dump fit convert verify plot; do
    grep -q "vorida-cli $verb" <<<"$shown" || fail "no synopsis of $verb"
    for option in $("$cli" "$verb" --help | sed -n 's/^  \(-[-a-z]*\).*/\1/p'); do
        grep -q -- "$option" <<<"$shown" || fail "$verb $option missing"
    done
done
grep -q "KODY WYJŚCIA" <<<"$shown" || fail "no exit statuses"
