#!/usr/bin/env bash
# Runs the launcher on the demo disc with the switches of its autorun.inf,
# through the demo player (tools/driver/play_demo.cpp). On a screen of its
# own (the harness's Xvfb) it leaves a screenshot of the painted dialog in
# build/demo/screenshot.png and presses Cancel; on your display it runs until
# you close it.
#
#   tools/demo.sh BUILD_DIR      (inside tools/harness.sh; BUILD_DIR holds
#                                 autorun.exe and play_demo.exe)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
# The shipped launcher is the 32-bit one; a machine that cannot run 32-bit
# programs (see harness.sh) shows the 64-bit build of the same code.
if [ -n "${AUTORUN_NO_32BIT:-}" ] && [ "$(basename "$build")" = i686 ]; then
  echo "demo: this machine cannot run 32-bit programs: showing the x86_64 launcher" >&2
  build="$(dirname "$build")/x86_64"
fi
disc="$top/build/demo/disc"

rm -rf "$disc"
mkdir -p "$disc"
cp -r "$top/demo/disc/." "$disc/"
cp "$build/autorun.exe" "$disc/autorun.exe"
cp "$build/demo/splash.bmp" "$disc/splash.bmp"
open=$(sed -n 's/^open=//p' "$disc/autorun.inf" | tr -d '\r')
echo "demo: $open (in $disc)"

player=("$build/play_demo.exe" "Z:$disc/autorun.exe" "Z:$disc" "${open#autorun.exe }")
if [ "${AUTORUN_OWN_DISPLAY:-}" != 1 ]; then
  wine "${player[@]}"
  exit 0
fi
screen="$top/build/demo/screen.rgb"
wine "${player[@]}" "Z:$screen"
size=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) pixels.*/\1/p')
convert -size "$size" -depth 8 "rgb:$screen" "$top/build/demo/screenshot.png"
rm -f "$screen"
echo "demo: screenshot in build/demo/screenshot.png"
