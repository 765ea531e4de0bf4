#!/usr/bin/env bash
# Installs what Wren needs, builds it, prepares the demo journal and starts Wren on it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2

demo="$PWD/demo"
if [ ! -e "$demo/wren.INI" ]; then
    build/wren-demo "$demo"
    # Published once, so that the pages and the feed are there to look at.
    build/wren-publish --data-dir "$demo" >/dev/null
    echo "Published the demo journal: $demo/site/index.html and its feed $demo/site/feed.xml"
fi
# The Read Me command opens the guide from the data directory.
cp -u docs/Wren.txt "$demo/Wren.txt"
echo "Starting Wren on the demo journal in $demo"
exec env WREN_DATA_DIR="$demo" build/wren "$@"
