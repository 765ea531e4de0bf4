#include "HostCheck.h"

#include "transfer/KnownHosts.h"

#include <QCryptographicHash>
#include <QDate>
#include <QFile>

#include <arpa/inet.h>
#include <curl/curl.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <vector>

namespace {

bool isAddress(const QString &host)
{
    unsigned char buffer[16];
    const QByteArray text = host.toLatin1();
    return ::inet_pton(AF_INET, text.constData(), buffer) == 1 || ::inet_pton(AF_INET6, text.constData(), buffer) == 1;
}

QString hexFingerprint(X509 *cert)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    X509_digest(cert, EVP_sha256(), digest, &size);
    QStringList bytes;
    for (unsigned int i = 0; i < size; ++i)
        bytes << QStringLiteral("%1").arg(digest[i], 2, 16, QLatin1Char('0')).toUpper();
    return QStringLiteral("SHA256:") + bytes.join(u':');
}

QString dayOf(const ASN1_TIME *time)
{
    struct tm tm {};
    if (!time || ASN1_TIME_to_tm(time, &tm) != 1)
        return QStringLiteral("an unknown day");
    return QDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday).toString(Qt::ISODate);
}

QString commonName(const X509_NAME *name)
{
    char text[256] = {};
    if (X509_NAME_get_text_by_NID(const_cast<X509_NAME *>(name), NID_commonName, text, sizeof text) > 0)
        return QString::fromUtf8(text);
    char *line = X509_NAME_oneline(name, nullptr, 0);
    QString whole = QString::fromUtf8(line ? line : "");
    OPENSSL_free(line);
    return whole;
}

// The names a certificate is issued for: its DNS names and addresses, else
// its common name.
QStringList namesOf(X509 *cert)
{
    QStringList names;
    auto *all = static_cast<GENERAL_NAMES *>(X509_get_ext_d2i(cert, NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; all && i < sk_GENERAL_NAME_num(all); ++i) {
        const GENERAL_NAME *name = sk_GENERAL_NAME_value(all, i);
        if (name->type == GEN_DNS) {
            names << QString::fromLatin1(reinterpret_cast<const char *>(ASN1_STRING_get0_data(name->d.dNSName)),
                                         ASN1_STRING_length(name->d.dNSName));
        } else if (name->type == GEN_IPADD) {
            const int length = ASN1_STRING_length(name->d.iPAddress);
            char text[INET6_ADDRSTRLEN] = {};
            if ((length == 4 || length == 16) &&
                ::inet_ntop(length == 4 ? AF_INET : AF_INET6, ASN1_STRING_get0_data(name->d.iPAddress), text,
                            sizeof text))
                names << QString::fromLatin1(text);
        }
    }
    GENERAL_NAMES_free(all);
    if (names.isEmpty())
        names << commonName(X509_get_subject_name(cert));
    return names;
}

// The faults OpenSSL finds in a chain, each with the level it was found at.
struct Fault {
    int code;
    int depth;
};
thread_local std::vector<Fault> *t_faults = nullptr;

int collectFault(int ok, X509_STORE_CTX *store)
{
    if (!ok && t_faults)
        t_faults->push_back({X509_STORE_CTX_get_error(store), X509_STORE_CTX_get_error_depth(store)});
    return 1; // on to the end of the chain: every fault is wanted, for the words
}

// Judges the chain as a whole in place of OpenSSL's own verdict: every fault
// is gathered first, so the log can say all that is wrong with a certificate.
int verifyChain(X509_STORE_CTX *store, void *data)
{
    auto *check = static_cast<HostCheck *>(data);
    std::vector<Fault> faults;
    t_faults = &faults;
    X509_STORE_CTX_set_verify_cb(store, collectFault);
    const int verified = X509_verify_cert(store);
    t_faults = nullptr;
    X509 *cert = X509_STORE_CTX_get0_cert(store);
    if (!cert)
        return 0;
    if (verified <= 0 && faults.empty())
        faults.push_back({X509_STORE_CTX_get_error(store), 0});

    check->reasons.clear();
    check->onlyIssuerUnknown = true;
    auto add = [check](const QString &reason, bool issuer) {
        if (!check->reasons.contains(reason))
            check->reasons << reason;
        check->onlyIssuerUnknown = check->onlyIssuerUnknown && issuer;
    };
    STACK_OF(X509) *chain = X509_STORE_CTX_get0_chain(store);
    for (const Fault &fault : faults) {
        X509 *at = chain && fault.depth < sk_X509_num(chain) ? sk_X509_value(chain, fault.depth) : cert;
        switch (fault.code) {
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            add(QStringLiteral("it is self-signed"), true);
            break;
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_CERT_UNTRUSTED:
            add(QStringLiteral("it is issued by an unknown authority (%1)").arg(commonName(X509_get_issuer_name(at))),
                true);
            break;
        case X509_V_ERR_CERT_HAS_EXPIRED:
            add(fault.depth == 0 ? QStringLiteral("it expired on %1").arg(dayOf(X509_get0_notAfter(at)))
                                 : QStringLiteral("the certificate of its issuer %1 expired on %2")
                                       .arg(commonName(X509_get_subject_name(at)), dayOf(X509_get0_notAfter(at))),
                false);
            break;
        case X509_V_ERR_CERT_NOT_YET_VALID:
            add(QStringLiteral("it is not valid before %1").arg(dayOf(X509_get0_notBefore(at))), false);
            break;
        default:
            add(QStringLiteral("it fails the check: %1")
                    .arg(QString::fromUtf8(X509_verify_cert_error_string(fault.code))),
                false);
            break;
        }
    }
    const QByteArray host = check->host.toUtf8();
    const bool nameOk = isAddress(check->host) ? X509_check_ip_asc(cert, host.constData(), 0) == 1
                                               : X509_check_host(cert, host.constData(), host.size(), 0, nullptr) == 1;
    if (!nameOk)
        add(QStringLiteral("it is issued for other names (%1)").arg(namesOf(cert).join(QStringLiteral(", "))), false);

    check->fingerprint = hexFingerprint(cert);
    if (check->reasons.isEmpty() || check->matchesKnown(check->fingerprint)) {
        check->outcome = HostCheck::Outcome::Trusted;
        X509_STORE_CTX_set_error(store, X509_V_OK);
        return 1;
    }
    X509_STORE_CTX_set_error(store, X509_V_ERR_CERT_REJECTED);
    return 0;
}

CURLcode onSslContext(CURL *, void *context, void *data)
{
    auto *ctx = static_cast<SSL_CTX *>(context);
    SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_cert_verify_callback(ctx, verifyChain, data);
    return CURLE_OK;
}

QString keyTypeName(int type)
{
    switch (type) {
    case CURLKHTYPE_RSA1:
        return QStringLiteral("RSA1");
    case CURLKHTYPE_RSA:
        return QStringLiteral("RSA");
    case CURLKHTYPE_DSS:
        return QStringLiteral("DSA");
    case CURLKHTYPE_ECDSA:
        return QStringLiteral("ECDSA");
    case CURLKHTYPE_ED25519:
        return QStringLiteral("ED25519");
    default:
        return QString();
    }
}

// Every SSH host key is checked against the known hosts; the fingerprint is
// the one OpenSSH prints, SHA256 and the digest in unpadded base64.
int onHostKey(void *data, int type, const char *key, size_t size)
{
    auto *check = static_cast<HostCheck *>(data);
    check->keyType = keyTypeName(type);
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray(key, static_cast<qsizetype>(size)), QCryptographicHash::Sha256);
    const QString fingerprint =
        QStringLiteral("SHA256:") + QString::fromLatin1(digest.toBase64(QByteArray::OmitTrailingEquals));
    return check->matchesKnown(fingerprint) ? CURLKHMATCH_OK : CURLKHMATCH_MISMATCH;
}

// "line 3", "lines 3 and 5", "lines 3, 5 and 9".
QString linesText(const QList<int> &lines)
{
    QStringList numbers;
    for (const int line : lines)
        numbers << QString::number(line);
    if (numbers.size() == 1)
        return QStringLiteral("line ") + numbers.first();
    const QString last = numbers.takeLast();
    return QStringLiteral("lines ") + numbers.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

} // namespace

void HostCheck::begin(const QString &siteHost, int sitePort, const QString &siteKind, KnownHosts *knownHosts)
{
    *this = HostCheck();
    host = siteHost;
    port = sitePort;
    kind = siteKind;
    known = knownHosts;
}

void HostCheck::installTls(CURL *handle)
{
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    // The name is checked with the chain, so that a certificate the user
    // trusted by its fingerprint passes whole.
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, onSslContext);
    curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, this);
    // The OpenSSL convention for a bundle and a folder of authorities of
    // one's own, and curl's: a private authority works without pinning.
    const QByteArray file =
        qEnvironmentVariableIsEmpty("SSL_CERT_FILE") ? qgetenv("CURL_CA_BUNDLE") : qgetenv("SSL_CERT_FILE");
    if (!file.isEmpty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, file.constData());
    const QByteArray folder = qgetenv("SSL_CERT_DIR");
    if (!folder.isEmpty())
        curl_easy_setopt(handle, CURLOPT_CAPATH, folder.constData());
}

void HostCheck::installSsh(CURL *handle)
{
    curl_easy_setopt(handle, CURLOPT_SSH_HOSTKEYFUNCTION, onHostKey);
    curl_easy_setopt(handle, CURLOPT_SSH_HOSTKEYDATA, this);
}

bool HostCheck::matchesKnown(const QString &seen)
{
    fingerprint = seen;
    const KnownHosts::Lookup found = known ? known->lookup(host, port, kind, seen) : KnownHosts::Lookup{};
    storedLines = found.lines;
    stored = found.stored;
    outcome = found.trusted ? Outcome::Trusted : found.lines.isEmpty() ? Outcome::Unknown : Outcome::Changed;
    return found.trusted;
}

HostKeyFailure HostCheck::failure() const
{
    const bool tls = kind != QLatin1String("sftp");
    const QString where = QStringLiteral("%1 port %2 (%3)").arg(host).arg(port).arg(kind);
    const QString seen = tls ? fingerprint : QStringLiteral("%1 key %2").arg(keyType, fingerprint).trimmed();
    const QString why = reasons.isEmpty() ? QString() : QStringLiteral(": ") + reasons.join(QStringLiteral("; "));
    const bool changed = outcome == Outcome::Changed;
    QString message;
    if (changed) {
        message =
            QStringLiteral("The host's %1 has changed: %2 now shows %3%4, the known hosts hold %5; refused. "
                           "If the site's owner confirms the new fingerprint, remove %6 of %7 and connect "
                           "again to trust it")
                .arg(tls ? QStringLiteral("certificate") : QStringLiteral("key"), where, seen,
                     reasons.isEmpty() ? QString() : QStringLiteral(" (") + reasons.join(QStringLiteral("; ")) + u')',
                     stored.join(QStringLiteral(", ")), linesText(storedLines),
                     known ? known->path() : QStringLiteral("Wren.hosts"));
    } else {
        message = QStringLiteral("Unknown %1 of %2: %3; not trusted%4")
                      .arg(tls ? QStringLiteral("certificate") : QStringLiteral("host key"), where, seen, why);
    }
    HostKeyFailure failure(message, host, port, kind, fingerprint, changed);
    failure.keyType = keyType;
    failure.reasons = reasons;
    failure.onlyIssuerUnknown = !tls || onlyIssuerUnknown;
    return failure;
}
