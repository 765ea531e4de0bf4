#include "TestSupport.h"

#include <QProcess>

#include "engine/DataVersion.h"

#include <QFile>

#include <ostream>

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
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
