#!/usr/bin/env bash
# Nothing closes under the user: started without a tray host the dashboard opens; when a tray
# appears the window stays open and the icon docks; only closing changes: the window now closes
# at once (the tray brings it back) instead of explaining that monitoring goes on, and the
# application keeps running.
# Usage: tray_appears.sh PROGRAM
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
start_display
start_bus
skip_onboarding
launch >"$home/app.log" 2>&1 &
app_job=$!
started+=("$app_job")
wait_for "the dashboard" shown Tempyra
start_panel top
# The tray item looks for a host every few seconds.
find_icon
sleep 2
shown Tempyra || fail "the dashboard closed when the tray appeared"
key Tempyra ctrl+w
wait_for "the dashboard to close without the notice" gone Tempyra
sleep 1
kill -0 "$app_job" 2>/dev/null || fail "closing the dashboard ended the application"
click_icon 1
popover() { [ -n "$(app_windows)" ]; }
wait_for "the popover from the tray" popover
echo "$script: ok"
