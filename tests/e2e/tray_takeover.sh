#!/usr/bin/env bash
# Autostart before the panel: without a tray host the dashboard opens; when a tray host
# appears, the application moves into it and closes that window, and keeps running.
# Usage: tray_takeover.sh PROGRAM
source "$(dirname "$0")/lib.sh"
command -v trayer >/dev/null || { echo "$script: skipped (trayer is missing)"; exit 77; }
start_display
start_bus
skip_onboarding
launch >"$home/app.log" 2>&1 &
app_job=$!
started+=("$app_job")
wait_for "the dashboard" shown Tempyra
trayer --edge top --align right --widthtype request --height 24 --transparent false \
  >/dev/null 2>&1 &
started+=($!)
# The tray item looks for a host every few seconds.
wait_for "the tray to take over" gone Tempyra
sleep 1
kill -0 "$app_job" 2>/dev/null || fail "the application ended when the tray took over"
[ "$(our_pids | wc -l)" -eq 1 ] || fail "the application is not running"
echo "$script: ok"
