#pragma once

#include "transfer/FtpClient.h"

#include <QList>
#include <QString>
#include <QStringList>

using CURL = void;
class KnownHosts;

// The trust check of one connection: the server's TLS certificate or SSH
// host key, as libcurl meets it during the handshake. A certificate that the
// system's authorities vouch for, issued for the host, passes; any other
// certificate, and every SSH host key, must match a line of the known hosts.
// What the check found stays here for the failure the connect reports: the
// fingerprint, the key's type, why a certificate is not trusted.
//
// The authorities are the system's, or those of the bundle that
// SSL_CERT_FILE or CURL_CA_BUNDLE and the folder that SSL_CERT_DIR name.
struct HostCheck {
    enum class Outcome { None, Trusted, Unknown, Changed };

    QString host;
    int port = 0;
    QString kind; // "ftps", "ftpes" or "sftp"
    KnownHosts *known = nullptr;
    Outcome outcome = Outcome::None;
    QString fingerprint;
    QString keyType;               // of an SSH key: "ED25519", "RSA", ...
    QStringList reasons;           // why a certificate is not trusted, in words ("it is self-signed")
    bool onlyIssuerUnknown = true; // the certificate's one fault is an issuer nobody vouches for
    QList<int> storedLines;        // the known hosts' lines for this site, when none matches
    QStringList stored;            // and their fingerprints

    // Starts over for a connection to host and port of that kind.
    void begin(const QString &host, int port, const QString &kind, KnownHosts *known);
    // Puts the certificate check, or the host-key check, on the handle.
    void installTls(CURL *handle);
    void installSsh(CURL *handle);

    // Whether the check refused the server (the connect then failed for it).
    bool refused() const { return outcome == Outcome::Unknown || outcome == Outcome::Changed; }
    // The failure a refused connect reports, with its log text.
    HostKeyFailure failure() const;

    // Looks the fingerprint up in the known hosts; true when a line trusts it.
    bool matchesKnown(const QString &seen);
};
