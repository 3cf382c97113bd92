#!/usr/bin/env bash
# promtool reads the probe's metrics text from every fixture tree and from the demonstration
# provider, and the alert rule the README shows. Usage: promtool_check.sh PROBE FIXTURES README
set -euo pipefail
probe=$1 fixtures=$2 readme=$3
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

# The first yaml block of the README is the sample alert rule file.
awk '/^```yaml/{on=1; next} /^```/{if (on) exit} on' "$readme" >"$work/rules.yml"
[ -s "$work/rules.yml" ] || { echo "README: no yaml block"; exit 1; }
promtool check rules "$work/rules.yml"
