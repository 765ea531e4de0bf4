#include "RecordedTransfer.h"

#include <QDir>

RecordedTransfer::RecordedTransfer(const QString &stagingDir, const QString &dataDir, LogSink log, FtpClient *ftp,
                                   KnownHosts *knownHosts, bool sendAll)
    : transfer(stagingDir, std::move(log), ftp), m_record(QDir(dataDir).filePath(QStringLiteral("Transfer.DAT")),
                                                          [this](const QString &line) { transfer.log(line); })
{
    transfer.setKnownHosts(knownHosts);
    transfer.setCopiesInBackground(true);
    transfer.setRecord(&m_record, sendAll);
}
