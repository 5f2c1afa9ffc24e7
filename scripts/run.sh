#!/usr/bin/env bash
# Builds the workbench and the driver simulator, starts the simulator on a pseudo-terminal
# and the workbench with COM1 bound to it. Closing the workbench ends the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWORKBENCH_TESTS=OFF -DWORKBENCH_BENCH=OFF >/dev/null
cmake --build build/release --target torvane-workbench torvane-drive-sim

runtime=$(mktemp -d)
link="$runtime/com1"
# The simulator lives as long as the pipe on its standard input stays open.
exec 3> >(exec build/release/sim/torvane-drive-sim --link "$link" --exit-on-stdin-eof \
    >"$runtime/simulator.log" 2>&1)
sim_pid=$!
cleanup() {
    exec 3>&-
    wait "$sim_pid" 2>/dev/null || true
    rm -rf "$runtime"
}
trap cleanup EXIT
for _ in $(seq 100); do
    [ -e "$link" ] && break
    sleep 0.05
done
if [ ! -e "$link" ]; then
    echo "The simulator did not start:" >&2
    cat "$runtime/simulator.log" >&2
    exit 1
fi
echo "Simulated driver (address 1) on $link, bound to COM1. Press 打开 to connect."

launch=(build/release/torvane-workbench)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the workbench on a virtual display (xvfb-run)."
    launch=(xvfb-run -a "${launch[@]}")
fi
TORVANE_COM1="$link" "${launch[@]}"
