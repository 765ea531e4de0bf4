#pragma once

#include "transfer/CurlRunner.h"

#include <QByteArray>
#include <QHash>
#include <QString>

// The steps of a logged-in CurlFtpClient session as its kind of site spells
// them: FtpSteps sends commands on the control connection and the server
// keeps the current directory; SftpSteps names every file by its whole path
// and keeps the directory itself. The client picks one at each login, so
// the difference between the two is decided there and nowhere else.
//
// A step that fails throws FtpFailure with the server's reply; one that
// breaks the connection closes the session first.
class SiteSteps {
public:
    virtual ~SiteSteps() = default;

    // Sets the login up beyond what both kinds share: the SSH methods, the
    // command that asks the login directory.
    virtual void prepareLogin(CurlRunner::Request &login, const QString &keyFile) = 0;
    // After the login: takes the login directory from its reply.
    virtual void loggedIn() = 0;
    // The session closed: what it knew of the server's directory is gone.
    virtual void forget() = 0;
    // A command as the server takes it; traced on the way where libcurl's
    // own trace does not tell it.
    virtual QByteArray commandLine(const QString &text) = 0;

    virtual QString workingDirectory() = 0;
    // The current directory as far as the session knows it without asking
    // the server; empty when a PWD would have to tell.
    virtual QString knownDirectory() const = 0;
    virtual void changeUp() = 0;
    virtual void changeDirectory(const QString &directory) = 0;
    // The URL a file of that name in the current directory is stored at.
    virtual QByteArray storeUrl(const QString &name) = 0;
    // The size the server holds of the file the last upload stored.
    virtual qint64 size(const QString &name) = 0;
    // Renames the stored temporary file onto the name, replacing a file there.
    virtual void rename(const QString &temporary, const QString &name) = 0;
    // Removes the file; quietly: without judging the reply.
    virtual void remove(const QString &name, bool quietly) = 0;
    // The files and sizes of the current directory.
    virtual QHash<QString, qint64> list() = 0;

    // The path a reply gives between double quotes (PWD's "257"); empty when
    // it holds none.
    static QString quotedPathIn(const QString &reply)
    {
        const qsizetype first = reply.indexOf(u'"');
        const qsizetype second = first < 0 ? -1 : reply.indexOf(u'"', first + 1);
        return second < 0 ? QString() : reply.mid(first + 1, second - first - 1);
    }
};
