#include "MarkdownAhead.h"

#include "publish/MarkdownText.h"

#include <exception>

MarkdownAhead::MarkdownAhead(const QDate &first, const QDate &last, const QString &cachePath)
    : m_first(first), m_last(last)
{
    if (!cachePath.isEmpty())
        m_cache.emplace(cachePath);
}

qsizetype MarkdownAhead::add(const QByteArray &id, const QByteArray &text)
{
    if (m_cache && m_cache->find(id, text))
        return 0;
    Slot &slot = m_slots.emplace_back();
    slot.id = QByteArray(id.constData(), id.size());
    slot.text = QByteArray(text.constData(), text.size());
    return text.size();
}

void MarkdownAhead::start()
{
    m_index.reserve(static_cast<qsizetype>(m_slots.size()));
    for (size_t i = 0; i < m_slots.size(); ++i)
        m_index.insert(m_slots[i].id, i);
    if (m_slots.empty())
        return;
    m_worker = std::thread([this] {
        for (size_t i = 0; i < m_slots.size() && !m_stop.load(std::memory_order_relaxed); ++i)
            convert(m_slots[i]);
    });
}

MarkdownAhead::~MarkdownAhead()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
    if (!m_cache || m_converted.load() == 0)
        return;
    std::vector<MarkdownCache::Record> records;
    records.reserve(m_slots.size() + m_later.size());
    for (const Slot &slot : m_slots) {
        if (slot.state.load(std::memory_order_acquire) == Done)
            records.push_back({slot.id, slot.text, slot.html, slot.holdsTag});
    }
    records.insert(records.end(), m_later.begin(), m_later.end());
    try {
        m_cache->store(records);
    } catch (const std::exception &) {
        // The cache only saves work: without it the next command converts again.
    }
}

bool MarkdownAhead::convert(Slot &slot)
{
    int waiting = Waiting;
    if (!slot.state.compare_exchange_strong(waiting, Converting, std::memory_order_acquire))
        return false;
    try {
        MarkdownText::AppendHtml(slot.text, slot.html, nullptr);
        slot.holdsTag = slot.html.contains("<$WrenExt>");
        ++m_converted;
        slot.state.store(Done, std::memory_order_release);
    } catch (const std::exception &) {
        // Out of memory: the page converts the entry again and reports it.
        slot.html.clear();
        slot.state.store(Failed, std::memory_order_release);
    }
    return true;
}

const QByteArray &MarkdownAhead::html(const QByteArray &id, const QByteArray &text, bool &holdsTag)
{
    if (const auto found = m_index.constFind(id); found != m_index.cend()) {
        Slot &slot = m_slots[*found];
        if (slot.text == text) {
            convert(slot);
            int state = slot.state.load(std::memory_order_acquire);
            while (state == Converting) {
                std::this_thread::yield(); // the other thread is a few microseconds from done
                state = slot.state.load(std::memory_order_acquire);
            }
            if (state == Done) {
                holdsTag = slot.holdsTag;
                return slot.html;
            }
        }
    }
    if (const MarkdownCache::Record *known = m_cache ? m_cache->find(id, text) : nullptr) {
        holdsTag = known->holdsTag;
        return known->html;
    }
    // New to both, or changed since it was read: converted now, and kept.
    MarkdownCache::Record &made = m_later.emplace_back();
    made.id = QByteArray(id.constData(), id.size());
    made.text = QByteArray(text.constData(), text.size());
    MarkdownText::AppendHtml(made.text, made.html, nullptr);
    made.holdsTag = made.html.contains("<$WrenExt>");
    ++m_converted;
    holdsTag = made.holdsTag;
    return made.html;
}
