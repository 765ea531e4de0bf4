#include "Startup.h"

#include "base/Settings.h"
#include "engine/Database.h"

namespace Startup {

Result openDataDirectory(Settings &settings, const QString &dataDir, const QString &stagingDir, Database &database)
{
    Result result;
    result.version = DataVersion::check(settings, dataDir);
    if (result.version.mustExit())
        return result;
    if (result.version.outcome != DataVersion::Outcome::FreshStart)
        result.createdTables = DataVersion::createMissingTables(dataDir);
    database.open(dataDir, stagingDir);
    result.databaseOpen = true;
    return result;
}

} // namespace Startup
