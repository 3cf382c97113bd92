#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP during a recording run: exit 0, the history closed and readable.
# Usage: stop_signals.sh PROBE
set -uo pipefail
set -m  # background jobs keep SIGINT
probe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for signal in TERM INT HUP; do
  history=$dir/$signal.sqlite
  "$probe" --demo --samples 1000 --interval 0.05 --history "$history" >"$dir/out" 2>&1 &
  pid=$!
  sleep 0.5
  kill -s "$signal" "$pid"
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || { echo "SIG$signal: exit $status"; cat "$dir/out"; exit 1; }
  [ ! -e "$history-wal" ] || { echo "SIG$signal: the history was not closed"; exit 1; }
  "$probe" --history "$history" --episodes >/dev/null || { echo "SIG$signal: unreadable"; exit 1; }
done
