#pragma once

#include <QList>
#include <QMutex>
#include <QStringList>
#include <QString>

// The host keys and certificates the user trusts, one line each in the file
// Wren.hosts of the data directory: host, port, kind and SHA-256 fingerprint,
// separated by blanks or tabs; lines may end in CR LF, and blank lines and
// lines starting with "#" are skipped. A host may have several lines (a key
// of each type, or an old and a new certificate): any of them trusts it. The
// file is read at each look-up, so a key trusted by another Wren process
// counts at once; a link in its place is never followed. Safe to use from
// several threads.
class KnownHosts {
public:
    explicit KnownHosts(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }

    // What the file says of a fingerprint seen for a host, port and kind.
    struct Lookup {
        bool trusted = false; // a line for them holds the fingerprint
        QList<int> lines;     // otherwise the lines (from 1) that hold other fingerprints for them
        QStringList stored;   // and those fingerprints
    };
    Lookup lookup(const QString &host, int port, const QString &kind, const QString &fingerprint) const;
    // Stores a fingerprint for a host. The file is created readable by the
    // user only. Throws WrenError when it cannot be written.
    void add(const QString &host, int port, const QString &kind, const QString &fingerprint);

private:
    QString m_path;
    mutable QMutex m_mutex;
};
