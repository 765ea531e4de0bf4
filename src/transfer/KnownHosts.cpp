#include "KnownHosts.h"

#include "base/AtomicFile.h"

#include <QRegularExpression>

namespace {

// The file's bytes; nothing when it is missing, a link or no plain file.
QByteArray readAll(const QString &path)
{
    return AtomicFile::readRegular(path, AtomicFile::Links::Refuse);
}

} // namespace

KnownHosts::Lookup KnownHosts::lookup(const QString &host, int port, const QString &kind,
                                      const QString &fingerprint) const
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t]+"));
    QMutexLocker lock(&m_mutex);
    Lookup found;
    int number = 0;
    for (const QByteArray &line : readAll(m_path).split('\n')) {
        ++number;
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.isEmpty() || text.startsWith(u'#'))
            continue;
        const QStringList fields = text.split(blanks);
        if (fields.size() != 4 || fields[0].compare(host, Qt::CaseInsensitive) != 0 ||
            fields[1] != QString::number(port) || fields[2] != kind)
            continue;
        if (fields[3] == fingerprint)
            return {true, {}, {}};
        found.lines << number;
        found.stored << fields[3];
    }
    return found;
}

void KnownHosts::add(const QString &host, int port, const QString &kind, const QString &fingerprint)
{
    QMutexLocker lock(&m_mutex);
    QByteArray text = readAll(m_path);
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += QStringLiteral("%1 %2 %3 %4\n").arg(host).arg(port).arg(kind, fingerprint).toUtf8();
    AtomicFile::write(m_path, text, AtomicFile::Durability::Sync, AtomicFile::Access::Private);
}
