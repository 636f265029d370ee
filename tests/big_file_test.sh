#!/usr/bin/env bash
# make-disc on a folder with a file of 4.5 GiB (sparse, so it costs no disk
# until the image is written): the image holds it whole, read back from its
# Joliet records (by isoinfo, which lists each extent level 3 splits it
# into). The image takes 4.8 GB of disk while the test runs.
#
#   tests/big_file_test.sh BUILD_DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/autorun-big.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/disc"
cp "$1/demo/setup.exe" "$1/demo/splash.bmp" "$work/disc/"
truncate -s 4831838208 "$work/disc/part1.bin"
"$top/tools/make-disc" "$work/disc" "$work/big.iso" --launcher "$1/autorun.exe"
# isoinfo lists each extent as an entry of the file's name.
size=$(isoinfo -J -l -i "$work/big.iso" | awk '$NF == "part1.bin" { size += $5 } END { printf "%.0f", size }')
[ "$size" = 4831838208 ] || { echo "FAILED: part1.bin is $size bytes on the image" >&2; exit 1; }
echo "big-file test: part1.bin, 4831838208 bytes, whole on the image"
