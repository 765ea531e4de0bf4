#include "app/DataDirectory.h"
#include "app/DataDirectoryLock.h"
#include "app/Prompt.h"
#include "app/Settings.h"
#include "app/StagingDirectory.h"
#include "app/Startup.h"
#include "app/StartupWindow.h"
#include "data/WrenError.h"
#include "engine/Database.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wren"));
    QApplication::setApplicationDisplayName(QStringLiteral("Wren"));

    const QString executable = QApplication::applicationFilePath();
    const QString dataDir = DataDirectory::path(executable);
    Settings settings(DataDirectory::settingsFilePath(executable));
    Database database;
    StagingDirectory staging;
    int status = 0;
    // The headless publisher must not work on the tables while the window does.
    DataDirectoryLock lock(dataDir);
    if (!lock.isHeld()) {
        Prompt::inform(nullptr, lock.reason());
        return 1;
    }
    try {
        staging = StagingDirectory::prepare(QDir::tempPath());
        const Startup::Result started = Startup::openDataDirectory(settings, dataDir, staging.path(), database);
        if (!started.version.message.isEmpty())
            Prompt::inform(nullptr, started.version.message);
        if (started.databaseOpen) {
            StartupWindow window(database);
            window.showFirstJournal();
            window.show();
            status = app.exec();
        }
    } catch (const WrenError &error) {
        Prompt::inform(nullptr, error.message());
        status = 1;
    }
    database.closeIdleConnections();
    database.close();
    staging.remove();
    return status;
}
