#!/usr/bin/env bash
# Runs clang-tidy, with the checks of .clang-tidy, over the program's own
# sources (src/ and tools/; not the tests) and fails on any warning.
# Needs the compile commands of a configured and built tree (the generated
# moc and ui headers must exist): scripts/tidy.sh [BUILD_DIR], default build.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: $build/compile_commands.json is missing; configure and build $build first" >&2
    exit 1
fi
# Two jobs: the whole tree takes about six minutes on two cores.
if ! run-clang-tidy -p "$build" -j 2 -quiet "^$PWD/(src|tools)/"; then
    echo "clang-tidy: the warnings above need fixing (or a NOLINT with its reason)" >&2
    exit 1
fi
