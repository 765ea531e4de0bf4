#include "DataDirectory.h"

#include "base/WrenError.h"

#include <QDir>
#include <QFileInfo>

#ifndef WREN_DOC_FROM_BIN
#define WREN_DOC_FROM_BIN "../share/doc/wren"
#endif

namespace DataDirectory {

namespace {

bool holdsData(const QDir &dir, const QString &settingsFile)
{
    if (dir.exists(settingsFile))
        return true;
    for (const QString &table : tableFiles())
        if (dir.exists(table))
            return true;
    return false;
}

} // namespace

const QStringList &tableFiles()
{
    static const QStringList files = {
        QStringLiteral("Names.DAT"), QStringLiteral("Journal.DAT"), QStringLiteral("Templates.DAT"),
        QStringLiteral("Sites.DAT"), QStringLiteral("Upload.DAT"),  QStringLiteral("Cookie.DAT"),
    };
    return files;
}

Location locate(const QString &executablePath, const QString &settingsFile)
{
    const QString fromEnvironment = qEnvironmentVariable("WREN_DATA_DIR");
    if (!fromEnvironment.isEmpty())
        return {QDir(fromEnvironment).absolutePath(), Kind::Environment};
    const QFileInfo executableDir(QFileInfo(executablePath).absolutePath());
    const QString settingsName = settingsFile.isEmpty() ? settingsFileName(executablePath) : settingsFile;
    if (executableDir.isDir() && executableDir.isWritable() &&
        holdsData(QDir(executableDir.absoluteFilePath()), settingsName))
        return {executableDir.absoluteFilePath(), Kind::Portable};
    return {userPath(), Kind::User};
}

QString path(const QString &executablePath)
{
    return locate(executablePath).path;
}

QString userPath()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    const QString base =
        !xdg.isEmpty() && QDir::isAbsolutePath(xdg) ? xdg : QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/wren"));
}

void ensureExists(const QString &dir)
{
    QStringList missing;
    for (QString level = QDir::cleanPath(QDir(dir).absolutePath()); !QFileInfo::exists(level);
         level = QFileInfo(level).path())
        missing.prepend(level);
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    for (const QString &level : missing)
        if (!QDir().mkdir(level, ownerOnly) && !QFileInfo(level).isDir())
            throw WrenError(QStringLiteral("Unable to create the data directory %1").arg(level));
    if (!QFileInfo(dir).isDir())
        throw WrenError(QStringLiteral("The data directory %1 is not a directory").arg(dir));
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

QStringList readMeCandidates(const QString &dataDir, const QString &executablePath)
{
    const QString name = QStringLiteral("Wren.txt");
    return {QDir(dataDir).filePath(name), QDir::cleanPath(QFileInfo(executablePath).absolutePath() + u'/' +
                                                          QStringLiteral(WREN_DOC_FROM_BIN) + u'/' + name)};
}

QString readMePath(const QString &dataDir, const QString &executablePath)
{
    for (const QString &path : readMeCandidates(dataDir, executablePath)) {
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

} // namespace DataDirectory
