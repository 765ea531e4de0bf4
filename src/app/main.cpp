#include "base/DataDirectory.h"
#include "base/DataDirectoryLock.h"
#include "base/Prompt.h"
#include "app/SingleInstance.h"
#include "app/TfrmMain.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

int main(int argc, char *argv[])
{
    // The web engine's sandbox refuses to run for root; a root session would
    // otherwise get no preview at all.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The entry preview's web engine shares OpenGL contexts with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Wren"));
    // No display name: it would add " - Wren" to every window's own title.
    QApplication::setQuitOnLastWindowClosed(false);

    const QString executable = QApplication::applicationFilePath();
    const QString dataDir = DataDirectory::path(executable);

    // A second start hands over to the running window and ends, before it
    // touches the staging directory or any file.
    SingleInstance instance(SingleInstance::nameFor(executable, dataDir));
    if (instance.handOver(QApplication::arguments().mid(1)))
        return 0;
    instance.listen();

    // The headless publisher must not work on the tables while a window does.
    // A window that did not answer the hand-over is replaced, lock or not.
    DataDirectoryLock lock(dataDir);
    const QString holder = lock.holder();
    const bool heldByWindow = holder.compare(QApplication::applicationName(), Qt::CaseInsensitive) == 0 ||
                              holder == QFileInfo(executable).fileName();
    if (!lock.isHeld() && !heldByWindow) {
        Prompt::inform(nullptr, lock.reason());
        return 1;
    }

    TfrmMain window({dataDir, DataDirectory::settingsFilePath(executable), QDir::tempPath()});
    // The arguments are not used; a later start only brings the window to the front.
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &window, [&window](const QStringList &arguments) {
        qInfo("Wren: a second start handed over %d argument(s); bringing the window to the front",
              static_cast<int>(arguments.size()));
        window.showAndRaise();
    });
    if (!window.FormCreate())
        return 0;
    window.show();
    QObject::connect(&window, &QObject::destroyed, &app, &QApplication::quit);
    app.setQuitOnLastWindowClosed(true);
    return app.exec();
}
