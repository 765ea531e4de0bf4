#pragma once

#include <QString>

#include <functional>

class Database;

// One transaction on a connection: BEGIN when made, ROLLBACK when it ends
// without commit(), so that a change that throws halfway leaves the tables as
// they were. The statements run through the connection's own runner, which
// throws WrenError for an engine error; the rollback in the destructor never
// throws.
class Transaction {
public:
    using Runner = std::function<void(const QString &statement)>;

    explicit Transaction(const Database &db);
    explicit Transaction(Runner run);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    // Makes the changes stand; after it the destructor does nothing. A failed
    // commit throws and leaves the transaction to be rolled back.
    void commit();

private:
    Runner m_run;
    bool m_open = true;
};
