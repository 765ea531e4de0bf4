#include "Journals.h"

#include "engine/Database.h"

namespace Journals {

std::optional<JournalSettings> load(const Database &db, int id)
{
    const auto row = db.firstRow(QStringLiteral("SELECT * FROM Names WHERE ID=") + QString::number(id));
    if (!row)
        return std::nullopt;
    return JournalSettings::fromRecord(*row);
}

std::optional<JournalSettings> first(const Database &db)
{
    const auto row = db.firstRow(QStringLiteral("SELECT * FROM Names ORDER BY ID LIMIT 1"));
    if (!row)
        return std::nullopt;
    return JournalSettings::fromRecord(*row);
}

} // namespace Journals
