#!/usr/bin/env bash
# Export History… from the History page opens the save dialog with "Thermal history.json" in
# the documents folder; a typed name is saved as a valid export; an existing file is replaced
# only after the user agrees.
# Usage: export_dialog.sh PROGRAM
source "$(dirname "$0")/lib.sh"
start_display
start_bus
skip_onboarding
mkdir -p "$home/Documents"
launch >"$home/app.log" 2>&1 &
started+=($!)
wait_for "the dashboard" shown Tempyra

# Where the sidebar's History item and the page's Export History… button are, from the
# window's top left corner (the page's numbered steps shown).
history_item=(80 150)
export_button=(580 176)
open_dialog() {
  local id
  id=$(window Tempyra)
  xdotool mousemove --window "$id" "${history_item[@]}" click 1
  sleep 0.5
  xdotool mousemove --window "$id" "${export_button[@]}" click 1
  wait_for "the save dialog" shown "Export History"
}
valid_export() {
  [ "$(sqlite3 :memory: "SELECT json_valid(readfile('$1'))
     AND json_type(readfile('$1'), '\$.samples') = 'array'
     AND json_type(readfile('$1'), '\$.events') = 'array'")" = 1 ]
}

# The proposed name is there: Return alone saves it.
open_dialog
key "Export History" Return
wait_for "the proposed file" valid_export "$home/Documents/Thermal history.json"
wait_for "the dialog to close" gone "Export History"

# A typed name without an extension gets .json.
open_dialog
key "Export History" ctrl+a
xdotool type --delay 20 "typed name"
key "Export History" Return
wait_for "the typed file" valid_export "$home/Documents/typed name.json"

# An existing file: "No" keeps it and returns to the dialog, "Yes" replaces it.
echo 'keep me' >"$home/Documents/old.json"
open_dialog
key "Export History" ctrl+a
xdotool type --delay 20 "old.json"
key "Export History" Return
sleep 1
# The question is modal over the dialog and has the keyboard.
xdotool key n
sleep 1
shown "Export History" || fail "answering No closed the dialog"
[ "$(cat "$home/Documents/old.json")" = "keep me" ] || fail "answering No replaced the file"
key "Export History" Return
sleep 1
xdotool key y
wait_for "the replaced file" valid_export "$home/Documents/old.json"
echo "$script: ok"
