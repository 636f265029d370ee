#!/usr/bin/env bash
# Runs ctest in each test build directory given, all of them even when one
# fails; exits non-zero if any failed. Meant to run inside tools/harness.sh.
# AUTORUN_TESTS_ONLY, when set, is a ctest -R pattern of the tests to run.
set -uo pipefail

rc=0
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

start=$(date +%s)
for dir in "$@"; do
  if [ -n "${AUTORUN_NO_32BIT:-}" ] && [[ $(basename "$dir") == *i686* ]]; then
    check_unrunnable "$dir"
    continue
  fi
  echo "== $(basename "$dir")"
  ctest --test-dir "$dir" --output-on-failure ${AUTORUN_TESTS_ONLY:+-R "$AUTORUN_TESTS_ONLY"} || rc=1
done
echo "== suite wall time: $(( $(date +%s) - start )) s"
exit $rc
