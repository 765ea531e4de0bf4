#pragma once

#include "publish/MarkdownCache.h"

#include <QByteArray>
#include <QDate>
#include <QHash>

#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <thread>

// The HTML of a Markdown journal's entries for one archive command, each
// converted at most once and serving every upload's pages and feeds: an
// entry converted by an earlier command and not changed since comes from the
// cache; when many entries of the range are new to it, their texts are read
// first and converted on a second thread while the pages are written; any
// other entry is converted when its page asks for it. When this ends, the
// cache is brought up to date. The page writer asks for an entry when it
// writes it: one the thread has not reached yet it converts itself, one the
// thread is converting it waits for. The object ends its thread when
// destroyed.
class MarkdownAhead {
public:
    // cachePath: the cache file, or empty for none.
    MarkdownAhead(const QDate &first, const QDate &last, const QString &cachePath = {});
    ~MarkdownAhead();
    MarkdownAhead(const MarkdownAhead &) = delete;
    MarkdownAhead &operator=(const MarkdownAhead &) = delete;

    bool covers(const QDate &first, const QDate &last) const { return first >= m_first && last <= m_last; }

    // Whether the cache holds an entry of this ID, whatever its text.
    bool cached(const QByteArray &id) const { return m_cache && m_cache->holds(id); }
    // Adds an entry for the second thread, in the order the pages will want
    // them; the bytes may be the engine's own: they are copied, and their
    // count is returned. One the cache holds as it is is left to the cache.
    // Then start.
    qsizetype add(const QByteArray &id, const QByteArray &text);
    void start();

    // The HTML of the entry, with "<$WrenExt>" where its tags stood (see
    // MarkdownText::AppendHtml); holdsTag tells whether it holds the tag. It
    // lives as long as this. Throws WrenError when the converter fails.
    const QByteArray &html(const QByteArray &id, const QByteArray &text, bool &holdsTag);

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
    std::optional<MarkdownCache> m_cache;
    std::atomic<int> m_converted{0}; // entries converted here, not taken from the cache
    std::deque<Slot> m_slots;        // never moved: the thread works on them
    QHash<QByteArray, size_t> m_index;
    std::deque<MarkdownCache::Record> m_later; // converted when their page asked
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};
