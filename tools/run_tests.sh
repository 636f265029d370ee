#!/usr/bin/env bash
# Runs ctest in each test build directory given, all of them even when one
# fails; exits non-zero if any failed. Meant to run inside tools/harness.sh.
set -uo pipefail

rc=0
start=$(date +%s)
for dir in "$@"; do
  echo "== $(basename "$dir")"
  ctest --test-dir "$dir" --output-on-failure -j2 || rc=1
done
echo "== suite wall time: $(( $(date +%s) - start )) s"
exit $rc
