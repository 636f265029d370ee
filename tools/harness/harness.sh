#!/usr/bin/env bash
# Runs a command with the test platform up: a private Wine prefix under the
# build tree (when installed, in ~/.cache/autorun), a persistent wineserver, and Xvfb when there is no DISPLAY.
# Stops what it started (by PID, and the wineserver of its prefix) when the
# command ends, whatever its outcome; the command's exit code is returned.
#
#   tools/harness/harness.sh COMMAND [ARGS...]
#
# Inside, AUTORUN_HARNESS=1 and WINEPREFIX, DISPLAY, WINEDEBUG are set; a
# nested call runs its command directly in the running harness. The prefix
# has two CD-ROM drives, D: and E:, on folders of its own, and the fonts of
# every language the disc's launcher speaks. AUTORUN_LOCALES is a folder of
# their locales: a program started with LOCPATH set to it and LC_ALL to one
# of them (de_DE.UTF-8, ja_JP.UTF-8, ...) runs as on a Windows of that
# language.
set -euo pipefail
[[ ${1:-} != -h && ${1:-} != --help ]] || { sed -n '2,/^set -/{/^set -/d;s/^# \{0,1\}//;p}' "$0"; exit 0; }

top=$(cd "$(dirname "$0")/../.." && pwd)
# What it keeps between runs: under the build tree of a checkout, or in the
# user's cache where make install put it.
state="$top/build"
[ -f "$top/Makefile" ] || state="${XDG_CACHE_HOME:-$HOME/.cache}/autorun"
if [ "${AUTORUN_HARNESS:-}" = 1 ]; then
  [ "${1:-}" = wine ] || exec "$@"
  # Now and then, under load, Wine fails to start a program at all ("could
  # not be started ... ShellExecuteEx failed"). Nothing of the program ran,
  # so it is started once more, and the log says so.
  err=$(mktemp)
  for attempt in 1 2; do
    rc=0
    # Wine writes that message to either stream: keep both, in order.
    "$@" >"$err" 2>&1 || rc=$?
    cat "$err"
    if [ "$rc" -ne 0 ] && [ "$attempt" = 1 ] && grep -q "Application could not be started" "$err"; then
      echo "harness: Wine could not start $2; starting it again" >&2
      sleep 1
      continue
    fi
    break
  done
  rm -f "$err"
  exit "$rc"
fi

# AUTORUN_ARCH names the target whose programs run here: i686, the shipped
# one, unless the kernel is built without 32-bit user space (ia32 emulation
# off). Then Wine's 32-bit loader cannot start, and the wine script, which
# always prefers it, fails for every program: 64-bit programs run through
# the 64-bit loader and AUTORUN_ARCH is x86_64.
export AUTORUN_ARCH=i686
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  shim="$state/wine64-only"
  mkdir -p "$shim"
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/$name"
    chmod +x "$shim/$name"
  done
  export PATH="$shim:$PATH"
  AUTORUN_ARCH=x86_64
  echo "harness: this machine cannot execute 32-bit programs; only 64-bit ones run under Wine" >&2
fi

export WINEPREFIX="${AUTORUN_WINEPREFIX:-$state/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export AUTORUN_HARNESS=1

xvfb_pid=""
screen_pid=""
serving=""
stop() {
  [ -z "$screen_pid" ] || kill "$screen_pid" 2>/dev/null || true
  [ -z "$serving" ] || wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap stop EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 5 -screen 0 "${AUTORUN_SCREEN:-1024x768x24}" -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display <"$fifo" || { echo "harness: Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  export DISPLAY=":$display"
  export AUTORUN_OWN_DISPLAY=1
fi

# A prefix is reused while its stamp matches this Wine and this set-up. Only
# a prefix that this harness made (its stamp file says so, from the start)
# is ever made anew; any other folder, such as the user's own ~/.wine named
# in AUTORUN_WINEPREFIX, is left as it is.
stamp="$(wine --version) $(sha1sum "$0" | cut -c1-12)"
if [ "$(cat "$WINEPREFIX/.autorun-stamp" 2>/dev/null)" != "$stamp" ]; then
  if [ ! -f "$WINEPREFIX/.autorun-stamp" ] && [ -n "$(ls -A "$WINEPREFIX" 2>/dev/null)" ]; then
    echo "harness: $WINEPREFIX is not a prefix that the harness made: left as it is; name a new or empty folder" >&2
    exit 1
  fi
  serving=1
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  echo "made by the harness, not yet set up" >"$WINEPREFIX/.autorun-stamp"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Without a window manager Wine waits 2 s on every window destruction unless
  # it draws the frames itself; that also makes the frames look like Windows.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # No debugger for a program that crashes: it ends at once with its
  # exception code (0xC0000005, 5 to the shell), where Wine's debugger would
  # wait for a user who is not there. Both views, for 32- and 64-bit programs.
  for view in 32 64; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f /reg:$view >/dev/null 2>&1
  done
  wineserver -w
  # The user's folders link to the Unix home directory; make them plain folders
  # of the prefix, so that tests see and touch nothing outside it.
  find "$WINEPREFIX/drive_c/users" -maxdepth 2 -type l -exec sh -c 'rm "$1" && mkdir "$1"' _ {} \;
  # Two CD-ROM drives, D: and E:, each a folder under the prefix. Drive types
  # are read from the 64-bit view when the session starts.
  for drive in d e; do
    mkdir -p "$WINEPREFIX/drives/$drive"
    ln -sfn "$WINEPREFIX/drives/$drive" "$WINEPREFIX/dosdevices/$drive:"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$drive:" /d cdrom /f /reg:64 >/dev/null 2>&1
  done
  # Dialogs are laid out in the font they name, as on Windows: the prefix's
  # font list names Wine's own MS Sans Serif, but its Fonts folder lacks the
  # file, and Wine would take a wider substitute (DejaVu Sans, 7 pixels to
  # Windows' 6 a quarter dialog unit), making the splash 40 pixels wider.
  # Marlett draws the caption's close button; Tahoma stands in for the
  # shell's dialog font, which the Greek and Cyrillic dialogs name. Chinese,
  # Japanese and Korean come from fontconfig's list (fonts-wqy-microhei).
  cp /usr/share/wine/fonts/{sserife.fon,marlett.ttf,tahoma.ttf} "$WINEPREFIX/drive_c/windows/Fonts/" ||
    { echo "harness: Wine's fonts are missing (Debian package fonts-wine)" >&2; exit 1; }
  wineserver -w
  [ "$AUTORUN_ARCH" != i686 ] || [ -d "$WINEPREFIX/drive_c/windows/syswow64" ] ||
    { echo "harness: prefix cannot run 32-bit programs" >&2; exit 1; }
  echo "$stamp" >"$WINEPREFIX/.autorun-stamp"
fi

# Wine takes the user's language from LC_MESSAGES and the code page from
# LC_CTYPE, and only where the machine has the locale: they are generated from
# Debian's sources (package locales) into the build tree, once.
export AUTORUN_LOCALES="$state/locales"
mkdir -p "$AUTORUN_LOCALES"
export LOCPATH="$AUTORUN_LOCALES"
for locale in de_DE fr_FR es_ES it_IT pt_BR nl_NL pl_PL cs_CZ sv_SE da_DK nb_NO fi_FI hu_HU tr_TR el_GR ru_RU \
  uk_UA ja_JP zh_CN zh_TW ko_KR en_GB en_US; do
  [ -d "$AUTORUN_LOCALES/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$AUTORUN_LOCALES/$locale.UTF-8" ||
    { echo "harness: cannot make the locale $locale.UTF-8 (Debian package locales)" >&2; exit 1; }
done

# Every run starts with empty discs: a program that an earlier run left
# hanging could keep its folder there, which a later test may want to make.
rm -rf "$WINEPREFIX"/drives/d/* "$WINEPREFIX"/drives/e/*

# Screenshots for the tests: a program under Wine cannot see other programs'
# pixels, so it asks here. For each NAME.request in the folder, the screen
# goes to NAME.rgb (3 bytes a pixel, rows from the top), written aside and
# renamed when complete.
export AUTORUN_SCREEN_DIR="$WINEPREFIX/screen"
mkdir -p "$AUTORUN_SCREEN_DIR"
(
  while sleep 0.05; do
    for request in "$AUTORUN_SCREEN_DIR"/*.request; do
      [ -e "$request" ] || continue
      shot="${request%.request}.rgb"
      xwd -root -silent | convert xwd:- -depth 8 "rgb:$shot.part" && mv "$shot.part" "$shot"
      rm -f "$request"
    done
  done
) &
screen_pid=$!

serving=1
wineserver -p
# Start the session's services and desktop now: started by the first test,
# they would inherit its output pipe and hold it open, and ctest would wait.
wineboot >/dev/null 2>&1 </dev/null
set +e
"$@"
rc=$?
set -e
exit $rc
