#!/usr/bin/env bash
# Every stop is clean, the arguments answer without a display, and the demonstration leaves the
# live program's state alone. SIGTERM, SIGINT and SIGHUP each quit the program as Quit does:
# exit 0, the readings taken are in the history, the lock file and socket are gone (with a
# session bus, and with the lock file alone). The live program's settings (a metrics folder,
# dark appearance, a notification grant) are neither used nor changed and no metrics file
# appears.
# Usage: stops_and_arguments.sh PROGRAM (tempyra-demo)
source "$(dirname "$0")/lib.sh"
name=com.quorvel.tempyra.demo
# run [args…]: replaces the calling (sub)shell by the program, so that $! is the program.
run() {
  exec env -i PATH="$PATH" HOME="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$home" \
    ${bus:+DBUS_SESSION_BUS_ADDRESS=$bus} QT_QUICK_BACKEND=software "$app" "$@"
}

# --help and --version need no display; an unknown argument is refused with status 2.
for arg in --help -h --version; do
  out=$(env -i PATH="$PATH" "$app" "$arg") || fail "$arg exited $?"
  case "$arg:$out" in
    --version:"tempyra-demo "[0-9]*) ;;
    -*:"Usage: tempyra-demo [--help | --version]"*) ;;
    *) fail "$arg printed: $out" ;;
  esac
done
status=0
(run --frobnicate) 2>"$home/args.log" || status=$?
[ "$status" -eq 2 ] && grep -q 'unknown argument "--frobnicate"' "$home/args.log" ||
  fail "an unknown argument gave status $status: $(cat "$home/args.log")"

live="$home/.config/com.quorvel.tempyra.ini"
mkdir -p "$home/.config" "$home/metrics"
printf '[General]\nappearance=Dark\nmetricsFolder=%s\nnotificationAuthorization=granted\n' \
  "$home/metrics" >"$live"
live_before=$(sha256sum <"$live")

stop_with() {
  local signal=$1 mode=$2 since pid count status=0
  since=$(date +%s)
  run >"$home/app.log" 2>&1 &
  pid=$!
  started+=("$pid")
  first_reading() { [ "$(readings_since "$since")" -ge 1 ]; }
  wait_for "the first reading ($mode)" first_reading
  wait_for "the socket ($mode)" test -S "$home/$name.socket"
  [ -e "$home/$name.lock" ] || fail "no lock file while running ($mode)"
  count=$(readings_since "$since")
  kill "-$signal" "$pid"
  wait "$pid" || status=$?
  [ "$status" -eq 0 ] ||
    fail "SIG$signal ended it with status $status ($mode): $(cat "$home/app.log")"
  [ ! -e "$home/$name.lock" ] && [ ! -e "$home/$name.socket" ] ||
    fail "SIG$signal left $(ls "$home" | grep "$name" | tr '\n' ' ')($mode)"
  [ "$(readings_since "$since")" -ge "$count" ] || fail "readings were lost ($mode)"
}
for signal in TERM INT HUP; do stop_with "$signal" nobus; done
start_bus
stop_with TERM bus

[ "$(sha256sum <"$live")" = "$live_before" ] || fail "the live settings changed: $(cat "$live")"
[ -z "$(ls -A "$home/metrics")" ] ||
  fail "the demonstration wrote metrics: $(ls -A "$home/metrics")"
echo "$script: ok"
