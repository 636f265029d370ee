#!/usr/bin/env bash
# The demo: the demo product's disc image made by make-disc, its contents put
# on the CD-ROM drive D: of the harness's Wine prefix, and the launcher run
# from there with the switches of the image's autorun.inf, through the demo
# player (tools/harness/driver/play_demo.cpp). On your display you use it yourself.
# On a screen of its own (the harness's Xvfb) the player plays the whole
# story, the real installer included, says each step and leaves a
# screenshot of each in build/demo/, and one of the dialog in each language
# in build/demo/languages/.
#
#   demo/play.sh BUILD_DIR      (inside tools/harness/harness.sh; BUILD_DIR as make build
#                                 leaves it, holding i686/ and x86_64/)
set -euo pipefail
[[ ${1:-} != -h && ${1:-} != --help ]] || { sed -n '2,/^set -/{/^set -/d;s/^# \{0,1\}//;p}' "$0"; exit 0; }

top=$(cd "$(dirname "$0")/.." && pwd)
# The shipped launcher is the 32-bit one; a machine that cannot run 32-bit
# programs (see harness.sh) shows the 64-bit build of the same code.
build=$(realpath "$1")/$AUTORUN_ARCH
[ "$AUTORUN_ARCH" = i686 ] || echo "demo: this machine cannot run 32-bit programs: showing the x86_64 launcher" >&2
out="$top/build/demo"
rm -rf "$out"
mkdir -p "$out"
"$top/demo/disc.sh" "$build" "$out/talvik-demo.iso"

# The installer is started from the root of the drive.
disc="$WINEPREFIX/drives/d"
rm -rf "${disc:?}"/*
xorriso -osirrox on -indev "$out/talvik-demo.iso" -extract / "$disc" 2>/dev/null
chmod -R u+w "$disc"
# autorun.inf is UTF-16 when a value is beyond ASCII, as the demo's label is.
open=$(iconv -f UTF-16 -t UTF-8 "$disc/autorun.inf" | sed -n 's/^open=//p' | tr -d '\r')
echo "demo: D:\\ holds the image's contents; $open"

player=("$build/play_demo.exe")
if [ "${AUTORUN_OWN_DISPLAY:-}" != 1 ]; then
  wine "${player[@]}" 'D:\autorun.exe' 'D:\' "${open#autorun.exe }"
  exit 0
fi
rc=0
# The story takes seconds; a hang would otherwise keep make demo waiting.
timeout 300 wine "${player[@]}" --story 'D:\autorun.exe' 'D:\' "${open#autorun.exe }" "Z:$out" || rc=$?
[ "$rc" != 124 ] || echo "demo: the story did not end within 300 s" >&2
size=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*x[0-9]*\) pixels.*/\1/p')
for shot in "$out"/*.rgb; do
  convert -size "$size" -depth 8 "rgb:$shot" "${shot%.rgb}.png"
  rm -f "$shot"
done
# The dialog as its user first sees it, alone: the README shows it (doc/demo.png).
convert "$out/1-install.png" -trim +repage "$out/dialog.png"
echo "demo: screenshots in build/demo/: $(cd "$out" && ls *.png | tr '\n' ' ')"
# The dialog as a user of each language sees it, in the locales the harness
# made (build/demo/languages/de_DE.png, ...; doc/languages.png shows a few).
mkdir -p "$out/languages"
for locale in "$AUTORUN_LOCALES"/*; do
  shot="$out/languages/$(basename "$locale" .UTF-8)"
  LC_ALL=$(basename "$locale") timeout 60 wine "${player[@]}" 'D:\autorun.exe' 'D:\' "${open#autorun.exe }" \
    "Z:$shot.rgb" >/dev/null || { echo "demo: the dialog in $(basename "$locale") was not shown" >&2 && rc=1; }
  [ ! -f "$shot.rgb" ] || convert -size "$size" -depth 8 "rgb:$shot.rgb" -trim +repage "$shot.png"
  rm -f "$shot.rgb"
done
echo "demo: the dialog in each language in build/demo/languages/: $(cd "$out/languages" && ls | tr '\n' ' ')"
exit $rc
