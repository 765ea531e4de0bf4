#pragma once

#include <QString>

// The directory where pages are written before they are sent, where the
// preview's file lives, and where the table engine keeps its temporary files.
//
// Each window and each wren-publish run has one of its own: "wrentmp-XXXXXX"
// under the user's temporary directory, made with a unique name and mode
// 0700, marked with its owner (process and start time), and removed when the
// owner ends. A shared name would let a second window empty the first one's
// files, and on a shared temporary directory let others plant a folder or a
// link of that name. Nothing is ever deleted through a link.
class StagingDirectory {
public:
    // A fresh private directory under baseDir; the folders of owners that
    // ended without removing theirs go first. Throws WrenError.
    static StagingDirectory createPrivate(const QString &baseDir);

    StagingDirectory() = default;
    const QString &path() const { return m_path; }
    bool isValid() const { return !m_path.isEmpty(); }

    // Removes the directory with all it holds; links in it are removed as
    // links, never followed.
    void remove();

    // Removes the private staging folders ("wrentmp-XXXXXX") under baseDir
    // whose owning process has ended (a run that was killed), if they pass
    // the ownership check; returns how many went.
    static int removeAbandoned(const QString &baseDir);

    // True when path is a real directory (not a link), owned by this user and
    // closed to everybody else.
    static bool isPrivateDirectory(const QString &path);

private:
    explicit StagingDirectory(QString path) : m_path(std::move(path)) {}
    static QByteArray ownerMark(qint64 pid);
    static constexpr const char *kOwnerFile = ".owner";
    QString m_path;
};
