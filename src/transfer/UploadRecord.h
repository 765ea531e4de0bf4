#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

struct sqlite3;

// What has been sent to each site: the table file Transfer.DAT in the data
// directory holds, per site and directory, each file's name, size, SHA-256
// and the time it arrived. A row is written as soon as its file is in place,
// so a run cut short knows what reached the site.
class UploadRecord {
public:
    struct Entry {
        qint64 size = 0;
        QByteArray sha256; // hex
    };

    // Opens the file, creating it and its table when missing. Throws WrenError.
    explicit UploadRecord(const QString &path);
    ~UploadRecord();
    UploadRecord(const UploadRecord &) = delete;
    UploadRecord &operator=(const UploadRecord &) = delete;

    std::optional<Entry> find(const QString &site, const QString &directory, const QString &name) const;
    // Stores the file as sent now. Throws WrenError.
    void record(const QString &site, const QString &directory, const QString &name, const Entry &entry);

    // The names recorded for a site's directory.
    QStringList names(const QString &site, const QString &directory) const;

    // The SHA-256 of a local file, in hex, and its size; nothing when it cannot be read.
    static std::optional<Entry> digestOf(const QString &path);
    // The same for bytes in memory.
    static Entry digestOf(const QByteArray &bytes);

private:
    void exec(const char *sql);
    sqlite3 *m_db = nullptr;
    QString m_path;
};
