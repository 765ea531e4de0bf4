#pragma once

#include <QMutex>
#include <QString>

#include <optional>

// The host keys and certificates the user trusts, one line each in the file
// Wren.hosts of the data directory: host, port, kind and SHA-256 fingerprint,
// separated by blanks. The file is read at each look-up, so a key trusted by
// another Wren process counts at once. Safe to use from several threads.
class KnownHosts {
public:
    explicit KnownHosts(QString path) : m_path(std::move(path)) {}

    const QString &path() const { return m_path; }
    // The stored fingerprint for the host, port and kind, or nothing.
    std::optional<QString> find(const QString &host, int port, const QString &kind) const;
    // Stores a fingerprint for a host that has none yet. Throws WrenError when
    // the file cannot be written.
    void add(const QString &host, int port, const QString &kind, const QString &fingerprint);

private:
    QString m_path;
    mutable QMutex m_mutex;
};
