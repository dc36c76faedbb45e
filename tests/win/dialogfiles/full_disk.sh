#!/bin/sh
# Runs the failed-save test of the dialog tests (its full-disk case) on a tiny filesystem of its
# own (a 256 KiB tmpfs, which Wine sees through drive Z:). Where this
# machine does not let the test mount one, the case is reported skipped.
# Usage: full_disk.sh TEST_PROGRAM (run under scripts/with-display).
folder=$(mktemp -d)
if ! mount -t tmpfs -o size=256k quillon-full "$folder" 2>/dev/null; then
  rmdir "$folder"
  echo "full_disk.sh: no tiny filesystem can be mounted here; skipped"
  exit 77
fi
trap 'umount "$folder"; rmdir "$folder"' EXIT
QUILLON_TINY_DISK="Z:$(printf '%s' "$folder" | tr / '\\')" "$WINELOADER" "$1" --gtest_brief=1 --gtest_filter='*FailedSave*'
