// Colours a 100 KB entry in a text document from scratch, then times the
// re-colouring after one character typed in its middle, as the entry editor
// does on every key press. Median of nine runs each.

#include "editor/HtmlSyntaxHighlighter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QString entry;
    for (int i = 0; entry.size() < 100 * 1024; ++i)
        entry += QStringLiteral("<p class=\"n%1\">Walked the <b>long</b> field &amp; saw a wren at <i>dawn</i>; "
                                "<a href=\"arc2026.<$WrenExt>#WrenID%1\">see</a></p>\n")
                     .arg(i);
    std::vector<double> scratch, keystroke;
    for (int run = 0; run < 9; ++run) {
        QTextDocument document;
        HtmlSyntaxHighlighter highlighter(&document);
        document.setPlainText(entry);
        QElapsedTimer timer;
        timer.start();
        highlighter.rehighlight(); // every line, from the first
        scratch.push_back(timer.nsecsElapsed() / 1e6);

        QTextCursor cursor(&document);
        cursor.setPosition(static_cast<int>(entry.size() / 2));
        timer.restart();
        cursor.insertText(QStringLiteral("x"));
        keystroke.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(scratch.begin(), scratch.end());
    std::sort(keystroke.begin(), keystroke.end());
    std::printf("entry of %lld characters, %d lines\n", static_cast<long long>(entry.size()),
                static_cast<int>(entry.count(u'\n')));
    std::printf("colour from scratch (every line)                 : median %.2f ms\n", scratch[4]);
    std::printf("one character typed in the middle, re-coloured:    median %.3f ms\n", keystroke[4]);
    return 0;
}
