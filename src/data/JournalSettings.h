#pragma once

#include <QSqlRecord>
#include <QString>

// The journal being published and its page settings (one row of Names).
struct JournalSettings {
    int id = 0;
    QString name;
    QString dtFormat;
    QString tmFormat;
    QString arcDtFormat;
    QString arcType;
    QString webSite;
    QString author;
    bool reverse = false;
    bool arcReverse = false;

    static JournalSettings fromRecord(const QSqlRecord &row);
};
