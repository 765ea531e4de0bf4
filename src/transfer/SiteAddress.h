#pragma once

#include <QString>

// How a site is reached, read from the host field of its row: "sftp://" for
// the SSH file transfer protocol, "ftps://" for FTP over implicit TLS,
// "ftpes://" for FTP that switches to TLS with AUTH TLS before logging in, and
// no scheme or "ftp://" for plain FTP. The stored form stays one text field.
enum class SiteKind { Ftp, Ftps, Ftpes, Sftp };

struct SiteAddress {
    SiteKind kind = SiteKind::Ftp;
    QString host;    // without the scheme
    int port = 0;    // the port to connect to: the stored one, or the kind's default for 0 with a scheme
    QString problem; // why the field cannot be used, or empty

    // Reads the host field and the stored port. A plain host keeps its port as
    // stored; a scheme with port 0 takes the scheme's default port. A field
    // holding a login (and password) before an "@" is refused: the password
    // would show wherever the host does.
    static SiteAddress parse(const QString &field, int storedPort);
    // The field as a log line may show it: without a login and password.
    static QString shown(const QString &field);
    // "ftp", "ftps", "ftpes" or "sftp".
    static QString kindName(SiteKind kind);
    static int defaultPort(SiteKind kind);
    // The host field with the scheme of the kind in place of any it had; plain
    // FTP drops the scheme so the field reads as it always has.
    static QString withKind(const QString &field, SiteKind kind);
    // The kind a host field names, plain FTP for none or an unknown scheme.
    static SiteKind kindOf(const QString &field);

    bool isTls() const { return kind == SiteKind::Ftps || kind == SiteKind::Ftpes; }
};
