#!/bin/sh
# tempyra-probe over the NVIDIA laptop trees, the stand-in library found through
# LD_LIBRARY_PATH as the production build finds the driver's: the awake GPU's temperature is
# shown, and the sleeping GPU gets no call at all.
# Usage: probe_nvidia.sh PROBE FIXTURES FAKE_LIBRARY_DIR
set -eu
probe=$1 fixtures=$2 library=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LD_LIBRARY_PATH="$library" TEMPYRA_FAKE_NVML_LOG="$work/calls"

"$probe" --root "$fixtures/nvidia_laptop_active" --samples 1 --no-processes >"$work/active"
grep -q '"name":"Sensor nvidia 0000:01:00.0","value":52' "$work/active" || { cat "$work/active"; exit 1; }
grep -q '"name":"GPU temperature","value":52' "$work/active" || { echo "no GPU temperature"; exit 1; }
[ "$(grep -c '^nvmlInit_v2$' "$work/calls")" = "$(grep -c '^nvmlShutdown$' "$work/calls")" ] || { cat "$work/calls"; exit 1; }

rm -f "$work/calls"
"$probe" --root "$fixtures/nvidia_laptop_asleep" --samples 2 --interval 0 --no-processes >"$work/asleep"
grep -q 'GPU asleep · nvidia 0000:01:00.0 not woken to read it' "$work/asleep" || { cat "$work/asleep"; exit 1; }
[ ! -s "$work/calls" ] || { echo "NVML called while the GPU sleeps:"; cat "$work/calls"; exit 1; }
