#include "DataVersion.h"

#include "base/Settings.h"
#include "data/Schema.h"
#include "engine/TableFile.h"

#include <QFile>
#include <QFileInfo>

namespace DataVersion {

QString missingVersionMessage()
{
    return QStringLiteral("Please upgrade to Wren 4.0 or later *AND*\r\nrun the latest Data Conversion Utility\r\n"
                          "before running this build!");
}

QString wrongVersionMessage()
{
    return QStringLiteral("You must upgrade to 4.0 Before running this build!");
}

namespace {

bool isNewDirectory(const Settings &settings, const QString &dataDir)
{
    if (QFileInfo::exists(settings.path()))
        return false;
    for (const Schema::Table &table : Schema::tables()) {
        if (QFileInfo::exists(TableFile::path(dataDir, table)))
            return false;
    }
    return true;
}

} // namespace

QStringList createMissingTables(const QString &dataDir)
{
    QStringList created;
    for (const Schema::Table &table : Schema::tables()) {
        const QFileInfo file(TableFile::path(dataDir, table));
        // An empty file holds no table and no rows: one an older build left
        // when it stopped while creating it is made again.
        if (file.exists() && file.isFile() && file.size() == 0)
            QFile::remove(file.filePath());
        if (!QFileInfo::exists(file.filePath())) {
            TableFile::create(dataDir, table);
            created << table.file;
        }
    }
    return created;
}

Result check(Settings &settings, const QString &dataDir)
{
    Result result;
    if (isNewDirectory(settings, dataDir)) {
        createMissingTables(dataDir);
        settings.setValue(Setting::Version, QString::fromLatin1(Settings::kDataVersion));
        // A directory set up now has no published pages that rely on the
        // older archive rule.
        settings.setValue(Setting::KeepArchivesCurrent, true);
        result.outcome = Outcome::FreshStart;
        return result;
    }

    const QString version = settings.value(Setting::Version);
    if (version.isEmpty()) {
        result.outcome = Outcome::Missing;
        result.message = missingVersionMessage();
        return result;
    }
    if (version == QLatin1String(Settings::kDataVersion))
        return result;

    if (settings.value(Setting::Version, QStringLiteral("4.0")) != QLatin1String("4.0")) {
        result.outcome = Outcome::WrongVersion;
        result.message = wrongVersionMessage();
        return result;
    }

    // Schema::tables() lists the files in upgrade order.
    for (const Schema::Table &table : Schema::tables()) {
        if (table.name == QLatin1String("Cookie") && !QFileInfo::exists(TableFile::path(dataDir, table)))
            continue;
        TableFile::upgrade(dataDir, table);
        result.upgradedFiles << table.file;
    }
    settings.setValue(Setting::Version, QString::fromLatin1(Settings::kDataVersion));
    result.outcome = Outcome::Upgraded;
    return result;
}

} // namespace DataVersion
