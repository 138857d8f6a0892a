#!/usr/bin/env bash
# make demo-bluez: the program on its real Bluetooth backend (Qt's BlueZ code over D-Bus) against
# the test daemon serving the demo controller, on a message bus of its own; the machine's own
# Bluetooth is never touched. Usage: run-demo.sh BUILD_DIR RUN_DIR
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
mkdir -p "${2:?working folder}"
run=$(cd "$2" && pwd)
bus=$(mktemp -d)
daemon=
cleanup() {
  if [ -n "$daemon" ]; then kill "$daemon" 2>/dev/null || true; wait "$daemon" 2>/dev/null || true; fi
  rm -rf "$bus"
}
trap cleanup EXIT
# the demo controller's account and plan are kept apart from those of `make demo`
"$build/vireosant-fake-bluez" --private-bus "$bus" --demo "$run/.vireosant-demo-bluez" --rssi-interval 1000 \
  > "$bus/daemon.out" &
daemon=$!
for _ in $(seq 100); do
  grep -qx ready "$bus/daemon.out" 2>/dev/null && break
  sleep 0.1
done
grep -qx ready "$bus/daemon.out" || { echo "run-demo: the test daemon did not start" >&2; exit 1; }
address=$(sed -n 's/^address=//p' "$bus/daemon.out")
echo "Bluetooth daemon stand-in on $address"
cd "$run"
DBUS_SYSTEM_BUS_ADDRESS="$address" "$build/vireosant" "${@:3}"
