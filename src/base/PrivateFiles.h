#pragma once

#include <QString>
#include <QStringList>

// The files whose stored form holds passwords in clear (the sites table and
// the settings file with the proxy password). Made at a start, they are
// readable by the user only; found readable by others, they are named once
// in the log, and left as the user set them.
class PrivateFiles {
public:
    // Notes which of the files exist: build it before the start creates any.
    explicit PrivateFiles(QStringList paths);
    // The files of a data directory and its settings file.
    static PrivateFiles of(const QString &dataDir, const QString &settingsPath);

    // Creates the missing ones empty, gives those this start made mode 0600,
    // and returns a log line for each earlier one that others can read.
    QStringList secure() const;

private:
    QStringList m_paths;
    QList<bool> m_existed;
};
