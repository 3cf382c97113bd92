#!/usr/bin/env bash
# End to end: the probe writes its metrics text into a folder the way the monitor does, a private
# node_exporter on 127.0.0.1 serves that folder with its textfile collector, and every tempyra_
# series of the file comes back from /metrics with the same value.
# Usage: node_exporter_e2e.sh PROBE FIXTURES
set -euo pipefail
probe=$1 fixtures=$2
exporter=$(command -v prometheus-node-exporter || command -v node_exporter || true)
[ -n "$exporter" ] || { echo "node_exporter_e2e: skipped (prometheus-node-exporter is missing)"; exit 77; }
command -v curl >/dev/null || { echo "node_exporter_e2e: skipped (curl is missing)"; exit 77; }

work=$(mktemp -d /tmp/tempyra-node-exporter.XXXXXX)
pid=
stop() {
  if [ -n "$pid" ]; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap stop EXIT
fail() { echo "node_exporter_e2e: $*" >&2; [ -f "$work/exporter.log" ] && tail -n 5 "$work/exporter.log" >&2; exit 1; }

mkdir "$work/textfile"
"$probe" --root "$fixtures/laptop" --samples 2 --interval 0 --openmetrics >"$work/textfile/.tempyra.prom.new"
chmod 0644 "$work/textfile/.tempyra.prom.new"
mv "$work/textfile/.tempyra.prom.new" "$work/textfile/tempyra.prom"

# Only the textfile collector, on a port nobody holds; a taken port makes it exit at once.
for attempt in 1 2 3 4 5; do
  port=$((20000 + RANDOM % 40000))
  "$exporter" --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
    --collector.textfile --collector.textfile.directory="$work/textfile" >"$work/exporter.log" 2>&1 &
  pid=$!
  for _ in $(seq 50); do
    curl --noproxy "*" -fsS "http://127.0.0.1:$port/metrics" >"$work/metrics" 2>/dev/null && break 2
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
done
[ -n "$pid" ] || fail "node_exporter did not start"

grep -q '^node_textfile_scrape_error 0$' "$work/metrics" || fail "the collector could not read tempyra.prom"
# The README's match for the file's time stamp series, whatever form the file label takes.
grep -Eq '^node_textfile_mtime_seconds\{file="(.*/)?tempyra\.prom"\} ' "$work/metrics" ||
  fail "node_textfile_mtime_seconds{file=~\"(.*/)?tempyra\\.prom\"} matches nothing"
# Series and values as the file has them (samples only, comments left out).
grep '^tempyra_' "$work/textfile/tempyra.prom" | sort >"$work/written"
grep '^tempyra_' "$work/metrics" | sort >"$work/served"
[ -s "$work/written" ] || fail "the probe wrote no series"
# node_exporter prints numbers its own way: compare each series' value as a number (label values
# hold spaces, so the value is what follows the last one).
awk '{ i = match($0, / [^ ]+$/); series = substr($0, 1, i - 1); value = substr($0, i + 1) }
     NR == FNR { want[series] = value; next }
     series in want { if (want[series] + 0 != value + 0) { print series ": " value ", written " want[series]; bad = 1 }
                      delete want[series] }
     END { for (s in want) { print "missing: " s; bad = 1 } exit bad }' \
  "$work/written" "$work/served" || fail "served series differ from the file"
grep -q '^tempyra_thermal_pressure{state="nominal"}' "$work/served" || fail "no thermal pressure"
grep -q '^tempyra_power_source{source="ac"} 1$' "$work/served" || fail "the laptop is on AC power"
grep -q '^tempyra_battery_charge_ratio 0.75$' "$work/served" || fail "the laptop's battery is at 75 %"
grep -q '^tempyra_temperature_celsius{sensor=' "$work/served" || fail "no temperatures"

served=$(wc -l <"$work/served")
stop
pid=
trap - EXIT
# Nothing this script started is left listening.
if curl --noproxy "*" -fsS "http://127.0.0.1:$port/metrics" >/dev/null 2>&1; then
  fail "something still answers on port $port"
fi
echo "node_exporter_e2e: $served series served and matched"
