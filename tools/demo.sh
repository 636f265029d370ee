#!/usr/bin/env bash
# Runs the launcher on the demo disc as the autorun entry starts it.
# On a screen of its own (the harness's Xvfb) it leaves a screenshot in
# build/demo/screenshot.png and stops the launcher; on your display it runs
# until you close it.
#
#   tools/demo.sh LAUNCHER.exe      (inside tools/harness.sh)
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
launcher=$(realpath "$1")
disc="$top/build/demo/disc"

rm -rf "$disc"
mkdir -p "$disc"
cp -r "$top/demo/disc/." "$disc/"
cp "$launcher" "$disc/autorun.exe"
python3 "$top/tools/make_demo_picture.py" "$disc/splash.bmp"
open=$(sed -n 's/^open=//p' "$disc/autorun.inf" | tr -d '\r')
echo "demo: $open (in $disc)"

cd "$disc"
# cmd passes the line on as it stands, as the shell would.
wine cmd /c "$open" &
pid=$!

if [ "${AUTORUN_OWN_DISPLAY:-}" != 1 ]; then
  wait "$pid"
  exit 0
fi

for _ in $(seq 100); do
  xwininfo -root -tree 2>/dev/null | grep -q '"Talvik Demo Disc"' && break
  sleep 0.1
done
sleep 0.5
xwd -root -silent | convert xwd:- "$top/build/demo/screenshot.png"
echo "demo: screenshot in build/demo/screenshot.png"
wine taskkill /f /im autorun.exe >/dev/null 2>&1 || true
wait "$pid" 2>/dev/null || true
