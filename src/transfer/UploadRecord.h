#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct sqlite3;

// What has been sent to each site: the table file Transfer.DAT in the data
// directory holds, per site and directory, each file's name, size, SHA-256
// and the time it arrived. A row is written as soon as its file is in place,
// so a run cut short knows what reached the site.
//
// The file is opened when first needed, so a run that sends only to local
// folders never touches it. It is made readable by the user only; a link in
// its place is replaced, never followed. A file that is not a database is
// set aside as "Transfer.DAT.damaged-YYYY-MM-DD" and a new record begun
// (every page is then sent once); one that cannot be opened at all leaves
// the run without a record. Either is said in one line through the notes.
class UploadRecord {
public:
    struct Entry {
        qint64 size = 0;
        QByteArray sha256; // hex
    };

    // Opens nothing yet. Lines about the file itself go to notes.
    explicit UploadRecord(const QString &path, std::function<void(const QString &)> notes = {});
    ~UploadRecord();
    UploadRecord(const UploadRecord &) = delete;
    UploadRecord &operator=(const UploadRecord &) = delete;

    std::optional<Entry> find(const QString &site, const QString &directory, const QString &name) const;
    // Stores the file as sent now (nothing when there is no record to use).
    // Throws WrenError.
    void record(const QString &site, const QString &directory, const QString &name, const Entry &entry);

    // The names recorded for a site's directory.
    QStringList names(const QString &site, const QString &directory) const;

    // The SHA-256 of a local file, in hex, and its size; nothing when it cannot be read.
    static std::optional<Entry> digestOf(const QString &path);
    // The same for bytes in memory.
    static Entry digestOf(const QByteArray &bytes);

private:
    // Opens the file and its table the first time; false when there is no record to use.
    bool ready() const;
    // Opens the file; the SQLite result code.
    int openDatabase() const;
    // Renames a damaged file out of the way; its new name.
    QString setAside() const;
    void note(const QString &line) const;
    mutable sqlite3 *m_db = nullptr;
    mutable bool m_unusable = false;
    QString m_path;
    std::function<void(const QString &)> m_notes;
};
