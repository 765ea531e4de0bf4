#include "EntryRecovery.h"

#include "base/AtomicFile.h"
#include "base/ByteText.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace EntryRecovery {

QString path(const QString &dataDir)
{
    return QDir(dataDir).filePath(QStringLiteral("Recovery.json"));
}

void write(const QString &dataDir, const RecoveredEntry &entry)
{
    QJsonObject o;
    o.insert(QStringLiteral("id"), entry.id);
    o.insert(QStringLiteral("journal"), entry.journal);
    o.insert(QStringLiteral("day"), entry.day.toString(Qt::ISODate));
    if (entry.begun.isValid())
        o.insert(QStringLiteral("time"), entry.begun.toString(Qt::ISODate));
    o.insert(QStringLiteral("title"), entry.title);
    o.insert(QStringLiteral("entry"), entry.entry);
    // JSON holds only valid text: bytes that are not UTF-8 go along as base64.
    if (ByteText::hasEscapes(entry.title))
        o.insert(QStringLiteral("titleBytes"), QString::fromLatin1(ByteText::encode(entry.title).toBase64()));
    if (ByteText::hasEscapes(entry.entry))
        o.insert(QStringLiteral("entryBytes"), QString::fromLatin1(ByteText::encode(entry.entry).toBase64()));
    // It holds what the user typed and has not saved: theirs alone.
    AtomicFile::write(path(dataDir), QJsonDocument(o).toJson(), AtomicFile::Durability::Sync,
                      AtomicFile::Access::Private);
}

std::optional<RecoveredEntry> read(const QString &dataDir)
{
    QFile file(path(dataDir));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    if (o.isEmpty())
        return std::nullopt;
    RecoveredEntry e;
    e.id = o.value(QStringLiteral("id")).toInteger();
    e.journal = o.value(QStringLiteral("journal")).toInt();
    e.day = QDate::fromString(o.value(QStringLiteral("day")).toString(), Qt::ISODate);
    e.begun = QTime::fromString(o.value(QStringLiteral("time")).toString(), Qt::ISODate);
    e.title = o.value(QStringLiteral("title")).toString();
    e.entry = o.value(QStringLiteral("entry")).toString();
    if (o.contains(QStringLiteral("titleBytes")))
        e.title = ByteText::decode(QByteArray::fromBase64(o.value(QStringLiteral("titleBytes")).toString().toLatin1()));
    if (o.contains(QStringLiteral("entryBytes")))
        e.entry = ByteText::decode(QByteArray::fromBase64(o.value(QStringLiteral("entryBytes")).toString().toLatin1()));
    if (!e.day.isValid())
        return std::nullopt;
    return e;
}

void remove(const QString &dataDir)
{
    QFile::remove(path(dataDir));
}

} // namespace EntryRecovery
