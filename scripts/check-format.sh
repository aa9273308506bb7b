#!/usr/bin/env bash
# Checks that every C++ source and header of the repository is laid out as the project's
# .clang-format says, with Debian's clang-format 14 (another version lays some lines out
# differently, so the check names its version rather than taking whatever is installed).
# Lists each file that differs and the command that formats it; exit status 1 when any does.
# Called by .ci/run.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
vorida_packages=() # the check needs nothing of the build
vorida_ensure_packages clang-format-14

# Tracked files and new ones not yet added (not those .gitignore leaves out, nor deleted ones).
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.cpp' '*.h' |
    sort -u | while IFS= read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done)
unformatted=()
for file in "${files[@]}"; do
    clang-format-14 --style=file --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not formatted by .clang-format (${#unformatted[@]} of ${#files[@]} files):" >&2
    for file in "${unformatted[@]}"; do
        echo "  $file" >&2
        { clang-format-14 --style=file "$file" | diff -u "$file" - || true; } | sed -n '3,22p' |
            sed 's/^/    /' >&2
    done
    echo "Format them with: clang-format-14 -i ${unformatted[*]}" >&2
    exit 1
fi
echo "Formatting: ${#files[@]} files as .clang-format says"
