#pragma once

#include "editor/HtmlScanner.h"
#include "editor/Spelling.h"

#include <QStringView>

#include <cstdint>
#include <vector>

// The Markdown colouring of the entry editor in a journal whose entries are
// Markdown, as a scanner over one line and the state at its start, like the
// HTML scanner: headings, emphasis, code, links, character references and
// raw HTML (coloured as the HTML scanner colours it), and the words spelling
// looks at, which leave out code, link targets, addresses and markup. It
// follows CommonMark closely enough for colouring; what the converter makes
// of an unusual text decides the page.
class MarkdownScanner {
public:
    // The classes beyond the HTML scanner's, which raw HTML uses. Strong,
    // Emphasis and Strike change the style of what they cover, whatever its
    // colour; the others are drawn as their own attribute set.
    enum Class : std::uint8_t {
        Heading = THtmlHighlighter::ClassCount,
        Markup, // the marks that make the structure: "#", "*", "`", "[", "](", list and quote marks
        Code,
        LinkText,
        LinkTarget, // a link's address or reference, and addresses written as they are
        Strong,
        Emphasis,
        Strike,
        ClassCount
    };

    struct Span {
        int start;
        int length;
        std::uint8_t cls; // a THtmlHighlighter::Class, or one of the above
        bool operator==(const Span &) const = default;
    };

    // What is open where a line starts.
    struct State {
        enum Kind : std::uint8_t { Text, Fence, HtmlBlock, Comment };
        Kind kind = Text;
        bool tildeFence = false;
        int fenceLength = 0;          // at most 31 is kept
        bool afterBlank = true;       // the line before was blank, or there was none
        bool afterCode = false;       // the line before was indented code
        bool inList = false;          // a list item came since the last line outside lists
        THtmlHighlighter::State html; // inside an HTML block
        HtmlTextState words = HtmlTextState::Text;
        bool operator==(const State &) const = default;
        // A non-negative number below 2^25, and back.
        int encode() const;
        static State decode(int value);
    };

    struct Line {
        std::vector<Span> spans; // in the order they are drawn: later ones over earlier
        std::vector<WordSpan> words;
    };

    static Line scanLine(QStringView line, State &state);
};
