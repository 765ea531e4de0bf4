#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (address and undefined-behaviour
# sanitizers) and runs each for SECONDS (default 60): the HTML colouring
# scanner, the settings file reader and writer, date formatting with any
# picture, template expansion with page writing, and the Markdown conversion
# of entries.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
command -v clang++ >/dev/null || { echo "clang++ is not installed; nothing to fuzz with"; exit 0; }
out=build-fuzz
mkdir -p "$out/corpus"
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"

# The scanner stands alone.
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -Isrc \
    $(pkg-config --cflags Qt6Core) fuzz/html_scanner_fuzz.cpp src/editor/HtmlScanner.cpp \
    $(pkg-config --libs Qt6Core) -o "$out/html_scanner_fuzz"

# The others link the core library, built instrumented with the same compiler.
cmake -S . -B "$out/core" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$sanitize -fPIC" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DWREN_GUI=OFF -DWREN_TESTS=OFF -DWREN_FUZZ=ON >/dev/null
cmake --build "$out/core" -j2 --target settings_file_fuzz format_date_fuzz page_writer_fuzz markdown_text_fuzz

run() {
    local name=$1 seed=$2
    mkdir -p "$out/corpus/$name"
    printf '%b' "$seed" >"$out/corpus/$name/seed"
    echo "== $name"
    "$3" -max_total_time="$seconds" -max_len=4096 "$out/corpus/$name"
}
run html_scanner '<a href="x" title=\x27y\x27>&amp;<!-- c -->\n<script>x</SCRIPT><%% a %%><?p ?>\n' \
    "$out/html_scanner_fuzz"
run settings_file '[General]\r\nVersion=5.0\r\n[Language]\r\nLongMonth3=M\xe4rz\r\n;c\n12' \
    "$out/core/fuzz/settings_file_fuzz"
run format_date '\x10\x27\x25\x00\x00\x10\x00\x00dddd, mmmm d, yyyy h:nn:ss am/pm "q" ddddd tt' \
    "$out/core/fuzz/format_date_fuzz"
run page_writer 'a\r\nb <$WrenExt>\n<p><$WrenArchivePrev><$WrenCookie><Wren><WrenHeader><$WrenDate></WrenHeader><$WrenEntry><$WrenTitle></Wren><$WrenArchive=3>' \
    "$out/core/fuzz/page_writer_fuzz"
run markdown_text '# T\r\n\r\n*a* **b** ~~c~~ `<$WrenExt>` [l](arc1.<$WrenExt>#WrenID2) www.x.org\n\n| a | b |\n|---|:-:|\n| <b>1</b> | &amp; |\n\n```\n< &\n```\n[r]: <$wrenext>\n' \
    "$out/core/fuzz/markdown_text_fuzz"
