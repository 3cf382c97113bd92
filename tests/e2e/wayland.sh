#!/usr/bin/env bash
# A Wayland session: the program runs as a Wayland client of weston (its X11 backend nested in
# Xvfb, which gives the session a real seat with a keyboard) for ten seconds. A StatusNotifier
# host clicks the tray item, which opens the popover as an ordinary window; a second launch
# then shows the first one's dashboard and exits 0; the program is still running at the end.
# The client's Wayland log tells which windows it made: the dashboard asks for its minimum
# size of 1000 x 700.
# Usage: wayland.sh PROGRAM SNI-HOST
source "$(dirname "$0")/lib.sh"
host=$2
command -v weston >/dev/null || { echo "$script: skipped (weston is missing)"; exit 77; }
ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1 ||
  { echo "$script: skipped (Qt's Wayland platform, qt6-wayland, is missing)"; exit 77; }
start_display
start_bus
skip_onboarding

socket=wayland-tempyra
XDG_RUNTIME_DIR=$home weston --backend=x11-backend.so --socket=$socket --width=1200 \
  --height=860 --idle-time=0 >"$home/weston.log" 2>&1 &
started+=($!)
wait_for "weston" test -S "$home/$socket"

DBUS_SESSION_BUS_ADDRESS=$bus QT_QPA_PLATFORM=offscreen "$host" >"$home/host.log" 2>&1 &
started+=($!)
wait_for "the StatusNotifier host" grep -q '^ready' "$home/host.log"

# Only the Wayland display: nothing may fall back to X11.
launch_wayland() {
  env -i PATH="$PATH" HOME="$home" LANG=C.UTF-8 XDG_CONFIG_HOME="$home/.config" \
    XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" DBUS_SESSION_BUS_ADDRESS="$bus" \
    WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland QT_QUICK_BACKEND=software "$@" "$app"
}
began=$(date +%s)
launch_wayland WAYLAND_DEBUG=client >"$home/app.log" 2>&1 &
app_job=$!
started+=("$app_job")
log_has() { grep -q "$1" "$home/app.log"; }
running() { kill -0 "$app_job" 2>/dev/null; }
toplevels() { grep -c 'xdg_toplevel@[0-9]*\.set_title("Tempyra")' "$home/app.log" || true; }
failure() {
  import -window root "/tmp/tempyra-e2e-$script-screen.png" 2>/dev/null || true
  grep -v '^\[' "$home/app.log" | tail -20 >&2
  fail "$1"
}

wait_for "the item to reach the host" grep -q '^label: ' "$home/host.log"
log_has 'set_min_size(1000, 700)' && failure "the dashboard opened although a host shows the item"
wait_for "the host's click" grep -q '^activated' "$home/host.log"
popover() { [ "$(toplevels)" -ge 1 ]; }
wait_for "the popover as a window" popover
sleep 1
import -window root "/tmp/tempyra-e2e-$script-popover.png" 2>/dev/null || true
running || failure "the program ended after the click"

# Ten seconds as a Wayland client, then the dashboard from a second launch.
sleep $((10 - ($(date +%s) - began) > 0 ? 10 - ($(date +%s) - began) : 0))
running || failure "the program ended within ten seconds"
launch_wayland >"$home/second.log" 2>&1 || failure "the second launch failed: $(cat "$home/second.log")"
dashboard() { log_has 'set_min_size(1000, 700)'; }
wait_for "the dashboard" dashboard
sleep 2
running || failure "the program ended after showing the dashboard"
import -window root "/tmp/tempyra-e2e-$script-dashboard.png" 2>/dev/null || true
echo "$script: ok ($(toplevels) windows)"
