#!/usr/bin/env bash
# The XEmbed icon across a panel restart: resting the pointer on it shows the tooltip; when the
# panel crashes the icon leaves the screen instead of staying behind where the panel had it, and
# when a panel starts again the icon docks there.
# Usage: tray_restart.sh PROGRAM
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
start_display
start_bus
skip_onboarding
start_panel top
launch >"$home/app.log" 2>&1 &
app_job=$!
started+=("$app_job")
find_icon
xdotool mousemove $((icon_x + icon_size / 2)) $((icon_y + icon_size / 2))
sleep 0.1
xdotool mousemove_relative 1 1
tip() { [ -n "$(app_windows)" ]; }
wait_for "the tooltip" tip
xdotool mousemove 700 450
no_windows() { [ -z "$(app_windows)" ]; }
wait_for "the tooltip to go" no_windows

# A panel that crashes: the server hands the icon back to the root window.
kill -9 "$tray"
wait_for "the panel to go" sh -c "! xwininfo -root -tree | grep -q '\"panel\": (\"panel\"'"
sleep 1
# Nothing of ours is left on the screen, the icon included.
visible=$(for p in $(our_pids); do xdotool search --onlyvisible --pid "$p" 2>/dev/null || true; done)
[ -z "$visible" ] || fail "a window stayed on the screen after the panel quit: $visible"
kill -0 "$app_job" 2>/dev/null || fail "the application ended with the panel"
start_panel bottom
find_icon
[ "$icon_y" -gt 800 ] || fail "the icon did not dock in the new panel (y = $icon_y)"
echo "$script: ok"
