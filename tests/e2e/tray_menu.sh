#!/usr/bin/env bash
# The tray icon's right-click menu in an XEmbed panel: a right click opens a menu, not the
# popover; Open Dashboard (the first entry) shows the dashboard; Quit (the last) ends the
# application with status 0.
# Usage: tray_menu.sh PROGRAM
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
sleep 1
[ -z "$(app_windows)" ] || fail "a window opened although the tray shows the icon"

menu_open() { [ -n "$(app_windows)" ]; }
click_icon 3
wait_for "the menu" menu_open
sleep 0.5
import -window root -crop 400x260+880+0 +repage "/tmp/tempyra-e2e-$script-menu.png" 2>/dev/null || true
gone Tempyra || fail "the right click opened the dashboard"
# The menu has the keyboard: the first entry is Open Dashboard.
xdotool key Down Return
wait_for "the dashboard" shown Tempyra

click_icon 3
sleep 1
xdotool key Up Return
status=0
wait_for "the application to quit" sh -c "! kill -0 $app_job 2>/dev/null"
wait "$app_job" || status=$?
[ "$status" -eq 0 ] || fail "Quit ended the application with status $status"
echo "$script: ok"
