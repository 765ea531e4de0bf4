#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <vector>

// The HTML colouring of the editors, as a scanner over plain text: for one
// line and the state at its start it returns the styled spans and the state
// at its end. A line's colouring depends on nothing else, so an editor
// re-scans only lines whose start state changed.
class THtmlHighlighter {
public:
    // Token classes, each drawn with its attribute set.
    enum Class : std::uint8_t {
        Bracket,
        HtmlKeyword,
        HtmlTag,
        HtmlComment,
        HtmlAttribute,
        HtmlAttributeValue,
        ScriptContent,
        SpecialChars,
        UnknownTag,
        ScriptTag,
        DefaultText,
        ClassCount
    };

    // How a class is drawn: font style, the alternate font, and colours as
    // 0xRRGGBB (-1: none; SystemText / SystemWindow: the desktop's colours).
    struct THighlightInfo {
        bool bold = false;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        bool altFont = false;
        std::int64_t background = -1;
        std::int64_t foreground = 0;
    };
    static constexpr std::int64_t SystemText = -2;
    static constexpr std::int64_t SystemWindow = -3;
    static THighlightInfo defaultInfo(Class cls);

    struct Element {
        const char *name; // upper case
        bool attributes;  // takes attributes
        bool closing;     // closing form allowed
    };
    static constexpr int kElementCount = 106;
    static const std::array<Element, kElementCount> &elements();
    // Context offsets beyond the element rows.
    enum Offset {
        CommentContext = 106,
        UnknownContext = 107,
        ServerContext = 108,
        EntityContext = 109,
        ProcessingContext = 110
    };

    // What is open where a line starts.
    struct State {
        enum Kind : std::uint8_t { Plain, TagBody, UnknownBody, Comment, ScriptBody, Server, Processing };
        Kind kind = Plain;
        int context = 0; // element row of an open tag
        bool operator==(const State &) const = default;
        int encode() const { return kind * 256 + context; }
        static State decode(int value);
    };

    struct Span {
        int start;
        int length;
        Class cls;
        bool operator==(const Span &) const = default;
    };

    bool XMLSyntax = false;

    std::vector<Span> scanLine(QStringView line, State &state) const;

    // The element row of a name (upper case, no leading "/"), or -1.
    int lookUp(QStringView upperName, bool closingTag) const;
};
