#!/usr/bin/env bash
# Builds Wren and runs the whole test suite through CTest.
# Extra arguments go to CMake's configure step (CI passes -DWREN_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
build="${WREN_BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$build" -j2

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$build" --output-on-failure -j2
