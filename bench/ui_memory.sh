#!/usr/bin/env bash
# Memory, first frames and idle CPU of the live program (tempyra) and the demonstration
# (tempyra-demo), each under Xvfb with a tray host and a private session bus, software renderer.
# For each: resident (RSS) and proportional (PSS) memory with the dashboard closed since start,
# with it open, and 60 s after closing it; the time from the open request to the first frame of
# the dashboard and of the popover, each opened with nothing of the interface loaded (the first
# at start, the second after the interface was released) and once more while it is loaded;
# and CPU time over an idle window with both closed. Then the floors: the RSS of two programs
# that draw nothing, one with what a tray icon needs and one linked with everything the windows
# need. Prints "name: value unit" lines.
# TEMPYRA_PROGRAMS picks the programs (default "tempyra tempyra-demo"); TEMPYRA_SETTLE_SECONDS
# (default 60) the waits before the memory figures; TEMPYRA_IDLE_SECONDS (default 120, 0 skips)
# the idle window; TEMPYRA_RELEASE_DELAY_MS, when set, is handed to the programs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TEMPYRA_BUILD:-build/release}
programs=${TEMPYRA_PROGRAMS:-tempyra tempyra-demo}
settle=${TEMPYRA_SETTLE_SECONDS:-60}
idle=${TEMPYRA_IDLE_SECONDS:-120}
for tool in Xvfb trayer dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "ui_memory: skipped ($tool is missing)"; exit 0; }
done
for program in $programs; do
  if [ ! -x "$build/ui/$program" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEMPYRA_TESTS=OFF >/dev/null
    cmake --build "$build" --target "$program" -j 2 >/dev/null
  fi
done

# The floors beside the figures: programs that draw nothing, one with what a tray icon needs and
# one linked with everything the windows need (bench/ui_floor.cpp).
if [ ! -x "$build/bench/ui_floor_windows" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEMPYRA_TESTS=OFF \
    -DTEMPYRA_BENCH=ON >/dev/null
  cmake --build "$build" --target ui_floor_tray ui_floor_windows -j 2 >/dev/null
fi

home=""
xvfb=""
tray=""
runner=""
pid=""
cleanup() {
  local p i
  for p in $pid $runner $tray $xvfb; do kill "$p" 2>/dev/null || true; done
  # The program may still be writing its settings into the home.
  for i in $(seq 50); do
    [ -n "$pid" ] && [ -e "/proc/$pid" ] || break
    sleep 0.1
  done
  [ -n "$home" ] && rm -rf "$home"
  home=""
  xvfb=""
  tray=""
  runner=""
  pid=""
}
trap cleanup EXIT

# The program and, while a window is needed, the windows process it started: the figures are
# their sums (RSS counts the pages they share in each; PSS divides them).
processes() { echo "$pid" $(pgrep -P "$pid" || true); }
# MB of a field of /proc/PID/smaps_rollup (Rss, Pss).
memory() {
  local p
  for p in $(processes); do cat "/proc/$p/smaps_rollup" 2>/dev/null || true; done |
    awk -v f="$1:" '$1 == f {kb += $2} END {printf "%.1f", kb / 1024}'
}
# Nanoseconds the program's threads have run (their schedstat), for the idle window, which
# starts once the windows process has ended.
cpu() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ns += $1} END {printf "%d", ns}'; }
report_memory() {
  echo "${name}_rss_$1: $(memory Rss) MB$2"
  echo "${name}_pss_$1: $(memory Pss) MB"
}
# first_frame WINDOW FILE NAME: creates FILE (the window's switch) and prints the time from
# then to the window's first frame; leaves the window open.
first_frame() {
  local window=$1 file=$2 label=$3 goal=$4 seen start at i
  seen=$(grep -c "^tempyra-bench: $window first frame" "$home/app.log" || true)
  start=$(date +%s%3N)
  touch "$file"
  for i in $(seq 200); do
    at=$(grep "^tempyra-bench: $window first frame" "$home/app.log" | sed -n "$((seen + 1))p" |
      awk '{print $NF}' || true)
    [ -n "$at" ] && break
    sleep 0.1
  done
  if [ -z "$at" ]; then
    echo "${name}_${label}: no frame within 20 s"
  else
    echo "${name}_${label}: $((at - start)) ms$goal"
  fi
}

for program in $programs; do
  name=ui_${program//-/_}
  home=$(mktemp -d /tmp/tempyra-bench.XXXXXX)
  display=:$((200 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  DISPLAY=$display trayer --edge top --align right --height 24 >/dev/null 2>&1 &
  tray=$!
  sleep 1
  # The welcome is switched off so that opening the dashboard measures the dashboard alone.
  mkdir -p "$home/.config"
  for settings in com.quorvel.tempyra.ini com.quorvel.tempyra.demo.ini; do
    printf '[General]\nquorvel.showWelcome=false\nquorvel.showTour=false\n' \
      >"$home/.config/$settings"
  done
  # Creating a switch file opens its window, removing it closes the window.
  dashboard="$home/dashboard"
  popover="$home/popover"
  env -i PATH="$PATH" HOME="$home" DISPLAY="$display" LANG=C.UTF-8 \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" \
    QT_QUICK_BACKEND=software TEMPYRA_BENCH_DASHBOARD="$dashboard" \
    TEMPYRA_BENCH_POPOVER="$popover" \
    ${TEMPYRA_RELEASE_DELAY_MS:+TEMPYRA_RELEASE_DELAY_MS=$TEMPYRA_RELEASE_DELAY_MS} \
    dbus-run-session -- "$build/ui/$program" >"$home/app.log" 2>&1 &
  runner=$!
  pid=""
  for i in $(seq 50); do
    pid=$(pgrep -P "$runner" -x "${program:0:15}" || true)
    [ -n "$pid" ] && break
    sleep 0.2
  done
  [ -n "$pid" ] || { echo "${name}: did not start"; cleanup; continue; }
  sleep "$settle"
  report_memory dashboard_closed_at_start " (goal 32)"
  closed=$(memory Rss)
  first_frame dashboard "$dashboard" dashboard_first_frame " (goal 400)"
  sleep 10
  report_memory dashboard_open ""
  rm -f "$dashboard"
  sleep "$settle"
  report_memory after_closing_dashboard ""
  awk -v a="$(memory Rss)" -v c="$closed" -v n="$name" \
    'BEGIN {printf "%s_rss_kept_after_closing: %.1f MB (goal 5)\n", n, a - c}'
  first_frame popover "$popover" popover_first_frame " (goal 150)"
  rm -f "$popover"
  sleep 2
  first_frame popover "$popover" popover_first_frame_loaded ""
  rm -f "$popover"
  sleep 2
  first_frame dashboard "$dashboard" dashboard_first_frame_loaded ""
  sleep 2
  rm -f "$dashboard"
  if [ "$idle" -gt 0 ]; then
    # Both windows closed long enough for the windows process to be ended.
    sleep "$settle"
    for i in $(seq 100); do
      [ -z "$(pgrep -P "$pid" || true)" ] && break
      sleep 1
    done
    before=$(cpu)
    sleep "$idle"
    after=$(cpu)
    awk -v b="$before" -v a="$after" -v s="$idle" -v n="$name" \
      'BEGIN {printf "%s_cpu_idle: %.4f %% of one core over %d s (goal 0.02)\n", n, (a - b) / 1e9 / s * 100, s}'
  fi
  cleanup
done

for floor in tray windows; do
  home=$(mktemp -d /tmp/tempyra-bench.XXXXXX)
  display=:$((200 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  env -i PATH="$PATH" HOME="$home" DISPLAY="$display" LANG=C.UTF-8 XDG_RUNTIME_DIR="$home" \
    QT_QUICK_BACKEND=software dbus-run-session -- "$build/bench/ui_floor_$floor" >/dev/null 2>&1 &
  runner=$!
  pid=""
  # The kernel keeps the first 15 bytes of a program's name.
  program_name=ui_floor_$floor
  for i in $(seq 50); do
    pid=$(pgrep -P "$runner" -x "${program_name:0:15}" || true)
    [ -n "$pid" ] && break
    sleep 0.2
  done
  if [ -z "$pid" ]; then
    echo "ui_floor_${floor}_rss: did not start"
  else
    sleep 5
    echo "ui_floor_${floor}_rss: $(memory Rss) MB"
  fi
  cleanup
done
