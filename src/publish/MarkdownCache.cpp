#include "MarkdownCache.h"

#include "base/AtomicFile.h"
#include "publish/MarkdownText.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstring>

namespace {

const QByteArray kMagic("Wren Markdown cache 1\n");

// A record: the ID, a zero byte, the tag flag, the lengths of text and HTML
// as 8 bytes each (least significant first), then the text and the HTML.
void putLength(QByteArray &out, qsizetype n)
{
    auto v = static_cast<quint64>(n);
    for (int i = 0; i < 8; ++i, v >>= 8)
        out += static_cast<char>(v & 0xFF);
}

bool takeLength(const QByteArray &in, qsizetype &at, qsizetype &n)
{
    if (in.size() - at < 8)
        return false;
    quint64 v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(in[at + i]);
    at += 8;
    if (v > static_cast<quint64>(in.size() - at))
        return false;
    n = static_cast<qsizetype>(v);
    return true;
}

QByteArray header()
{
    return kMagic + MarkdownText::ConverterSignature() + '\n';
}

} // namespace

MarkdownCache::MarkdownCache(QString path) : m_path(std::move(path))
{
    const QFileInfo info(m_path);
    if (!info.isFile() || info.isSymLink())
        return;
    m_file.setFileName(m_path);
    if (!m_file.open(QIODevice::ReadOnly) || m_file.size() == 0)
        return;
    // Mapped, not read: the pages of the file are used where they lie.
    const uchar *mapped = m_file.map(0, m_file.size(), QFileDevice::MapPrivateOption);
    if (!mapped)
        return;
    m_bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), m_file.size());
    const QByteArray head = header();
    if (!m_bytes.startsWith(head)) {
        m_bytes.clear(); // another converter, or not a cache of ours
        return;
    }
    QHash<QByteArray, Record> records;
    qsizetype at = head.size();
    while (at < m_bytes.size()) {
        const qsizetype zero = m_bytes.indexOf('\0', at);
        qsizetype textSize = 0, htmlSize = 0;
        if (zero < 0 || zero + 2 > m_bytes.size())
            return;
        Record r;
        r.id = QByteArray::fromRawData(m_bytes.constData() + at, zero - at);
        r.holdsTag = m_bytes.at(zero + 1) == '1'; // at(): a write access would copy the mapping
        at = zero + 2;
        if (!takeLength(m_bytes, at, textSize))
            return;
        r.text = QByteArray::fromRawData(m_bytes.constData() + at, textSize);
        at += textSize;
        if (!takeLength(m_bytes, at, htmlSize))
            return;
        r.html = QByteArray::fromRawData(m_bytes.constData() + at, htmlSize);
        at += htmlSize;
        records.insert(r.id, r);
    }
    m_records = std::move(records); // only a file read to its end counts
}

const MarkdownCache::Record *MarkdownCache::find(const QByteArray &id, const QByteArray &text) const
{
    const auto found = m_records.constFind(id);
    return found != m_records.cend() && found->text == text ? &*found : nullptr;
}

void MarkdownCache::store(const std::vector<Record> &records) const
{
    QSet<QByteArray> ids;
    qsizetype size = 0;
    for (const Record &r : records) {
        ids.insert(r.id);
        size += r.id.size() + r.text.size() + r.html.size() + 18;
    }
    QByteArray out = header();
    out.reserve(out.size() + size + m_bytes.size());
    auto put = [&out](const Record &r) {
        out += r.id;
        out += '\0';
        out += r.holdsTag ? '1' : '0';
        putLength(out, r.text.size());
        out += r.text;
        putLength(out, r.html.size());
        out += r.html;
    };
    for (const Record &r : records)
        put(r);
    for (const Record &r : m_records)
        if (!ids.contains(r.id))
            put(r);
    AtomicFile::write(m_path, out, AtomicFile::Durability::Replace, AtomicFile::Access::Private);
}
