#pragma once

#include <QDate>
#include <QSqlRecord>
#include <QString>

#include <functional>
#include <optional>

class Database;
class Settings;

// Receives the log lines of a run, one line per call, without line end.
using LogSink = std::function<void(const QString &line)>;

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
    // The journal of the given ID, or nothing when there is none.
    static std::optional<JournalSettings> load(const Database &db, int id);
    // The first journal in browse order (ascending ID), or nothing.
    static std::optional<JournalSettings> first(const Database &db);
};

// The option values publishing reads.
struct PublishOptions {
    int days = 7;              // days of entries on the current page
    bool historyDays = true;   // true: "absolute" calendar days; false: days with posts
    bool autoinsertTag = true; // line breaks of entries become paragraphs
    bool randomCookies = false;
    // A publish rebuilds every archive page whose content changed, instead of
    // the pages of the periods since the last publish.
    bool keepArchivesCurrent = false;

    // Days is kept as text; text that is no whole number counts as the default 7.
    static PublishOptions fromSettings(const Settings &settings);
};

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
