#include "PrivateFiles.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PrivateFiles::PrivateFiles(QStringList paths) : m_paths(std::move(paths))
{
    for (const QString &path : m_paths)
        m_existed << QFile::exists(path);
}

PrivateFiles PrivateFiles::of(const QString &dataDir, const QString &settingsPath)
{
    return PrivateFiles({QDir(dataDir).filePath(QStringLiteral("Sites.DAT")), settingsPath});
}

QStringList PrivateFiles::secure() const
{
    QStringList lines;
    for (qsizetype i = 0; i < m_paths.size(); ++i) {
        const QByteArray path = QFile::encodeName(m_paths[i]);
        if (!m_existed[i]) {
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            if (fd >= 0)
                ::close(fd);
            ::chmod(path.constData(), 0600);
            continue;
        }
        struct stat st {};
        if (::stat(path.constData(), &st) == 0 && (st.st_mode & 0077) != 0)
            lines << QStringLiteral("The file %1 holds passwords and can be read by other users of this machine "
                                    "(chmod 600 makes it private)")
                         .arg(m_paths[i]);
    }
    return lines;
}
