#!/usr/bin/env bash
# Runs one end-to-end script in a Wayland session of its own: headless sway with
# swaybar as the notification area (StatusNotifierItem), a private session bus and
# a stand-in Screenshot portal (session.sh sets it up). sway refuses to run as
# root, so under root everything runs as a throwaway user made here; the program
# and the scripts are copied to a folder that user owns, since the build tree may
# lie in a folder only root can enter. Exits 77 (skipped) when a tool is missing.
set -u
script="$1"
: "${ORVANE_BIN:?ORVANE_BIN must name the orvane binary}"
here="$(cd "$(dirname "$0")" && pwd)"
skip() { echo "SKIPPED: $*"; exit 77; }

for tool in sway swaybar swaymsg grim wtype dbus-daemon jq; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x "${VPOINTER_BIN:-}" ] || skip "the test pointer was not built (libwayland-dev missing)"
[ -x "${FAKE_PORTAL_BIN:-}" ] || skip "the stand-in portal was not built"

# Under root the folder lies in /tmp, which the session's user can enter (TMPDIR
# may name a folder of root's).
tmp="${TMPDIR:-/tmp}"
[ "$(id -u)" -eq 0 ] && tmp=/tmp
work="$(mktemp -d "$tmp/orvane-sway.XXXXXX")"
cleanup() { [ "${E2E_KEEP:-0}" = 1 ] && echo "kept: $work" || rm -rf "$work"; }
trap cleanup EXIT
mkdir -p "$work/bin" "$work/src/tests/e2e/sway" "$work/src/resources"
cp "$ORVANE_BIN" "$work/bin/orvane"
cp "$VPOINTER_BIN" "$work/bin/vpointer"
cp "$FAKE_PORTAL_BIN" "$work/bin/fake_portal"
cp "$here"/*.sh "$work/src/tests/e2e/sway/"
cp "$here/../lib.sh" "$here/../private-bus.sh" "$work/src/tests/e2e/"
cp -r "${ORVANE_SOURCE_DIR:-$here/../../..}/resources/sample" "$work/src/resources/"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
    user=orvane-e2e
    command -v runuser >/dev/null || skip "runuser is not installed"
    # Made once; two sets starting together may both try, and one finds it made.
    if ! id "$user" >/dev/null 2>&1; then
        useradd --system --user-group --no-create-home --home-dir /nonexistent \
            --shell /usr/sbin/nologin "$user" 2>/dev/null || id "$user" >/dev/null 2>&1 ||
            { echo "FAIL: cannot make the user $user"; exit 1; }
    fi
    chown -R "$user:" "$work"
    as_user=(runuser -u "$user" --)
fi
# The session starts from a clean environment: nothing of the caller's display or bus.
"${as_user[@]}" env -i PATH="$PATH" LANG="${LANG:-C.UTF-8}" E2E_WORK="$work" \
    ORVANE_BIN="$work/bin/orvane" VPOINTER="$work/bin/vpointer" \
    FAKE_PORTAL="$work/bin/fake_portal" ORVANE_SOURCE_DIR="$work/src" \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
    bash "$work/src/tests/e2e/sway/session.sh" "$work/src/tests/e2e/sway/$(basename "$script")"
