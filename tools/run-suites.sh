#!/usr/bin/env bash
# Runs a gtest program under Wine one test suite per process, where ctest would start one process
# per test: with Wine emulated every process start costs seconds (the loader, the desktop
# process), so this is how ./test.sh runs the Windows tests on the emulated route.
#
#   tools/run-suites.sh TEST_EXE [GTEST_FILTER]
#
# A suite that fails is run once more: rarely a Wine process dies at start-up, before it prints
# anything. One that fails twice fails the run; the failed suites are named at the end.
set -uo pipefail
exe=${1:?usage: run-suites.sh TEST_EXE [GTEST_FILTER]}
filter=${2:-*}
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Suite names are the unindented lines of --gtest_list_tests ("Suite." or "Prefix/Suite.").
suites=$("$tools/run-wine.sh" "$exe" --gtest_list_tests --gtest_filter="$filter" </dev/null 2>/dev/null |
  tr -d '\r' | sed -n 's/^\([^ #][^ ]*\.\)\( .*\)\{0,1\}$/\1/p')
[ -n "$suites" ] || { echo "run-suites: $exe lists no tests" >&2; exit 1; }

failed=()
total=0
for suite in $suites; do
  start=$(date +%s)
  for attempt in 1 2; do
    output=$("$tools/run-wine.sh" "$exe" --gtest_filter="${suite}*" </dev/null 2>&1 | tr -d '\r')
    status=${PIPESTATUS[0]}
    [ "$status" -eq 0 ] && grep -q '^\[  PASSED  \]' <<<"$output" && break
    status=1
    [ $attempt -eq 1 ] && echo "run-suites: ${suite%.} failed; running it once more"
  done
  passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' <<<"$output")
  total=$((total + ${passed:-0}))
  if [ "$status" -ne 0 ]; then
    echo "$output"
    failed+=("${suite%.}")
    echo "run-suites: ${suite%.} FAILED ($(($(date +%s) - start)) s)"
  else
    echo "run-suites: ${suite%.} passed, ${passed:-0} tests ($(($(date +%s) - start)) s)"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "run-suites: $total tests passed; failed suites: ${failed[*]}" >&2
  exit 1
fi
echo "run-suites: all $total tests passed"
