#pragma once

#include <QDate>
#include <QSqlRecord>
#include <QString>

// One upload joined with its site: a row of the active-uploads statements.
struct UploadRow {
    QString ftp;
    QString login;
    QString password;
    int port = 0;
    bool siteActive = false; // true: an FTP site; false: a local directory
    int templateId = 0;
    int arcTemplateId = 0;
    QString logFile;
    QString arcFile;
    QString directory;
    QString arcExt;
    bool autoArc = false;
    QDate lastArc; // invalid when never archived
    int id = 0;
    QString imageDir;

    // Fields the statement does not select keep their defaults.
    static UploadRow fromRecord(const QSqlRecord &row);
};
