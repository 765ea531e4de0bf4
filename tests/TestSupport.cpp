#include "TestSupport.h"

#include <QProcess>

#include "engine/DataVersion.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ostream>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

void UseTemporaryFolderOfThisProcess()
{
    static const QString prefix = QStringLiteral("wren-tests-");
    const QDir top(QDir::tempPath());
    for (const QString &name : top.entryList({prefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        const pid_t pid = name.mid(prefix.size()).toInt(&isPid);
        if (isPid && pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH)
            QDir(top.filePath(name)).removeRecursively();
    }
    static const QString mine = top.filePath(prefix + QString::number(::getpid()));
    // Servers of the fixture run as other users and must reach their folders.
    if (!QDir().mkpath(mine) || ::chmod(QFile::encodeName(mine).constData(), 0755) != 0)
        return;
    qputenv("TMPDIR", QFile::encodeName(mine));
    std::atexit([] { QDir(mine).removeRecursively(); });
}

void DataDirTest::openFreshDatabase()
{
    DataVersion::createMissingTables(dir());
    m_db.open(dir());
}

void DataDirTest::writeFile(const QString &name, const QByteArray &bytes) const
{
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray DataDirTest::readFile(const QString &name) const
{
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void DataDirTest::exec(const QString &statement)
{
    m_db.run(statement);
}

std::optional<QString> Sqlite(const QString &file, const QString &statement)
{
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {file, statement});
    if (!shell.waitForFinished(30000) || shell.exitStatus() != QProcess::NormalExit || shell.exitCode() != 0)
        return std::nullopt;
    QString out = QString::fromUtf8(shell.readAllStandardOutput());
    if (out.endsWith(u'\n'))
        out.chop(1);
    return out;
}
