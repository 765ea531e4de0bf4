#include "DataDirectory.h"

#include <QDir>
#include <QFileInfo>

namespace DataDirectory {

QString path(const QString &executablePath)
{
    const QString fromEnvironment = qEnvironmentVariable("WREN_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return QDir(fromEnvironment).absolutePath();
    return QFileInfo(executablePath).absolutePath();
}

QString settingsFileName(const QString &executablePath)
{
    const QString name = QFileInfo(executablePath).fileName();
    const qsizetype dot = name.indexOf(u'.');
    if (dot < 0)
        return name + QStringLiteral(".INI");
    return name.left(dot + 1) + QStringLiteral("INI");
}

QString settingsFilePath(const QString &executablePath)
{
    return QDir(path(executablePath)).filePath(settingsFileName(executablePath));
}

} // namespace DataDirectory
