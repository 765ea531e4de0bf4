#include "RecoveryWriter.h"

#include "base/WrenError.h"
#include "editing/EntryList.h"
#include "editing/EntryRecovery.h"

RecoveryWriter::RecoveryWriter(EntryList &entries, QString dataDir, std::function<void(const QString &)> log,
                               QObject *parent)
    : QObject(parent), m_entries(entries), m_dataDir(std::move(dataDir)), m_log(std::move(log))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryWriter::write);
}

void RecoveryWriter::changed()
{
    if (m_entries.hasPendingChange() && !m_timer.isActive())
        m_timer.start();
}

void RecoveryWriter::flush()
{
    m_timer.stop();
    write();
}

void RecoveryWriter::settled()
{
    m_timer.stop();
    EntryRecovery::remove(m_dataDir);
}

void RecoveryWriter::write()
{
    if (!m_entries.hasPendingChange())
        return;
    RecoveredEntry entry;
    TableHandle &rows = m_entries.rows();
    entry.id = rows.state() == TableHandle::State::Insert ? 0 : rows.value(QStringLiteral("ID")).toLongLong();
    entry.journal = m_entries.journal().id;
    entry.day = m_entries.day();
    if (entry.id == 0)
        entry.begun = QTime::fromString(rows.value(QStringLiteral("eTime")).toString(), Qt::ISODate);
    entry.title = m_entries.title();
    entry.entry = m_entries.text();
    try {
        EntryRecovery::write(m_dataDir, entry);
    } catch (const WrenError &error) {
        if (m_log)
            m_log(error.message());
    }
}
