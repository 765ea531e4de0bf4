#include "Startup.h"

#include "base/Settings.h"
#include "engine/Database.h"

namespace Startup {

Result openDataDirectory(Settings &settings, const QString &dataDir, const QString &stagingDir, Database &database,
                         const VersionChecked &checked)
{
    Result result;
    result.version = DataVersion::check(settings, dataDir);
    if (checked)
        checked(result.version);
    if (result.version.mustExit())
        return result;
    // A fresh start made every table in the check.
    if (!result.freshStart())
        result.createdTables = DataVersion::createMissingTables(dataDir);
    database.open(dataDir, stagingDir);
    result.databaseOpen = true;
    return result;
}

} // namespace Startup
