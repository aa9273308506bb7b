#!/usr/bin/env bash
# The size limits of the production code (scripts/unit-sizes.py): prints the longest files and
# functions and fails when one is over its limit (500 lines a file, 80 a function) without an
# entry in scripts/unit-sizes.allow. Called by .ci/run.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure-packages.sh
vorida_ensure_only git python3
exec python3 scripts/unit-sizes.py "$@"
