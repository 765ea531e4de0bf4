#pragma once

#include <QString>

// How a failed libcurl call reads in the log: libcurl's result, the
// network's errno, the proxy's bare reply codes and the server's last reply
// turned into the words a user is shown.
namespace CurlErrorText {

// The log text of a failed libcurl call: the server's reply for a refused
// command, the network's reason for a failed connection, the proxy's
// answer in words.
QString describe(int code, long osErrno, const QString &lastReply, const QString &errorText, bool connecting);
// Whether a reply line of the server is a refusal (4xx or 5xx), whose own
// words say more than libcurl's.
bool isReplyText(const QString &reply);
// What a session reports once its control connection is gone.
QString connectionLost();

} // namespace CurlErrorText
