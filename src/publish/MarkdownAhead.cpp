#include "MarkdownAhead.h"

#include "publish/MarkdownText.h"

#include <exception>

MarkdownAhead::MarkdownAhead(const QDate &first, const QDate &last, std::vector<Entry> entries)
    : m_first(first), m_last(last), m_slots(std::make_unique<Slot[]>(entries.size())), m_count(entries.size())
{
    m_index.reserve(static_cast<qsizetype>(m_count));
    for (size_t i = 0; i < m_count; ++i) {
        m_slots[i].id = std::move(entries[i].id);
        m_slots[i].text = std::move(entries[i].text);
        m_index.insert(m_slots[i].id, i);
    }
    m_worker = std::thread([this] {
        for (size_t i = 0; i < m_count && !m_stop.load(std::memory_order_relaxed); ++i)
            convert(m_slots[i]);
    });
}

MarkdownAhead::~MarkdownAhead()
{
    m_stop = true;
    m_worker.join();
}

bool MarkdownAhead::convert(Slot &slot)
{
    int waiting = Waiting;
    if (!slot.state.compare_exchange_strong(waiting, Converting, std::memory_order_acquire))
        return false;
    try {
        MarkdownText::AppendHtml(slot.text, slot.html, nullptr);
        slot.holdsTag = slot.html.contains("<$WrenExt>");
        slot.state.store(Done, std::memory_order_release);
    } catch (const std::exception &) {
        // Out of memory: the page writer converts the entry again and reports it.
        slot.html.clear();
        slot.state.store(Failed, std::memory_order_release);
    }
    return true;
}

const QByteArray *MarkdownAhead::html(const QByteArray &id, const QByteArray &text, bool &holdsTag)
{
    const auto found = m_index.constFind(id);
    if (found == m_index.cend())
        return nullptr;
    Slot &slot = m_slots[*found];
    if (slot.text != text)
        return nullptr; // changed since it was read
    convert(slot);
    int state = slot.state.load(std::memory_order_acquire);
    while (state == Converting) {
        std::this_thread::yield(); // the other thread is a few microseconds from done
        state = slot.state.load(std::memory_order_acquire);
    }
    if (state != Done)
        return nullptr;
    holdsTag = slot.holdsTag;
    return &slot.html;
}
