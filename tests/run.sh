#!/usr/bin/env bash
# Runs ctest in each test build directory given, all of them even when one
# fails; exits non-zero if any failed. Meant to run inside tools/harness/harness.sh.
# AUTORUN_TESTS_ONLY, when set, is a ctest -R pattern of the tests to run;
# AUTORUN_TESTS_LABEL a label of the tests to run (every-language: the
# launcher in each of its languages), without it those labelled are left.
set -uo pipefail
[[ ${1:-} != -h && ${1:-} != --help ]] || { sed -n '2,/^set -/{/^set -/d;s/^# \{0,1\}//;p}' "$0"; exit 0; }

rc=0
start=$(date +%s)
for dir in "$@"; do
  # Without 32-bit user space (see harness.sh) the i686 suite cannot run: say
  # so loudly. The build has checked the launcher's size and imports.
  if [ "${AUTORUN_ARCH:-i686}" != i686 ] && [[ $(basename "$dir") == *i686* ]]; then
    echo "== $(basename "$dir"): NOT RUN: this machine cannot execute 32-bit programs" \
      "(kernel without ia32 emulation)"
    continue
  fi
  echo "== $(basename "$dir")"
  ctest --test-dir "$dir" --output-on-failure ${AUTORUN_TESTS_ONLY:+-R "$AUTORUN_TESTS_ONLY"} \
    ${AUTORUN_TESTS_LABEL:+-L "$AUTORUN_TESTS_LABEL"} ${AUTORUN_TESTS_LABEL:--LE every-language} || rc=1
done
echo "== suite wall time: $(( $(date +%s) - start )) s"
exit $rc
