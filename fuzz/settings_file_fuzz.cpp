// libFuzzer target for the settings file: any bytes as the file, then one key
// written. The key must read back as written, and every other line of the
// file must keep its bytes. Built by scripts/fuzz.sh with clang.

#include "base/ByteText.h"
#include "base/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <set>

namespace {

std::multiset<QByteArray> linesOf(const QByteArray &bytes)
{
    std::multiset<QByteArray> lines;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines.insert(line);
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir dir;
    const QByteArray input(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // The last line of the input is the value to write, the rest the file.
    const qsizetype split = input.lastIndexOf('\n');
    const QByteArray file = split < 0 ? QByteArray() : input.left(split);
    const QByteArray valueBytes = split < 0 ? input : input.mid(split + 1);
    const QString path = dir.filePath(QStringLiteral("wren.INI"));
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        out.write(file);
    }
    IniFile ini(path);
    const QString value = ByteText::decode(valueBytes);
    ini.writeString(QStringLiteral("General"), QStringLiteral("CookieSeq"), value);

    QByteArray expected = ByteText::encode(value);
    expected.replace('\r', ' ');
    expected.replace('\n', ' ');
    expected = expected.trimmed();
    const std::optional<QByteArray> back = ini.readBytes(QStringLiteral("General"), QStringLiteral("CookieSeq"));
    if (!back || *back != expected)
        std::abort();

    // Every line but the one written (or the lines added) is still there.
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        std::abort();
    const std::multiset<QByteArray> before = linesOf(file), after = linesOf(in.readAll());
    int gone = 0;
    std::multiset<QByteArray> left = after;
    for (const QByteArray &line : before) {
        const auto it = left.find(line);
        if (it == left.end())
            ++gone;
        else
            left.erase(it);
    }
    if (gone > 1)
        std::abort();
    return 0;
}
