#!/usr/bin/env bash
# Builds everything and runs every test: the portable tests natively (AddressSanitizer and
# UBSan), a bounded libFuzzer run of each reader of outside input, the Windows tests under Wine
# with the null graphics driver on the shipped 32-bit program where this machine runs 32-bit Wine
# (with the 64-bit variant's install test and the tests of what differs with the pointer size),
# else on the 64-bit build (QUILL_WINE_ROUTE=emulated asks for the 32-bit program under qemu-i386,
# see tools/wine-env.sh), and the tests about read-only files again as an unprivileged user.
# Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")" || exit 1

tools/bootstrap.sh || exit 1
source tools/wine-env.sh

step() { echo "== $*"; }
# Both builds' test servers: the 64-bit variant's tests have a prefix (and server) of their own.
stop_servers() {
  quill_stop_server
  (export QUILL_WINE_ROUTE=64-bit; source tools/wine-env.sh; quill_use_prefix test; quill_stop_server)
}
fail() { echo "test.sh: $*" >&2; stop_servers; exit 1; }

step "building the portable library and its tests (native, sanitizers)"
cmake --preset native-asan >/dev/null || fail "configure native-asan failed"
cmake --build --preset native-asan || fail "native build failed"

step "building the 32-bit program and its tests"
cmake --preset mingw-i686 >/dev/null || fail "configure mingw-i686 failed"
cmake --build --preset mingw-i686 || fail "32-bit build failed"

tools/check-exe.sh build/mingw-i686/Quillmark.exe || fail "the 32-bit program is not self-contained"

step "building the 64-bit variant and its tests"
cmake --preset mingw-x86_64 >/dev/null || fail "configure mingw-x86_64 failed"
cmake --build --preset mingw-x86_64 || fail "64-bit build failed"

step "building the release packages (installers, portable zip)"
tools/package.sh || fail "packaging failed"

step "preparing the Wine test prefix"
quill_make_prefix test null
quill_use_prefix test
quill_start_server

pointer_size_tests='^(Install\.|UpdateChecker|MessageBox|SkinMenu|SupportCommands|MainDlgTest)'

status=0
step "portable tests (native)"
ctest --preset native-asan --timeout 120 -j2 || status=1
tools/check-links.sh || status=1   # every relative link in the Markdown files names a file that exists
tools/check-layers.sh || status=1  # no include in src/ reaches up a layer
step "the code's layout (.clang-format) and shell scripts (shellcheck, warnings and errors)"
# shellcheck disable=SC2046 # one word per file: no file name holds a space
clang-format --dry-run -Werror $(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'tools/*.cpp' 'tools/*.h') || status=1
# shellcheck disable=SC2046 # one word per script: no script name holds a space
shellcheck -S warning $(git ls-files '*.sh') .ci/run || status=1
step "fuzzing the readers of files and texts from outside (libFuzzer, 20 s each)"
tools/run-fuzzers.sh 20 || status=1
# The tests run in the build that this machine's Wine can execute (see tools/wine-env.sh).
step "Windows tests: $(quill_route_line), build/$QUILL_PRESET"
# Every window the tests open starts the automatic update check; it goes to a closed local port
# and fails at once instead of reaching out to the vendor's server.
export QUILLMARK_UPDATE_URL=http://127.0.0.1:1/
# A test is tried a second time only when its first run failed: rarely a Wine process dies at
# start-up, before it prints anything. A test that fails twice fails the run.
if [ "$QUILL_WINE_ROUTE" = emulated ]; then
  # Emulated, every process start costs seconds, so the gtest programs run one process per
  # suite rather than ctest's one per test; ctest runs the tests that are scripts.
  export TZ=UTC
  tools/run-suites.sh "build/$QUILL_PRESET/portable_tests.exe" || status=1
  tools/run-suites.sh "build/$QUILL_PRESET/win_tests.exe" || status=1
  ctest --test-dir "build/$QUILL_PRESET" --output-on-failure --timeout 300 --repeat until-pass:2 \
    -R '^(CrossProcess\.ExitQuestion|Install\.SilentInstallAndUninstall|SummaryProperties\.IndependentReader)$' || status=1
else
  TZ=UTC ctest --test-dir "build/$QUILL_PRESET" --output-on-failure --timeout 120 --repeat until-pass:2 || status=1
fi
if [ "$QUILL_PRESET" = mingw-i686 ]; then
  # The 64-bit variant is the same sources; what can differ is what depends on the pointer size:
  # the installer and the program it installs, the installer the update check picks for the
  # running build, window and dialog procedures with their pointer-sized slots, menus, and the
  # calling convention of the mail DLL's entry points.
  step "the 64-bit variant: install test and the tests of what differs with the pointer size"
  TZ=UTC ctest --test-dir build/mingw-x86_64 --output-on-failure --timeout 120 --repeat until-pass:2 \
    -R "$pointer_size_tests" || status=1
fi
step "read-only files, denied access, unwritable folders (Wine as an unprivileged user)"
tools/unprivileged-lane.sh "build/$QUILL_PRESET/win_tests.exe" || status=1

stop_servers
exit $status
