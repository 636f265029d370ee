#!/usr/bin/env bash
# Runs ctest in each test build directory given, all of them even when one
# fails; exits non-zero if any failed. Meant to run inside tools/harness.sh.
# One test at a time: with two at once, Wine now and then failed to create a
# process at all (seen about once in 750 starts).
#
# The SmallScreen tests make desktops of other sizes, and Wine then reports
# the last such size as the screen's to every later program of the session.
# They run last, each in a fresh session.
#
# The WithoutCdrom tests need a machine without CD-ROM drives: after those,
# D: and E: become hard disks for a session of their own, and the tests see
# AUTORUN_NO_CDROM=1 there only.
set -uo pipefail

restart_session() {
  wineserver -k
  wineserver -p
  wineboot >/dev/null 2>&1 </dev/null
}

# Sets the type of the prefix's drives D: and E: (cdrom or hd); it takes
# effect when the session restarts.
set_drive_type() {
  local drive
  for drive in d e; do
    wine reg add 'HKLM\Software\Wine\Drives' /v "$drive:" /d "$1" /f /reg:64 >/dev/null 2>&1 ||
      { echo "run_tests: cannot make $drive: a drive of type $1" >&2; rc=1; }
  done
}

# Runs a command in a session on an Xvfb screen of the given geometry, then
# returns to the session on the harness's screen.
with_screen() {
  local geometry=$1 fifo xvfb display saved=$DISPLAY
  shift
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 5 -screen 0 "$geometry" -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
  xvfb=$!
  if read -r -t 20 display <"$fifo"; then
    wineserver -k
    export DISPLAY=":$display"
    restart_session
    "$@"
  else
    echo "run_tests: no Xvfb of $geometry" >&2
    rc=1
  fi
  rm -f "$fifo"
  wineserver -k
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  export DISPLAY=$saved
  restart_session
}

rc=0
passed=0
failed=0
# Runs ctest with the given arguments and adds its counts to the totals.
run_ctest() {
  local log
  log=$(mktemp)
  ctest --output-on-failure "$@" | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || rc=1
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  else
    rc=1
  fi
}

# Without 32-bit user space (see harness.sh) the i686 suite cannot run: say so
# loudly, and check what can be checked without running it: the shipped
# launcher's size and the DLLs it imports.
check_unrunnable() {
  local exe size imports
  exe=$(sed -n 's/^AUTORUN_EXE:FILEPATH=//p' "$1/CMakeCache.txt")
  echo "== $(basename "$1"): NOT RUN: this machine cannot execute 32-bit programs" \
    "(kernel without ia32 emulation); $exe is checked statically only"
  size=$(stat -c %s "$exe")
  imports=$(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr a-z A-Z | sort | tr '\n' ' ')
  echo "$exe: $size bytes; imports $imports"
  [ "$size" -le 65536 ] || { echo "run_tests: $exe is over 65,536 bytes" >&2; rc=1; }
  [ "$imports" = "ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL SHELL32.DLL USER32.DLL " ] ||
    { echo "run_tests: $exe imports other DLLs" >&2; rc=1; }
}
if [ -n "${AUTORUN_NO_32BIT:-}" ]; then
  dirs=()
  for dir in "$@"; do
    case $(basename "$dir") in
      *i686*) check_unrunnable "$dir" ;;
      *) dirs+=("$dir") ;;
    esac
  done
  set -- "${dirs[@]}"
fi

start=$(date +%s)
for dir in "$@"; do
  echo "== $(basename "$dir")"
  run_ctest --test-dir "$dir" -E 'SmallScreen|WithoutCdrom|PaletteDevice'
done
for dir in "$@"; do
  echo "== $(basename "$dir"): screens of other sizes"
  # Each in a session of its own: a desktop made after another may still get
  # the other's size.
  for number in $(ctest --test-dir "$dir" -N -R SmallScreen | sed -n 's/^ *Test *#\([0-9]*\):.*/\1/p'); do
    restart_session
    run_ctest --test-dir "$dir" -I "$number,$number"
  done
  restart_session
done
# Leave the prefix with its CD-ROM drives whatever happens.
trap 'set_drive_type cdrom; restart_session' EXIT
set_drive_type hd
restart_session
for dir in "$@"; do
  echo "== $(basename "$dir"): no CD-ROM drive"
  AUTORUN_NO_CDROM=1 run_ctest --test-dir "$dir" -R WithoutCdrom
done
set_drive_type cdrom
restart_session
trap - EXIT

# A palette device: an 8-bit screen of its own for one more session.
for dir in "$@"; do
  echo "== $(basename "$dir"): 8-bit screen"
  AUTORUN_PALETTE_DEVICE=1 with_screen 1024x768x8 run_ctest --test-dir "$dir" -R PaletteDevice
done
echo "== suite wall time: $(( $(date +%s) - start )) s"
echo "tests: $passed passed, $failed failed"
exit $rc
