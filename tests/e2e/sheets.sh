#!/usr/bin/env bash
# The welcome and walkthrough sheets are modal: the window behind them is dimmed, Escape and a
# click on the dimmed background close them, and Tab, arrows and Space stay inside the sheet
# (the page behind never changes).
# Usage: sheets.sh PROGRAM
source "$(dirname "$0")/lib.sh"
start_display
start_bus
launch >"$home/app.log" 2>&1 &
started+=($!)
wait_for "the dashboard" shown Tempyra
sleep 2

# Window-relative pictures: one pixel of the sidebar's empty lower part (dimmed or not), the
# page header (which page is shown) and the middle where the sheet sits.
geometry() { eval "$(xdotool getwindowgeometry --shell "$(window Tempyra)")"; }
grab() {  # grab W H X Y: a crop of the window, as a checksum
  geometry
  import -window root -crop "$1x$2+$((X + $3))+$((Y + $4))" +repage rgb:- | md5sum | cut -c1-32
}
lightness() {
  geometry
  import -window root -crop "1x1+$((X + 115))+$((Y + 560))" -depth 8 txt:- |
    awk 'NR==2 { gsub(/[()]/, "", $2); split($2, c, ","); print c[1] + c[2] + c[3] }'
}
header() { grab 400 40 250 18; }
sheet() { grab 300 200 350 250; }
# key KEYS…: typed into the dashboard, wherever its focus is.
press() { key Tempyra "$@"; sleep 0.4; }

dimmed=$(lightness)
page=$(header)
welcome=$(sheet)

# Escape finishes the welcome; the walkthrough follows it.
press Escape
[ "$(sheet)" != "$welcome" ] || fail "Escape left the welcome open"
[ "$(lightness)" = "$dimmed" ] || fail "the walkthrough does not dim the window"

# Tab, the arrows and Space stay inside the walkthrough: the page behind never changes.
for _ in $(seq 12); do press Tab; done
press Down Down Right Up
[ "$(header)" = "$page" ] || fail "keys reached the page behind the walkthrough"
[ "$(lightness)" = "$dimmed" ] || fail "the walkthrough closed on Tab or an arrow"
tour=$(sheet)
press space
[ "$(header)" = "$page" ] || fail "Space switched the page behind the walkthrough"

# A click on the dimmed background closes it.
geometry
xdotool mousemove "$((X + 115))" "$((Y + 560))" click 1
sleep 0.6
light=$(lightness)
[ "$light" -gt "$dimmed" ] || fail "a click on the background left the walkthrough open ($light, $dimmed)"
[ "$(sheet)" != "$tour" ] || fail "the walkthrough is still drawn"
echo "$script: ok"
