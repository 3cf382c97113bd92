#!/usr/bin/env bash
# Resident memory and CPU time of tempyra-demo under Xvfb with a tray host and a private
# session bus, software renderer: after 60 s with the dashboard closed, then after opening
# and closing it, and CPU time over an idle window with the dashboard closed
# (TEMPYRA_IDLE_SECONDS, default 120 s instead of 5 minutes to keep the run short).
# Prints "name: value unit" lines.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${TEMPYRA_BUILD:-build/release}
if [ ! -x "$build/ui/tempyra-demo" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEMPYRA_TESTS=OFF >/dev/null
  cmake --build "$build" --target tempyra-demo -j 2 >/dev/null
fi
for tool in Xvfb trayer dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "ui_memory: skipped ($tool is missing)"; exit 0; }
done
idle=${TEMPYRA_IDLE_SECONDS:-120}
home=$(mktemp -d /tmp/tempyra-bench.XXXXXX)
display=:$((200 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  [ -n "${tray:-}" ] && kill "$tray" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$home"
}
trap cleanup EXIT
sleep 1
DISPLAY=$display trayer --edge top --align right --height 24 >/dev/null 2>&1 &
tray=$!
sleep 1
# The welcome is switched off so that opening the dashboard measures the dashboard alone.
mkdir -p "$home/.config"
printf '[General]\nquorvel.showWelcome=false\nquorvel.showTour=false\n' \
  >"$home/.config/com.quorvel.tempyra.demo.ini"
# TEMPYRA_BENCH_OPEN names a file: its creation opens the dashboard, its removal closes it.
control="$home/dashboard"
env -i PATH="$PATH" HOME="$home" DISPLAY="$display" LANG=C.UTF-8 \
  XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" \
  QT_QUICK_BACKEND=software TEMPYRA_BENCH_DASHBOARD="$control" \
  dbus-run-session -- "$build/ui/tempyra-demo" >/dev/null 2>&1 &
app=$!
pid_of_app() { pgrep -n -f "$build/ui/tempyra-demo" ; }
sleep 60
pid=$(pid_of_app)
rss() { awk '/^VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$pid/status"; }
cpu() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
echo "ui_rss_dashboard_closed_60s: $(rss) MB (goal 60)"
touch "$control"
sleep 10
echo "ui_rss_dashboard_open: $(rss) MB"
rm -f "$control"
sleep 10
echo "ui_rss_after_closing_dashboard: $(rss) MB"
ticks=$(getconf CLK_TCK)
before=$(cpu)
sleep "$idle"
after=$(cpu)
awk -v b="$before" -v a="$after" -v t="$ticks" -v s="$idle" \
  'BEGIN {printf "ui_cpu_idle_dashboard_closed: %.3f %% of one core over %d s (goal 0.05)\n", (a - b) / t / s * 100, s}'
