#include "TestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    UseTemporaryFolderOfThisProcess();
    // Windows never need a display here, not even when tests are only listed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The web engine refuses its sandbox when tests run as root.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The entry preview's web engine shares OpenGL contexts with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);

    // A message box that no test answered would wait forever: close it after
    // a few seconds and fail the test that showed it.
    QTimer watchdog;
    QWidget *seen = nullptr;
    int ticks = 0;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box != seen) {
            seen = box;
            ticks = 0;
            return;
        }
        if (box && ++ticks >= 5) {
            ADD_FAILURE() << "an unanswered message box: " << box->text().toStdString();
            box->reject();
            seen = nullptr;
        }
    });
    watchdog.start(1000);
    return RUN_ALL_TESTS();
}
