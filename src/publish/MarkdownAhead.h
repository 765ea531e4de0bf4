#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

// The Markdown entries of an archive run, converted on a second thread while
// the pages that show them are written, so that converting costs the run
// little more than writing HTML entries does. Each entry is converted once a
// command, with the extension tag kept, and serves every upload's pages and
// feeds. The page writer asks for an entry when it writes it: one the thread
// has not reached yet it converts itself, one the thread is converting it
// waits for. The texts are copies made on the caller's thread; the object ends its
// thread when destroyed.
class MarkdownAhead {
public:
    struct Entry {
        QByteArray id, text;
    };
    // entries: those of the range, in the order the pages will want them.
    MarkdownAhead(const QDate &first, const QDate &last, std::vector<Entry> entries);
    ~MarkdownAhead();
    MarkdownAhead(const MarkdownAhead &) = delete;
    MarkdownAhead &operator=(const MarkdownAhead &) = delete;

    bool covers(const QDate &first, const QDate &last) const { return first >= m_first && last <= m_last; }

    // The HTML of the entry, with "<$WrenExt>" where its tags stood (see
    // MarkdownText::AppendHtml), when the entry is one of those read and its
    // text is the one read; nothing otherwise, and the caller converts.
    // holdsTag tells whether it holds the tag. The HTML lives as long as this.
    const QByteArray *html(const QByteArray &id, const QByteArray &text, bool &holdsTag);

private:
    enum State : int { Waiting, Converting, Done, Failed };
    struct Slot {
        QByteArray id, text, html;
        bool holdsTag = false;
        std::atomic<int> state{Waiting};
    };
    // Converts the slot when it is still waiting; false when another has it.
    bool convert(Slot &slot);

    QDate m_first, m_last;
    std::unique_ptr<Slot[]> m_slots;
    size_t m_count = 0;
    QHash<QByteArray, size_t> m_index;
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};
