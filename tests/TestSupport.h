#pragma once

#include "WaitUntil.h"
#include "engine/Database.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

#include <gtest/gtest.h>

// Printing Qt strings in test failures.
void PrintTo(const QString &text, std::ostream *os);

// Runs one statement on a table file with the sqlite3 shell, as another
// program would; returns what it printed, without the last line break, or
// nothing when it failed.
std::optional<QString> Sqlite(const QString &file, const QString &statement);

// Points TMPDIR at a folder of this test process, removed at its end, so that
// a test process that crashes leaves one folder and not one per fixture; the
// folders of test processes that are gone are removed first. Called at the
// start of main().
void UseTemporaryFolderOfThisProcess();

// A data directory of its own for one test, removed afterwards.
class DataDirTest : public ::testing::Test {
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString dir() const { return m_dir.path(); }
    // Creates the six tables empty and opens the database on them.
    void openFreshDatabase();
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
    // Runs statements on the open database; a failure fails the test.
    void exec(const QString &statement);

    QTemporaryDir m_dir;
    Database m_db{QStringLiteral("test")};
};
