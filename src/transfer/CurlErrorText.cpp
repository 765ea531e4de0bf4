#include "CurlErrorText.h"

#include <QRegularExpression>

#include <curl/curl.h>

#include <cerrno>

namespace {

// A SOCKS refusal in the proxy's own terms, after libcurl's text that ends in
// the bare reply code.
QString withProxyWords(const QString &text)
{
    static const QRegularExpression code(QStringLiteral("SOCKS([45]).*\\((\\d+)\\)\\.?$"));
    const QRegularExpressionMatch m = code.match(text);
    if (!m.hasMatch())
        return text;
    const int reply = m.captured(2).toInt();
    const char *words = nullptr;
    if (m.captured(1) == u'5') {
        static const char *const socks5[] = {nullptr,
                                             "general failure of the proxy",
                                             "connection not allowed by ruleset",
                                             "network unreachable",
                                             "host unreachable",
                                             "connection refused",
                                             "TTL expired",
                                             "command not supported",
                                             "address type not supported"};
        if (reply >= 1 && reply <= 8)
            words = socks5[reply];
    } else if (reply == 91) {
        words = "request rejected or failed";
    } else if (reply == 92) {
        words = "request rejected: the proxy cannot reach the client's identd";
    } else if (reply == 93) {
        words = "request rejected: the user ID was refused";
    }
    return words ? text + QStringLiteral(": the proxy answered ") + QLatin1String(words) : text;
}

} // namespace

namespace CurlErrorText {

bool isReplyText(const QString &reply)
{
    return reply.size() >= 3 && (reply[0] == u'4' || reply[0] == u'5');
}

QString describe(int code, long osErrno, const QString &lastReply, const QString &errorText, bool connecting)
{
    const QString whole =
        errorText.isEmpty() ? QString::fromLatin1(curl_easy_strerror(static_cast<CURLcode>(code))) : errorText;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("Host not found");
    case CURLE_COULDNT_CONNECT:
        if (osErrno == ECONNREFUSED)
            return QStringLiteral("Connection refused");
        if (osErrno == ETIMEDOUT)
            return QStringLiteral("Timed out");
        return withProxyWords(whole);
    case CURLE_OPERATION_TIMEDOUT:
        // libcurl reports a "421" of the server as a time-out: the server's
        // own words say more.
        if (isReplyText(lastReply))
            return lastReply;
        return connecting ? QStringLiteral("Connect timed out.") : QStringLiteral("Timed out");
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("Stopped by the user");
    case CURLE_PROXY:
        return withProxyWords(whole);
    default:
        return isReplyText(lastReply) ? lastReply : whole;
    }
}

QString connectionLost()
{
    return QStringLiteral("The connection to the server was lost; the session is closed");
}

} // namespace CurlErrorText
