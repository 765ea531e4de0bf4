#pragma once

#include "TestSupport.h"
#include "ui/Prompt.h"
#include "base/Settings.h"
#include "app/TfrmMain.h"
#include "wren-demo/DemoJournal.h"

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

// A main window on a data directory and a temporary base of its own.
class WindowTest : public ::testing::Test {
protected:
    ~WindowTest() override { window.reset(); }

    QString dataPath(const QString &name) const { return dataDir.filePath(name); }
    QString settingsPath() const { return dataPath(QStringLiteral("wren.INI")); }
    Settings settings() const { return Settings(settingsPath()); }
    void makeDemo(const QDate &today = QDate::currentDate()) { DemoJournal::create(dataDir.path(), today); }

    // Creates the window and runs its start-up; every queued answer must be used.
    bool start()
    {
        window = std::make_unique<TfrmMain>(MainWindowPaths{dataDir.path(), settingsPath(), tempBase.path()});
        return window->FormCreate();
    }
    // Destroys the window without closing it, as a crash would leave things.
    void drop() { window.reset(); }

    // Replaces the editor's text as a user would by selecting all and typing.
    void typeEntry(const QString &text) const
    {
        QTextCursor cursor = window->dbEntry->textCursor();
        cursor.select(QTextCursor::Document);
        cursor.insertText(text);
        window->dbEntry->setTextCursor(cursor);
    }
    // The window's part of that type and object name (any name when none is
    // given), found as a user's view of the window would: no accessor needed.
    // The test ends at once when there is none.
    template <typename T> T &part(const char *name = nullptr) const
    {
        T *found = window->findChild<T *>(name ? QString::fromLatin1(name) : QString());
        if (!found) {
            ADD_FAILURE() << "the window has no " << T::staticMetaObject.className() << ' ' << (name ? name : "");
            std::abort();
        }
        return *found;
    }
    // Whether a publish or archive run works: its Stop button shows meanwhile.
    bool publishing() const { return !part<QToolButton>("btnStop").isHidden(); }
    // The window's staging directory, the one below the temporary base.
    QString stagingPath() const
    {
        const QStringList found =
            QDir(tempBase.path()).entryList({QStringLiteral("wrentmp-*")}, QDir::Dirs | QDir::Hidden);
        return found.size() == 1 ? tempBase.filePath(found.first()) : QString();
    }
    QAction *action(const char *name) const { return window->actions()[QLatin1String(name)]; }
    // A value from the window's own connection.
    QVariant scalar(const QString &statement) const
    {
        const auto row = window->database().firstRow(statement);
        return row ? row->value(0) : QVariant();
    }

    QTemporaryDir dataDir;
    QTemporaryDir tempBase;
    std::unique_ptr<TfrmMain> window;
};
