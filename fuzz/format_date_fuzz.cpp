// libFuzzer target for date formatting: any picture with any date and time,
// valid or not, must give some text without a crash or an access outside the
// name tables. Built by scripts/fuzz.sh with clang.

#include "publish/FormatDate.h"
#include "publish/NameTables.h"

#include <QDate>
#include <QTime>

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 8)
        return 0;
    std::int32_t julian = 0;
    std::int32_t msecs = 0;
    std::memcpy(&julian, data, 4);
    std::memcpy(&msecs, data + 4, 4);
    // Days of any calendar, and invalid ones (a stored "2026-11-31" reads as
    // an invalid date).
    const QDate date = (julian & 1) ? QDate() : QDate::fromJulianDay(julian >> 1);
    const QTime time = QTime::fromMSecsSinceStartOfDay(msecs % (24 * 3600 * 1000 + 1));
    const QString picture =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 8), static_cast<qsizetype>(size - 8));
    static const NameTables names = NameTables::fromLocale();
    const QString out = FormatDate(picture, date, time, names);
    (void)out;
    return 0;
}
