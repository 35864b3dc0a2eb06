#!/usr/bin/env bash
# Builds the benchmarks and runs each under Wine in a quiet prefix of its own. Every benchmark
# prints lines of the form "name N=... ratio=... ours_s=... bare_s=... ours_us_per_file=...": the
# ratio of our time to that of the bare platform calls, both measured in the same run, and our
# time per file, to compare across sizes. Add Folder also prints the process's peak working set.
# The sizes are 20,000 and 100,000 files (about 45 minutes in all under Wine);
# QUILL_BENCH_SIZES=2000,20000 measures others. Last, MemoryBench measures the memory of Add
# Folder, Apply and Undo and of the report pane, each size in a process of its own, at
# QUILL_BENCH_MEMORY_SIZES (100,000 files unless given; 1,000,000 takes about an hour and a peak
# near 3.7 GB).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

# Always the 64-bit build in a 64-bit prefix: where 32-bit Wine runs only under an emulated CPU
# its times would say nothing of the program's speed, and the 64-bit build's memory, with its
# larger pointers, is the upper bound of the 32-bit program's.
export QUILL_WINE_ROUTE=64-bit
source tools/wine-env.sh

# The benchmark programs, in the order they run (targets of bench/CMakeLists.txt).
BENCHES=(
  AddFolderBench
  FilterBench
  ApplyUndoBench
)

fail() { echo "bench/run.sh: $*" >&2; quill_stop_server; exit 1; }

cmake --preset "$QUILL_PRESET" >/dev/null || fail "configure $QUILL_PRESET failed"
memory_sizes=${QUILL_BENCH_MEMORY_SIZES:-100000}
cmake --build --preset "$QUILL_PRESET" --target "${BENCHES[@]}" MemoryBench >&2 || fail "build failed"

quill_make_prefix bench null || fail "no Wine prefix"
quill_use_prefix bench
quill_start_server

# The folders of small files are made here, outside Wine: Wine checks every new name against the
# whole folder, so making 100,000 files from inside takes about half an hour. The benchmarks find
# them through QUILL_BENCH_FOLDERS and leave them as they found them.
prepared="$WINEPREFIX/drive_c/quill-bench-files"
rm -rf "$prepared"
python3 - "$prepared" "${QUILL_BENCH_SIZES:-20000,100000},$memory_sizes" <<'PY' || fail "cannot prepare the bench folders"
import os, sys
root, sizes = sys.argv[1], sys.argv[2]
for size in sorted({int(size) for size in sizes.split(",")}):
    folder = os.path.join(root, str(size))
    os.makedirs(folder)
    for i in range(int(size)):
        with open(os.path.join(folder, "file%06d.txt" % i), "wb") as f:
            f.write(b"quill bench file\r\n")
PY
export QUILL_BENCH_FOLDERS='C:\quill-bench-files'

status=0
for bench in "${BENCHES[@]}"; do
  exe="build/$QUILL_PRESET/bench/$bench.exe"
  [ -f "$exe" ] || exe="build/$QUILL_PRESET/$bench.exe"
  if ! TZ=UTC "$QUILL_WINE" "$exe" </dev/null | tr -d '\r'; then
    echo "bench/run.sh: $bench failed" >&2
    status=1
  fi
done

memory_exe="build/$QUILL_PRESET/bench/MemoryBench.exe"
[ -f "$memory_exe" ] || memory_exe="build/$QUILL_PRESET/MemoryBench.exe"
for size in ${memory_sizes//,/ }; do
  for mode in list pane; do
    args=()
    [ "$mode" = pane ] && args=(--pane)
    if ! QUILL_BENCH_SIZES=$size TZ=UTC "$QUILL_WINE" "$memory_exe" "${args[@]}" </dev/null | tr -d '\r'; then
      echo "bench/run.sh: MemoryBench ($mode) at $size failed" >&2
      status=1
    fi
  done
done

rm -rf "$prepared"
quill_stop_server
exit $status
