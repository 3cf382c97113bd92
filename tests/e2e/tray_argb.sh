#!/usr/bin/env bash
# The icon in a tray that asks for an alpha channel, as compositing panels do: it takes the
# tray's 32-bit visual and draws its badge over transparency, as a stand-in tray reads it back.
# Usage: tray_argb.sh PROGRAM ARGB_TRAY
source "$(dirname "$0")/lib.sh"
argb_tray=$2
start_display
start_bus
skip_onboarding
"$argb_tray" >"$home/tray.log" 2>&1 &
tray=$!
started+=("$tray")
wait_for "the stand-in tray" grep -q ready "$home/tray.log"
launch >"$home/app.log" 2>&1 &
started+=($!)
status=0
wait "$tray" || status=$?
cat "$home/tray.log"
[ "$status" -ne 77 ] || exit 77
[ "$status" -eq 0 ] || fail "$(tail -1 "$home/tray.log")"
echo "$script: ok"
