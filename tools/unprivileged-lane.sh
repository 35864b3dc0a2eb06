#!/usr/bin/env bash
# Runs the Windows tests about read-only files, denied access and unwritable folders as an
# unprivileged user. Wine run by root ignores the read-only bit (root may write any file), so
# those tests only mean something for an ordinary user.
#
#   tools/unprivileged-lane.sh WIN_TESTS_EXE [GTEST_FILTER]
#
# The filter defaults to every suite named "...Permissions". The user (quilltest) and its own
# Wine prefix are created on first use. The test executable is copied into a folder the user
# owns, since the source tree may sit where the user cannot reach it. In this lane a test that
# finds the read-only bit not enforced fails instead of skipping.
set -uo pipefail

exe=${1:?usage: unprivileged-lane.sh WIN_TESTS_EXE [GTEST_FILTER]}
filter=${2:-*Permissions.*}
tools=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
user=quilltest
home=/var/lib/$user

if [ "$(id -u)" -ne 0 ]; then
  echo "unprivileged lane: not root, so the ordinary test run was already unprivileged; nothing more to run"
  exit 0
fi
if ! id "$user" >/dev/null 2>&1; then
  useradd --system --create-home --home-dir "$home" --shell /usr/sbin/nologin "$user" ||
    { echo "unprivileged lane: could not create the user $user" >&2; exit 1; }
fi
mkdir -p "$home/lane/tools"
cp "$exe" "$home/lane/win_tests.exe" || exit 1
cp "$tools/wine-env.sh" "$tools/run32.sh" "$home/lane/tools/"
# The emulator too, when this run's Wine is the emulated 32-bit one: the user must be able to read
# it to register it in the namespace of its own.
if [ "${QUILL_WINE_ROUTE:-}" = emulated ]; then
  mkdir -p "$home/lane/.cache"
  cp "${QUILL_QEMU:-$tools/../.cache/qemu-i386}" "$home/lane/.cache/qemu-i386" || exit 1
fi
chown -R "$user:" "$home"

# The user's own wineserver: stopped when the lane ends, whatever the outcome.
as_user() {
  runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$home" USER="$user" TZ=UTC \
    QUILL_PREFIX_ROOT="$home/prefixes" QUILL_UNPRIVILEGED_LANE=1 \
    ${QUILL_WINE_ROUTE:+QUILL_WINE_ROUTE="$QUILL_WINE_ROUTE"} bash -c "$1"
}
trap 'as_user "source tools/wine-env.sh; quill_use_prefix test; quill_stop_server" 2>/dev/null' EXIT
cd "$home/lane" || exit 1

output=$(as_user '
  cd "$HOME/lane" && source tools/wine-env.sh || exit 1
  quill_make_prefix test null >/dev/null || exit 1
  quill_use_prefix test
  quill_start_server
  "$QUILL_WINE" win_tests.exe --gtest_filter="'"$filter"'" 2>&1
')
status=$?
echo "$output"
if [ $status -eq 0 ] && ! grep -q '^\[  PASSED  \] [1-9]' <<<"$output"; then
  echo "unprivileged lane: no test ran" >&2
  status=1
fi
exit $status
