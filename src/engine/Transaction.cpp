#include "Transaction.h"

#include "base/WrenError.h"
#include "engine/Database.h"

Transaction::Transaction(const Database &db) : Transaction([&db](const QString &statement) { db.run(statement); }) {}

Transaction::Transaction(Runner run) : m_run(std::move(run))
{
    m_run(QStringLiteral("BEGIN"));
}

Transaction::~Transaction()
{
    if (!m_open)
        return;
    try {
        m_run(QStringLiteral("ROLLBACK"));
    } catch (const WrenError &) {
        // The engine has already ended a transaction that failed to commit.
    }
}

void Transaction::commit()
{
    m_run(QStringLiteral("COMMIT"));
    m_open = false;
}
