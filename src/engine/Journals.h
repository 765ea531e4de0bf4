#pragma once

#include "data/JournalSettings.h"

#include <optional>

class Database;

// Reading the journals' rows of Names through the connection.
namespace Journals {

// The journal of the given ID, or nothing when there is none.
std::optional<JournalSettings> load(const Database &db, int id);
// The first journal in browse order (ascending ID), or nothing.
std::optional<JournalSettings> first(const Database &db);

} // namespace Journals
