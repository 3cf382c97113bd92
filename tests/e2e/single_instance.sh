#!/usr/bin/env bash
# One instance, and life without a tray: the first launch opens its dashboard (no tray host
# runs); closing it says once that monitoring goes on and leaves the process sampling; a second
# launch shows that dashboard again and exits 0 at once without sampling; Ctrl+Q quits.
# Usage: single_instance.sh PROGRAM [bus|nobus] (nobus: the lock file and its socket decide).
source "$(dirname "$0")/lib.sh"
mode=${2:-bus}
start_display
[ "$mode" = bus ] && start_bus
skip_onboarding
since=$(date +%s)
launch >"$home/first.log" 2>&1 &
first=$!
started+=("$first")
wait_for "the dashboard" shown Tempyra
first_reading() { [ "$(readings_since "$since")" -ge 1 ]; }
wait_for "the first reading" first_reading

# Ctrl+W meets the one-time notice first; Return closes the window, the process stays.
key Tempyra ctrl+w
sleep 1
shown Tempyra || fail "the window closed without saying that monitoring goes on"
key Tempyra Return
wait_for "the dashboard to close" gone Tempyra
sleep 1
kill -0 "$first" 2>/dev/null || fail "closing the dashboard ended the application"

# A second launch shows the first one's dashboard and leaves without sampling.
begin=$(date +%s%N)
launch >"$home/second.log" 2>&1 || fail "the second launch exited $?: $(cat "$home/second.log")"
took=$((($(date +%s%N) - begin) / 1000000))
[ "$took" -lt 5000 ] || fail "the second launch took $took ms"
wait_for "the dashboard to come back" shown Tempyra
key Tempyra Return
sleep 0.5
shown Tempyra || fail "Return closed the dashboard"
[ "$(our_pids | wc -l)" -eq 1 ] || fail "more than one process runs: $(our_pids | tr '\n' ' ')"
sleep 2
count=$(readings_since "$since")
[ "$count" -eq 1 ] || fail "$count readings since the start: more than one process samples"

# The notice was said once: Ctrl+W now closes at once. Ctrl+Q in the window quits.
key Tempyra ctrl+w
wait_for "the dashboard to close again" gone Tempyra
launch >>"$home/second.log" 2>&1 || fail "the third launch failed"
wait_for "the dashboard to open a third time" shown Tempyra
key Tempyra ctrl+q
status=0
wait "$first" || status=$?
[ "$status" -eq 0 ] || fail "Ctrl+Q ended the application with status $status"
echo "$script ($mode): ok in ${took} ms for the second launch"
