#include "Cookies.h"

#include "base/Settings.h"
#include "data/Statements.h"
#include "engine/Database.h"
#include "engine/RowReader.h"

#include <QRandomGenerator>

QString PickCookie(const Database &db, Settings &settings, bool randomCookies)
{
    const auto count = db.firstRow(Statements::cookieCount());
    const int n = count ? count->value(QStringLiteral("Num")).toInt() : 0;
    if (n <= 0)
        return QStringLiteral("No cookies stored in database!");

    int position = 0;
    if (randomCookies) {
        position = static_cast<int>(QRandomGenerator::global()->bounded(n)) + 1;
    } else {
        position = settings.value(Setting::CookieSeq) + 1;
        if (position > n || position < 1)
            position = 1;
        settings.setValue(Setting::CookieSeq, position);
    }

    RowReader cookies(db, Statements::cookiesInOrder());
    const int field = cookies.column(QStringLiteral("Cookie"));
    for (int row = 1; cookies.next(); ++row) {
        if (row == position)
            return cookies.text(field); // lossless: the page gets the stored bytes
    }
    return QString();
}
