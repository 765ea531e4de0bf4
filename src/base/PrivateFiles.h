#pragma once

#include <QString>
#include <QStringList>

// The files whose stored form holds passwords in clear (the sites table and
// the settings file with the proxy password). Made at a start, they are
// readable by the user only; found readable by others, they are named once
// in the log, and left as the user set them. Also the state files of a data
// directory, which a link in their place never redirects.
class PrivateFiles {
public:
    // Notes which of the files exist: build it before the start creates any.
    explicit PrivateFiles(QStringList paths);
    // The files of a data directory and its settings file.
    static PrivateFiles of(const QString &dataDir, const QString &settingsPath);

    // Creates the missing ones empty, gives those this start made mode 0600,
    // and returns a log line for each earlier one that others can read.
    QStringList secure() const;

    // The files a data directory keeps state in, which are never written
    // through a link: the trusted keys, the upload record, the unsaved
    // entry and the settings file.
    static QStringList stateFiles(const QString &dataDir, const QString &settingsPath);
    // Replaces a link at path by a file of mode 0600 holding a copy of what
    // the link shows (nothing unless that is a regular file); what the link
    // points to is never written. A pipe, socket or device there is replaced
    // by an empty 0600 file. Returns the log line that says so, or nothing
    // when path is a plain file, a folder or missing. Throws WrenError when
    // it cannot.
    static QString replaceLink(const QString &path);
    // replaceLink for each path; the lines, and one for each that failed.
    static QStringList replaceLinks(const QStringList &paths);

private:
    QStringList m_paths;
    QList<bool> m_existed;
};
