#include "SiteTrust.h"

#include "transfer/FtpClient.h"

namespace SiteTrust {

QString question(const HostKeyFailure &failure)
{
    const QString site =
        QStringLiteral("The site %1 port %2 (%3)").arg(failure.host).arg(failure.port).arg(failure.kind);
    const QString keep = QStringLiteral("Wren stores it and refuses the site if its %1 changes later.");
    if (failure.kind == QLatin1String("sftp")) {
        const QString key =
            failure.keyType.isEmpty() ? QStringLiteral("a key") : QStringLiteral("an %1 key").arg(failure.keyType);
        return QStringLiteral("%1 shows %2 that Wren does not know yet. Its fingerprint is\n\n%3\n\nTrust this key "
                              "for the site? ")
                   .arg(site, key, failure.fingerprint) +
               keep.arg(QStringLiteral("key"));
    }
    const QString why = failure.reasons.join(QStringLiteral("; "));
    if (failure.onlyIssuerUnknown)
        return QStringLiteral("%1 shows a certificate that Wren does not know yet: %2. Its fingerprint is\n\n%3\n\n"
                              "Trust this certificate for the site? ")
                   .arg(site, why, failure.fingerprint) +
               keep.arg(QStringLiteral("certificate"));
    return QStringLiteral("%1 shows a certificate that is not valid: %2.\n\nSomebody may be posing as the site. Its "
                          "fingerprint is\n\n%3\n\nTrust this certificate anyway? ")
               .arg(site, why, failure.fingerprint) +
           keep.arg(QStringLiteral("certificate"));
}

QString title(const HostKeyFailure &failure)
{
    return failure.onlyIssuerUnknown ? QStringLiteral("Unknown Site Key") : QStringLiteral("Untrusted Certificate");
}

bool trustedByDefault(const HostKeyFailure &failure)
{
    return failure.onlyIssuerUnknown;
}

QString passphraseQuestion(const KeyPassphraseFailure &failure)
{
    const QString text = failure.wrong
                             ? QStringLiteral("The passphrase given for the SSH key %1 is wrong.\n\nPassphrase:")
                             : QStringLiteral("The SSH key %1 needs its passphrase to log in to the site.\nWren "
                                              "keeps it until it closes, and never writes it down.\n\nPassphrase:");
    return text.arg(failure.keyFile);
}

} // namespace SiteTrust
