#pragma once

#include "base/LogSink.h"
#include "transfer/SiteTransfer.h"
#include "transfer/UploadRecord.h"

class FtpClient;
class KnownHosts;

// A run's transfer as the window and wren-publish start it: the copies go on
// in the background, the sites' keys are checked against knownHosts, and what
// reaches a site is kept in the upload record (Transfer.DAT of the data
// directory), whose own lines go to the run's log. With sendAll the record
// is written but not read.
class RecordedTransfer {
public:
    RecordedTransfer(const QString &stagingDir, const QString &dataDir, LogSink log, FtpClient *ftp,
                     KnownHosts *knownHosts, bool sendAll);

    SiteTransfer transfer;

private:
    UploadRecord m_record;
};
