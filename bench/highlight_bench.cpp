// Colouring and typing costs of the entry editor, median of several runs:
//  1. a 100 KB entry in a bare text document (no layout): colouring from
//     scratch and after one character typed in its middle;
//  2. key presses as the user makes them, in the editor path the program
//     runs: a QPlainTextEdit with its layout, the HTML colouring and live
//     spelling on, for a 100 KB entry, a 1 MB entry and a 1 MB single line,
//     (a) in a bare editor, (b) in the same editor with the change handler
//     the main window had before (copy the whole text, convert its line
//     breaks, compare with the stored text) and (c) in the main window itself.

#include "app/TfrmMain.h"
#include "editing/EntryList.h"
#include "editor/HtmlSyntaxHighlighter.h"
#include "editor/Spelling.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString entryOf(qsizetype size, bool lineBreaks)
{
    QString entry;
    for (int i = 0; entry.size() < size; ++i)
        entry += QStringLiteral("<p class=\"n%1\">Walked the <b>long</b> field &amp; saw a wren at <i>dawn</i>; "
                                "<a href=\"arc2026.<$WrenExt>#WrenID%1\">see</a></p>%2")
                     .arg(i)
                     .arg(lineBreaks ? QStringLiteral("\n") : QStringLiteral(" "));
    return entry;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Types keys into the middle of the editor, as key events; the time of each
// key includes the events it leaves queued (layout, repaint).
double perKey(QPlainTextEdit *editor, int keys)
{
    QTextCursor cursor = editor->textCursor();
    cursor.setPosition(editor->document()->characterCount() / 2);
    editor->setTextCursor(cursor);
    QApplication::processEvents();
    std::vector<double> times;
    for (int k = 0; k < keys; ++k) {
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(editor, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(editor, &release);
        QApplication::processEvents();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

QString toStored(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\n', QLatin1String("\r\n"));
    return text;
}

void bareDocument()
{
    const QString entry = entryOf(100 * 1024, true);
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
    std::printf("bare document, entry of %lld characters, %lld lines\n", static_cast<long long>(entry.size()),
                static_cast<long long>(entry.count(u'\n')));
    std::printf("  colour from scratch (every line)              : median %8.2f ms\n", median(scratch));
    std::printf("  one character typed in the middle, re-coloured: median %8.3f ms\n", median(keystroke));
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bareDocument();

    const SpellChecker spell({}, QString());
    std::printf("\nkey presses in the editor (live spelling %s), median of 21 keys\n",
                spell.isLoaded() ? "on" : "on, but no dictionary installed");
    std::printf("  %-22s %12s %14s %12s\n", "entry", "editor", "old handler", "main window");

    // The main window on a data directory of its own, with no journal: typing
    // starts an entry of today.
    QTemporaryDir data, temp;
    {
        QFile ini(QDir(data.path()).filePath(QStringLiteral("wren.INI")));
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        ini.write("[General]\nVersion=5.0\n");
    }
    TfrmMain window(MainWindowPaths{data.path(), QDir(data.path()).filePath(QStringLiteral("wren.INI")), temp.path()});
    if (!window.FormCreate())
        return 1;
    window.resize(1000, 700);
    window.show();

    const struct {
        const char *name;
        qsizetype size;
        bool lines;
    } cases[] = {{"100 KB, lines", 100 * 1024, true},
                 {"1 MB, lines", 1024 * 1024, true},
                 {"1 MB, one line", 1024 * 1024, false}};
    for (const auto &c : cases) {
        const QString entry = entryOf(c.size, c.lines);
        QPlainTextEdit bare;
        bare.resize(700, 500);
        HtmlSyntaxHighlighter marks(bare.document());
        marks.setSpellChecker(&spell);
        marks.setSpellActive(true);
        bare.setPlainText(entry);
        bare.show();
        const double editorOnly = perKey(&bare, 21);

        // The handler as it was: the whole text copied, converted and compared on each change.
        QString stored = toStored(bare.toPlainText());
        const auto oldWay = QObject::connect(&bare, &QPlainTextEdit::textChanged, &bare, [&] {
            const QString text = toStored(bare.toPlainText());
            if (text != stored)
                stored = text;
        });
        const double oldHandler = perKey(&bare, 21);
        QObject::disconnect(oldWay); // before stored goes out of scope
        bare.hide();

        window.dbEntry->setPlainText(entry);
        const double mainWindow = perKey(window.dbEntry, 21);
        window.entries().discard();
        std::printf("  %-22s %9.2f ms %11.2f ms %9.2f ms\n", c.name, editorOnly, oldHandler, mainWindow);
        std::fflush(stdout);
    }
    return 0;
}
