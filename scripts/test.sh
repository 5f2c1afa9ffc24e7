#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, then runs the
# whole test suite through CTest on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DWORKBENCH_SANITIZE=ON \
    -DWORKBENCH_WERROR=ON >/dev/null
cmake --build build/asan
cd build/asan
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 600
