#!/usr/bin/env bash
# The release as an author takes it: the tar.gz unpacked into an empty
# folder, its zip holding the same files, every file in SHA256SUMS with its
# sum, the changelog naming the version, each tool answering --version with
# it, and the demo's disc made by the unpacked make-disc with its own
# launcher, stamp and checker.
#
#   tests/dist_test.sh ARCHIVE.tar.gz BUILD_DIR WORK_DIR
#
# Inside the harness; BUILD_DIR holds the demo's installer, splash and icon.
set -uo pipefail
archive=$(realpath "$1") build=$(realpath "$2") work=$3
top=$(cd "$(dirname "$0")/.." && pwd)
name=$(basename "$archive" .tar.gz)
version=${name#autorun-}
failed=0
check() { "${@:2}" >"$work/said" 2>&1 || { echo "FAILED: $1"; cat "$work/said"; failed=1; }; }
files() { (cd "$1" && find . -type f -printf '%P %M\n' | LC_ALL=C sort); }

rm -rf "$work" && mkdir -p "$work/tar" "$work/zip"
tar -xzf "$archive" -C "$work/tar" && unzip -q "${archive%.tar.gz}.zip" -d "$work/zip" || exit 1
cd "$work/tar/$name" || exit 1
check "the zip and the tar.gz differ" diff -r "$work/tar" "$work/zip"
check "the zip's files or modes differ" diff <(files "$work/tar") <(files "$work/zip")
check "a sum in SHA256SUMS is wrong" sha256sum --strict --quiet -c SHA256SUMS
check "SHA256SUMS does not name every file" diff <(files . | cut -d' ' -f1 | grep -vx SHA256SUMS) <(cut -c67- SHA256SUMS)
check "CHANGELOG.md has no $version" grep -q "^## \[$version\]" CHANGELOG.md
check "no LICENSE" grep -q "MIT License" LICENSE
check "README.md sends an author to a checkout" bash -c '! grep -nE "make (demo|test|build)|build/i686|tools/" README.md'
# The 64-bit programs, and the shipped 32-bit ones where Wine runs them.
for arch in ${AUTORUN_ARCH/i686/. x86_64}; do
  for exe in autorun-check autorun-stamp; do
    said=$(wine "share/autorun/$arch/$exe.exe" --version | tr -d '\r')
    check "$arch/$exe --version: $said" [ "$said" = "$exe $version" ]
  done
done
for tool in make-disc make-splash; do check "$tool --version" [ "$(bin/$tool --version)" = "$tool $version" ]; done
check "the unpacked make-disc made no disc" "$top/demo/disc.sh" "$build" "$work/demo.iso" "$PWD/bin/make-disc"
exit $failed
