#!/usr/bin/env bash
# Builds the HTML scanner's fuzz target with clang's libFuzzer (address and
# undefined-behaviour sanitizers) and runs it for SECONDS (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
command -v clang++ >/dev/null || { echo "clang++ is not installed; nothing to fuzz with"; exit 0; }
out=build-fuzz
mkdir -p "$out/corpus"
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -Isrc \
    $(pkg-config --cflags Qt6Core) fuzz/html_scanner_fuzz.cpp src/editor/HtmlScanner.cpp \
    $(pkg-config --libs Qt6Core) -o "$out/html_scanner_fuzz"
printf '<a href="x" title=\x27y\x27>&amp;<!-- c -->\n<script>x</SCRIPT><%% a %%><?p ?>\n' > "$out/corpus/seed.html"
"$out/html_scanner_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus"
