#!/bin/sh
# Runs the work-folder test whose folder lies on a read-only medium: the sample area and points
# in a scratch folder, bound read-only over itself in a user and mount namespace of the test's
# own (nothing outside the test sees the mount).
#   read_only_folder.sh TST_WORKFOLDER SAMPLE_BIN
# Exit 77 (skipped) where the system gives no such namespace.
set -eu
test_program=$1
sample=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/tylko do odczytu"
mkdir "$folder"
cp "$sample/TRANSPKT.BIN" "$sample/xy_LOK" "$folder/"
unshare -rm true 2>/dev/null || { echo "no user and mount namespace: skipped"; exit 77; }
VORIDA_READ_ONLY_FOLDER=$folder unshare -rm sh -c '
    mount --bind "$VORIDA_READ_ONLY_FOLDER" "$VORIDA_READ_ONLY_FOLDER" &&
    mount -o remount,bind,ro "$VORIDA_READ_ONLY_FOLDER" &&
    exec "$0" aReadOnlyFolderSaysWhyAndWritesNothingElsewhere' "$test_program"
