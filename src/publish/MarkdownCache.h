#pragma once

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// The HTML of Markdown entries as converted before, kept between commands in
// a file of the data directory, so that publishing a journal again converts
// only the entries that changed. An entry's HTML is used again only when its
// text is byte for byte the one converted, by the same converter library
// (its file, size and time, and the options): anything else is converted
// anew. A missing, foreign or damaged file is an empty cache; the file is
// never read or written through a link.
class MarkdownCache {
public:
    struct Record {
        QByteArray id, text, html; // html as MarkdownText::AppendHtml makes it with the tag kept
        bool holdsTag = false;     // html holds "<$WrenExt>"
    };

    explicit MarkdownCache(QString path);
    MarkdownCache(const MarkdownCache &) = delete;
    MarkdownCache &operator=(const MarkdownCache &) = delete;

    // The record of the entry when its text is the one converted; its bytes
    // live as long as this cache.
    const Record *find(const QByteArray &id, const QByteArray &text) const;

    bool holds(const QByteArray &id) const { return m_records.contains(id); }

    // Replaces the file by these records and those read before whose IDs are
    // not among them. Throws WrenError when the file cannot be written.
    void store(const std::vector<Record> &records) const;

private:
    QString m_path;
    QFile m_file;
    QByteArray m_bytes; // the file, mapped into memory; the records point into it
    QHash<QByteArray, Record> m_records;
};
