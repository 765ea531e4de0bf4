#pragma once

#include <QString>

// The directory where pages are written before they are sent, and where the
// table engine keeps its temporary files.
//
// It is "wrentmp" under the user's temporary directory, private to the user
// (mode 0700). On a shared temporary directory anybody could plant a "wrentmp"
// (or a link of that name) to make the program delete files of theirs, so an
// existing "wrentmp" is used only when it is a real directory owned by the
// user; otherwise a fresh private directory is made beside it. Files are only
// ever deleted inside a directory that passed this check.
class StagingDirectory {
public:
    // Prepares "wrentmp" under baseDir, as described above, and empties it.
    // Throws WrenError when no private directory can be made.
    static StagingDirectory prepare(const QString &baseDir);
    // A fresh private directory under baseDir, for a process that must not
    // share "wrentmp" with a running window.
    static StagingDirectory createPrivate(const QString &baseDir);

    StagingDirectory() = default;
    const QString &path() const { return m_path; }
    bool isValid() const { return !m_path.isEmpty(); }

    // Deletes the files in it that are neither hidden nor directories (links
    // are removed, never followed).
    void empty() const;
    // Empties the directory and removes it; a directory that still holds
    // something (a hidden file, a subdirectory) stays.
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
