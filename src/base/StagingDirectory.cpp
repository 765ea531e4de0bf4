#include "StagingDirectory.h"

#include "base/WrenError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

bool StagingDirectory::isPrivateDirectory(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

StagingDirectory StagingDirectory::createPrivate(const QString &baseDir)
{
    if (!QDir().mkpath(baseDir))
        throw WrenError(QStringLiteral("Cannot create the directory %1").arg(baseDir));
    QByteArray pattern = QFile::encodeName(QDir(baseDir).filePath(QStringLiteral("wrentmp-XXXXXX")));
    if (!::mkdtemp(pattern.data()))
        throw WrenError(QStringLiteral("Cannot create a staging directory in %1: %2").arg(baseDir, systemError()));
    return StagingDirectory(QFile::decodeName(pattern));
}

StagingDirectory StagingDirectory::prepare(const QString &baseDir)
{
    if (!QDir().mkpath(baseDir))
        throw WrenError(QStringLiteral("Cannot create the directory %1").arg(baseDir));
    const QString path = QDir(baseDir).filePath(QStringLiteral("wrentmp"));
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw WrenError(QStringLiteral("Cannot create the staging directory %1: %2").arg(path, systemError()));

    struct stat st {};
    const bool ownDirectory = ::lstat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
    if (!ownDirectory)
        return createPrivate(baseDir);
    // Ours, but perhaps opened up by hand: close it again before using it.
    if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return createPrivate(baseDir);
    StagingDirectory staging(path);
    staging.empty();
    return staging;
}

void StagingDirectory::empty() const
{
    if (!isValid() || !isPrivateDirectory(m_path))
        return;
    const QDir dir(m_path);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().startsWith(u'.'))
            continue;
        QFile::remove(entry.absoluteFilePath());
    }
}

void StagingDirectory::remove()
{
    if (!isValid())
        return;
    empty();
    if (isPrivateDirectory(m_path))
        ::rmdir(QFile::encodeName(m_path).constData());
    m_path.clear();
}
