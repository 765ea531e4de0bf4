// libFuzzer target for the HTML colouring scanner: any bytes, split into
// lines, must scan without a crash or a read outside the text, and every span
// must lie inside its line. Built by scripts/fuzz.sh with clang.

#include "editor/HtmlScanner.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    THtmlHighlighter scanner;
    scanner.XMLSyntax = size > 0 && (data[0] & 1);
    THtmlHighlighter::State state;
    for (const QString &line : text.split(u'\n')) {
        int previousEnd = 0;
        for (const auto &span : scanner.scanLine(line, state)) {
            if (span.start < previousEnd || span.length <= 0 || span.start + span.length > line.size() ||
                span.cls >= THtmlHighlighter::ClassCount)
                std::abort();
            previousEnd = span.start + span.length;
        }
        if (THtmlHighlighter::State::decode(state.encode()) != state)
            std::abort();
    }
    return 0;
}
