# Shared by the end-to-end scripts (sourced; $1 of the script is the program to run): a private
# X display, home and session bus, the program's launches, waits that poll, and a teardown that
# ends whatever was started here. A missing tool skips the script (exit 77).
set -euo pipefail
app=$1
script=$(basename "$0" .sh)
for tool in Xvfb xdotool sqlite3 dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "$script: skipped ($tool is missing)"; exit 77; }
done
home=$(mktemp -d /tmp/tempyra-e2e.XXXXXX)
started=()
display=""
bus=""

our_pids() {
  # The program's processes that run in this script's home, and no other.
  local pid
  for pid in $(pgrep -x "$(basename "$app" | cut -c1-15)" || true); do
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "HOME=$home" && echo "$pid"
  done
  return 0
}
cleanup() {
  local pid
  for pid in $(our_pids) "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$home"
}
trap cleanup EXIT

fail() {
  echo "$script: FAIL: $*" >&2
  if [ -n "$display" ]; then
    local shot=/tmp/tempyra-e2e-$script-failure.png
    DISPLAY=$display import -window root "$shot" 2>/dev/null && echo "$script: screen: $shot" >&2
  fi
  exit 1
}
# wait_for "what" command…: polls every 0.2 s for up to 20 s.
wait_for() {
  local what=$1 i
  shift
  for i in $(seq 100); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "timed out waiting for $what"
}

start_display() {
  Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$home/display" >/dev/null 2>&1 &
  started+=($!)
  wait_for "the X server" test -s "$home/display"
  display=":$(head -1 "$home/display")"
  export DISPLAY=$display
}
start_bus() {
  dbus-daemon --session --nofork --nopidfile --address="unix:path=$home/bus" >/dev/null 2>&1 &
  started+=($!)
  wait_for "the session bus" test -S "$home/bus"
  bus="unix:path=$home/bus"
}
# The program's settings file: the demonstration build keeps one of its own.
settings_file() {
  case "$(basename "$app")" in
    *-demo) echo "$home/.config/com.quorvel.tempyra.demo.ini" ;;
    *) echo "$home/.config/com.quorvel.tempyra.ini" ;;
  esac
}
# The welcome and walkthrough stay away, so the dashboard is the first thing shown.
skip_onboarding() {
  mkdir -p "$home/.config"
  printf '[General]\nquorvel.showWelcome=false\nquorvel.showTour=false\n' >"$(settings_file)"
}
# launch [args…]: runs the program in the foreground with the private environment, plus the
# NAME=VALUE settings in launch_env.
launch_env=()
launch() {
  env -i PATH="$PATH" HOME="$home" DISPLAY="$display" LANG=C.UTF-8 \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" \
    ${bus:+DBUS_SESSION_BUS_ADDRESS=$bus} QT_QUICK_BACKEND=software "${launch_env[@]}" "$app" "$@"
}

# The id of the top-level window with exactly this title, if one is shown. xdotool gives up
# with BadWindow when a window vanishes while it looks (a dialog being destroyed, say), which
# would read as "none": it looks again.
window() {
  local out try
  for try in 1 2 3 4 5; do
    out=$(xdotool search --onlyvisible --name "^$1\$" 2>"$home/xdotool.err") || true
    grep -q "X Error" "$home/xdotool.err" || break
  done
  [ -n "$out" ] && echo "${out%%$'\n'*}"
}
shown() { [ -n "$(window "$1")" ]; }
gone() { [ -z "$(window "$1")" ]; }
# key WINDOW-TITLE KEYS…: focuses the window and types keys into it.
key() {
  local id
  id=$(window "$1")
  [ -n "$id" ] || fail "no window \"$1\" to type into"
  shift
  xdotool windowfocus --sync "$id" key --clearmodifiers "$@"
}
# The demonstration build keeps a history of its own.
history_db() {
  case "$(basename "$app")" in
    *-demo) echo "$home/.local/share/com.quorvel.tempyra.demo/history.sqlite" ;;
    *) echo "$home/.local/share/com.quorvel.tempyra/history.sqlite" ;;
  esac
}
# Readings recorded after a time (seconds since 1970).
readings_since() { sqlite3 "$(history_db)" "SELECT count(*) FROM samples WHERE time > $1"; }
