#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and UBSan) and runs each for a bounded
# time from its seed corpus in tests/fuzz/corpus/<target>. Any crash, leak or sanitizer report
# fails the run; the input that found it is left in build/native-fuzz/findings/.
# Usage: tools/run-fuzzers.sh [seconds per target, default 20]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
seconds=${1:-20}

cmake --preset native-fuzz >/dev/null || exit 1
targets=$(sed -n 's/^ *foreach(fuzzer \(.*\))$/\1/p' CMakeLists.txt)
cmake --build build/native-fuzz --target $targets || exit 1

findings=build/native-fuzz/findings
mkdir -p "$findings"
status=0
for target in $targets; do
  # The corpus grows while fuzzing: work on a copy so the repository's seeds stay as they are.
  work=$(mktemp -d)
  cp -r "tests/fuzz/corpus/$target/." "$work/" 2>/dev/null || true
  echo "fuzzing $target for ${seconds}s"
  if ! "build/native-fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 \
      -artifact_prefix="$findings/$target-" -print_final_stats=0 "$work" >"$findings/$target.log" 2>&1; then
    echo "run-fuzzers: $target found a fault; see $findings/$target.log" >&2
    tail -n 30 "$findings/$target.log" >&2
    status=1
  fi
  rm -rf "$work"
done
exit $status
