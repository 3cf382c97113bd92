#!/usr/bin/env bash
# The interface is let go once its windows have stayed closed a while, and comes back as it
# was: the popover again, the dashboard on the page that was left. The memory benchmark's
# switch files open and close the windows; a short release delay stands in for the half minute.
# Usage: windows_reload.sh PROGRAM
source "$(dirname "$0")/lib.sh"
start_display
start_bus
skip_onboarding
# No tray host runs: closing would first say that monitoring goes on.
echo 'quorvel.showCloseNotice=false' >>"$(settings_file)"
launch_env=(TEMPYRA_BENCH_DASHBOARD="$home/dashboard" TEMPYRA_BENCH_POPOVER="$home/popover"
  TEMPYRA_RELEASE_DELAY_MS=300)
launch >"$home/app.log" 2>&1 &
started+=($!)
said() { [ "$(grep -c "^tempyra-bench: $1" "$home/app.log")" -ge "$2" ]; }
# The same places as in export_dialog.sh.
history_item=(80 150)
export_button=(580 176)

touch "$home/popover"
wait_for "the popover" said "popover first frame" 1
rm "$home/popover"
wait_for "the release after the popover" said "interface released" 1

touch "$home/dashboard"
wait_for "the dashboard" shown Tempyra
xdotool mousemove --window "$(window Tempyra)" "${history_item[@]}" click 1
sleep 0.5
rm "$home/dashboard"
wait_for "the dashboard to close" gone Tempyra
wait_for "the release after the dashboard" said "interface released" 2

touch "$home/dashboard"
wait_for "the dashboard again" shown Tempyra
xdotool mousemove --window "$(window Tempyra)" "${export_button[@]}" click 1
wait_for "History's save dialog: the page was kept" shown "Export History"
key "Export History" Escape
wait_for "the save dialog to close" gone "Export History"
rm "$home/dashboard"
wait_for "the dashboard to close again" gone Tempyra
wait_for "the release after the second dashboard" said "interface released" 3

touch "$home/popover"
wait_for "the popover again" said "popover first frame" 2
rm "$home/popover"
wait_for "the last release" said "interface released" 4
! grep -q "could not be created" "$home/app.log" || fail "$(cat "$home/app.log")"
echo "$script: ok"
