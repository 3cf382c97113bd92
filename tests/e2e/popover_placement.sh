#!/usr/bin/env bash
# The popover opens beside a real XEmbed panel, never over it: below a top panel and above a
# bottom one, across the icon, inside the screen; Escape closes it. No window manager runs, so
# the screen's available area is the whole screen and only the icon tells where the panel is.
# Usage: popover_placement.sh PROGRAM
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/tray_lib.sh"
start_display
start_bus
skip_onboarding
screen_height=900  # lib.sh's Xvfb screen
app_gone() { [ -z "$(our_pids)" ]; }

for edge in top bottom; do
  start_panel "$edge"
  launch >"$home/app-$edge.log" 2>&1 &
  app_job=$!
  started+=("$app_job")
  find_icon
  click_icon 1
  popover() { [ -n "$(app_windows)" ]; }
  wait_for "the popover ($edge panel)" popover
  sleep 0.5
  read -r _ x y w h <<<"$(app_windows | head -1)"
  echo "$script: $edge panel, icon at $icon_x,$icon_y ($icon_size px): popover ${w}x${h}+$x+$y"
  if [ "$edge" = top ]; then
    [ "$y" -ge "$panel_height" ] || fail "the popover covers the top panel (y = $y)"
  else
    [ $((y + h)) -le $((screen_height - panel_height)) ] ||
      fail "the popover covers the bottom panel (bottom = $((y + h)))"
  fi
  [ "$y" -ge 0 ] && [ $((y + h)) -le "$screen_height" ] || fail "the popover leaves the screen"
  centre=$((icon_x + icon_size / 2))
  [ "$x" -le "$centre" ] && [ $((x + w)) -ge "$centre" ] || fail "the popover is not across the icon"
  # The popover has the keyboard as it opens: Escape closes it.
  xdotool key Escape
  no_popover() { [ -z "$(app_windows)" ]; }
  wait_for "Escape to close the popover ($edge panel)" no_popover
  kill $(our_pids)
  wait "$app_job" 2>/dev/null || true
  wait_for "the application to end" app_gone
  stop_panel
  sleep 0.5
done
echo "$script: ok"
