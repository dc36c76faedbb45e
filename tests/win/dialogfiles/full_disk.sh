#!/bin/sh
# full_disk.sh TEST_PROGRAM (under scripts/with-display): the failed-save test on a 256 KiB tmpfs
# of its own (drive Z: to Wine); skipped where this machine lets it mount none.
folder=$(mktemp -d)
if ! mount -t tmpfs -o size=256k quillon-full "$folder" 2>/dev/null; then
  rmdir "$folder"
  echo "full_disk.sh: no tiny filesystem can be mounted here; skipped"
  exit 77
fi
trap 'umount "$folder"; rmdir "$folder"' EXIT
QUILLON_TINY_DISK="Z:$(printf '%s' "$folder" | tr / '\\')" "$WINELOADER" "$1" --gtest_brief=1 --gtest_filter='*FailedSave*'
