#!/usr/bin/env bash
# Builds the workbench and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DWORKBENCH_TESTS=OFF -DWORKBENCH_BENCH=OFF >/dev/null
cmake --build build/release --target torvane-workbench

launch=(build/release/torvane-workbench)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting the workbench on a virtual display (xvfb-run)."
    launch=(xvfb-run -a "${launch[@]}")
fi
exec "${launch[@]}"
