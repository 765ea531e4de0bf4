#include "base/DataDirectory.h"
#include "base/DataDirectoryLock.h"
#include "ui/Prompt.h"
#include "app/SessionSignals.h"
#include "app/SingleInstance.h"
#include "app/TfrmMain.h"

#include "base/WrenError.h"

#include <QApplication>
#include <QTimer>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

const char usage[] = "Usage: wren [--help] [--version]\n"
                     "\n"
                     "Wren keeps dated journals and publishes them as static HTML pages.\n"
                     "\n"
                     "Options:\n"
                     "  -h, --help     Print this text and exit.\n"
                     "  -v, --version  Print the version and exit.\n"
                     "Other arguments are handed to a Wren already running and not used.\n"
                     "\n"
                     "The data directory is the one WREN_DATA_DIR names; else the program's own\n"
                     "directory when it holds wren.INI or a table file and is writable; else\n"
                     "$XDG_DATA_HOME/wren (~/.local/share/wren), created at the first start.\n";

// --help and --version are answered before the window system is touched, so
// they work without a display. Returns the exit status, or -1 to go on.
int answerInformationalOption(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::printf("wren %s\n", WREN_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return 0;
        }
    }
    return -1;
}

// A message that ends the start: on standard error for a terminal or a log,
// and in a message box for a start from the desktop's menu.
int refuseStart(const QString &message)
{
    std::fprintf(stderr, "wren: %s\n", qPrintable(message));
    Prompt::inform(nullptr, message);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (const int status = answerInformationalOption(argc, argv); status >= 0)
        return status;
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
    const DataDirectory::Location location = DataDirectory::locate(executable);
    const QString dataDir = location.path;
    if (location.kind == DataDirectory::Kind::User) {
        try {
            DataDirectory::ensureExists(dataDir);
        } catch (const WrenError &error) {
            return refuseStart(error.message());
        }
    }

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
    if (!lock.isHeld() && !heldByWindow)
        return refuseStart(lock.reason());

    TfrmMain window({dataDir, DataDirectory::settingsFilePath(executable), QDir::tempPath()});
    // The arguments are not used; a later start only brings the window to the front.
    QObject::connect(&instance, &SingleInstance::argumentsReceived, &window, [&window](const QStringList &arguments) {
        qInfo("Wren: a second start handed over %d argument(s); bringing the window to the front",
              static_cast<int>(arguments.size()));
        window.showAndRaise();
    });
    // A session that ends closes the window as the user would, without asking.
    SessionSignals sessionSignals;
    QObject::connect(&sessionSignals, &SessionSignals::ending, &window, [&window](int) { window.endSession(); });
    try {
        if (!window.FormCreate())
            return 1; // the reason was shown; a script sees the failure
    } catch (const WrenError &error) {
        // A table that cannot be read ends the start with its reason, not an abort.
        return refuseStart(error.message());
    }

    window.show();
    // A first start on an empty data directory offers the journal assistant at once.
    if (window.freshStart())
        QTimer::singleShot(0, &window, [&window] { window.actNewJournalExecute(); });
    QObject::connect(&window, &QObject::destroyed, &app, &QApplication::quit);
    app.setQuitOnLastWindowClosed(true);
    return app.exec();
}
