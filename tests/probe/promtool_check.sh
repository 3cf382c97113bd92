#!/usr/bin/env bash
# promtool reads the probe's metrics text from every fixture tree and from the demonstration
# provider. Usage: promtool_check.sh PROBE FIXTURES
set -euo pipefail
probe=$1 fixtures=$2
command -v promtool >/dev/null || { echo "promtool_check: skipped (promtool is missing)"; exit 77; }
work=$(mktemp -d /tmp/tempyra-promtool.XXXXXX)
trap 'rm -rf "$work"' EXIT

check() {
  # promtool prints lint findings and still exits 0 for some; any output is a failure here.
  local what=$1 findings
  shift
  "$probe" "$@" --samples 2 --interval 0 --openmetrics >"$work/out.prom"
  grep -q '^tempyra_thermal_pressure{state=' "$work/out.prom" || { echo "$what: no metrics"; exit 1; }
  if ! findings=$(promtool check metrics <"$work/out.prom" 2>&1) || [ -n "$findings" ]; then
    echo "$what: $findings"
    exit 1
  fi
}
for tree in "$fixtures"/*/; do check "$(basename "$tree")" --root "$tree"; done
check demo --demo
