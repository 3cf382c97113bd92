# Shared by the tray scripts (sourced after lib.sh): an XEmbed panel (trayer) on one screen edge
# and the program's icon docked in it.
command -v trayer >/dev/null || { echo "$script: skipped (trayer is missing)"; exit 77; }
command -v xwininfo >/dev/null || { echo "$script: skipped (xwininfo is missing)"; exit 77; }
panel_height=28
tray=""

# start_panel EDGE: a panel along top or bottom, its tray at the right end. trayer now and then
# falls over while it starts on a busy machine: a panel that has not shown after a while is
# started again, three times at most.
start_panel() {
  local try i
  for try in 1 2 3; do
    trayer --edge "$1" --align right --widthtype request --height "$panel_height" \
      --transparent false >/dev/null 2>&1 &
    tray=$!
    started+=("$tray")
    for i in $(seq 50); do
      panel_shown && return 0
      kill -0 "$tray" 2>/dev/null || break
      sleep 0.2
    done
    kill "$tray" 2>/dev/null || true
  done
  fail "timed out waiting for the panel"
}
panel_shown() { xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")'; }
stop_panel() {
  kill "$tray" 2>/dev/null || true
  wait_for "the panel to go" sh -c "! xwininfo -root -tree | grep -q '\"panel\": (\"panel\"'"
}
# The docked icon's window: "ID WIDTHxHEIGHT+X+Y" in root coordinates.
icon_line() {
  xwininfo -root -tree | grep -E "\"$(basename "$app")\".* [1-4][0-9]x[1-4][0-9]\+" | head -1
}
docked() { [ -n "$(icon_line)" ]; }
# Sets icon_x, icon_y (root coordinates of the icon's top left) and icon_size.
find_icon() {
  wait_for "the icon to dock" docked
  sleep 1  # the tray settles the icon's place
  local line at
  line=$(icon_line)
  # '0x… "Tempyra": ("tempyra-demo" "Tempyra")  22x26+0+0  +1257+1': the size, then the place
  # on the root window.
  icon_size=$(echo "$line" | sed -E 's/.*\) +([0-9]+)x.*/\1/')
  at=$(echo "$line" | grep -Eo '[+-][0-9]+[+-][0-9]+ *$' | tr -d ' ')
  icon_x=${at#+}
  icon_x=${icon_x%%[+-]*}
  icon_y=${at##*[+-]}
}
# click_icon BUTTON: clicks the middle of the docked icon.
click_icon() {
  xdotool mousemove $((icon_x + icon_size / 2)) $((icon_y + icon_size / 2)) click "$1"
}
# Visible windows of the program (and of the windows process it starts) other than its docked
# icon, as "ID X Y W H" lines.
app_windows() {
  local pid id
  for pid in $(our_pids) $(for p in $(our_pids); do pgrep -P "$p" || true; done); do
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$id")"
      [ "$WIDTH" -gt 60 ] && echo "$id $X $Y $WIDTH $HEIGHT"
    done
  done
  return 0
}
