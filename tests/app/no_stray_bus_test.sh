#!/usr/bin/env bash
# Started without any session bus, as from a bare X session, the program runs, quits and leaves
# no process behind: the D-Bus library would otherwise start a bus daemon through dbus-launch
# that outlives it. Every process the program starts inherits a mark in its environment, which
# is how the script finds them among everybody else's.
# Usage: no_stray_bus_test.sh <program>   (exit 77: skipped)
set -euo pipefail
program=$1
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
mark="tempyra-$$-$RANDOM$RANDOM"
app= xvfb=
marked() { grep -lsz "^TEMPYRA_TEST_MARK=$mark\$" /proc/[0-9]*/environ | cut -d/ -f3 || true; }
cleanup() {
  for pid in $(marked) $app $xvfb; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Polls `condition` every 0.2 s for up to `seconds`.
waitUntil() {
  local seconds=$1; shift
  for ((i = 0; i < seconds * 5; i++)); do
    "$@" && return 0
    sleep 0.2
  done
  return 1
}

Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>"$work/display" 2>/dev/null &
xvfb=$!
waitUntil 20 test -s "$work/display" || { echo "Xvfb did not start"; exit 1; }
display=":$(cat "$work/display")"

mkdir -p "$work/home"
# Under the sanitizers: the X11 keyboard library hands strndup a string without its terminating
# NUL (it passes the length), which strict string checks take for an overflow.
env -i PATH=/usr/bin:/bin HOME="$work/home" DISPLAY="$display" TEMPYRA_TEST_MARK="$mark" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:strict_string_checks=0" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
  UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" "$program" >"$work/log" 2>&1 &
app=$!

# Without a tray host the dashboard opens; by then every service has looked for its bus.
if ! waitUntil 45 env DISPLAY="$display" xdotool search --name '^Tempyra$' >/dev/null; then
  echo "the window did not appear"; cat "$work/log"; exit 1
fi
kill -0 "$app" || { echo "the program ended early"; cat "$work/log"; exit 1; }
kill -TERM "$app"
wait "$app" 2>/dev/null || true
app=

sleep 1
left=$(marked)
if [[ -n $left ]]; then
  echo "left running after quitting:"
  for pid in $left; do tr '\0' ' ' <"/proc/$pid/cmdline"; echo; done
  exit 1
fi
echo "no process left behind"
