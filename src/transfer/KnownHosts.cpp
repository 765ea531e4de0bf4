#include "KnownHosts.h"

#include "base/AtomicFile.h"

#include <QFile>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

std::optional<QString> KnownHosts::find(const QString &host, int port, const QString &kind) const
{
    QMutexLocker lock(&m_mutex);
    for (const QByteArray &line : readAll(m_path).split('\n')) {
        const QStringList fields = QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts);
        if (fields.size() == 4 && fields[0].compare(host, Qt::CaseInsensitive) == 0 &&
            fields[1] == QString::number(port) && fields[2] == kind)
            return fields[3];
    }
    return std::nullopt;
}

void KnownHosts::add(const QString &host, int port, const QString &kind, const QString &fingerprint)
{
    QMutexLocker lock(&m_mutex);
    QByteArray text = readAll(m_path);
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += QStringLiteral("%1 %2 %3 %4\n").arg(host).arg(port).arg(kind, fingerprint).toUtf8();
    AtomicFile::write(m_path, text);
}
