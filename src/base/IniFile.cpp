#include "IniFile.h"

#include "base/AtomicFile.h"
#include "base/ByteText.h"
#include "base/WrenError.h"

#include <QFile>

namespace {

// One line of the file as it is stored: its bytes without the line end, and
// where it starts and ends (line end included) in the file.
struct Line {
    QByteArray text;
    qsizetype begin = 0;
    qsizetype end = 0;
};

QList<Line> splitLines(const QByteArray &bytes)
{
    QList<Line> lines;
    qsizetype begin = 0;
    while (begin < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', begin);
        const qsizetype end = nl < 0 ? bytes.size() : nl + 1;
        qsizetype textEnd = nl < 0 ? bytes.size() : nl;
        if (textEnd > begin && bytes[textEnd - 1] == '\r')
            --textEnd;
        lines.append({bytes.mid(begin, textEnd - begin), begin, end});
        begin = end;
    }
    return lines;
}

bool isSectionHeader(const QByteArray &trimmed, QByteArray *name)
{
    if (!trimmed.startsWith('['))
        return false;
    const qsizetype close = trimmed.indexOf(']');
    if (close < 0)
        return false;
    *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

// Splits "key = value" into its trimmed parts; comment and blank lines are no keys.
bool isKeyLine(const QByteArray &trimmed, QByteArray *key, QByteArray *value)
{
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#'))
        return false;
    const qsizetype eq = trimmed.indexOf('=');
    if (eq <= 0)
        return false;
    *key = trimmed.left(eq).trimmed();
    if (value)
        *value = trimmed.mid(eq + 1).trimmed();
    return true;
}

// Names compare without regard to ASCII letter case.
bool sameName(const QByteArray &a, const QString &b)
{
    return a.compare(ByteText::encode(b), Qt::CaseInsensitive) == 0;
}

// A value must stay on its own line: line breaks inside it become blanks.
QByteArray oneLine(QByteArray value)
{
    value.replace('\r', ' ');
    value.replace('\n', ' ');
    return value;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QByteArray IniFile::readBytes() const
{
    // A pipe in the file's place must not hang every read of a setting.
    return AtomicFile::readRegular(m_path, AtomicFile::Links::Follow);
}

std::optional<QString> IniFile::lookup(const QString &section, const QString &key) const
{
    const std::optional<QByteArray> raw = lookupBytes(section, key);
    if (!raw)
        return std::nullopt;
    return ByteText::decode(*raw);
}

std::optional<QByteArray> IniFile::lookupBytes(const QString &section, const QString &key) const
{
    bool inSection = false;
    for (const Line &line : splitLines(readBytes())) {
        const QByteArray trimmed = line.text.trimmed();
        QByteArray name;
        if (isSectionHeader(trimmed, &name)) {
            inSection = sameName(name, section);
            continue;
        }
        QByteArray lineKey, value;
        if (inSection && isKeyLine(trimmed, &lineKey, &value) && sameName(lineKey, key))
            return value;
    }
    return std::nullopt;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    return lookup(section, key).has_value();
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const std::optional<QString> value = lookup(section, key);
    if (!value)
        return defaultValue.left(kMaxValueLength);
    return value->left(kMaxValueLength);
}

std::optional<int> IniFile::parseInteger(const QString &text)
{
    bool ok = false;
    int value = 0;
    if (text.size() > 2 && (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))) {
        const qint64 wide = text.mid(2).toLongLong(&ok, 16);
        // Hex covers the full 32-bit pattern, so 0xFFFFFFFF reads as -1.
        if (!ok || wide < 0 || wide > 0xFFFFFFFFLL)
            return std::nullopt;
        value = static_cast<int>(static_cast<quint32>(wide));
        return value;
    }
    value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

int IniFile::readInteger(const QString &section, const QString &key, int defaultValue) const
{
    const std::optional<QString> text = lookup(section, key);
    if (!text)
        return defaultValue;
    return parseInteger(text->left(kMaxValueLength)).value_or(defaultValue);
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    writeBytes(section, key, ByteText::encode(value));
}

void IniFile::writeBytes(const QString &section, const QString &key, const QByteArray &value)
{
    // Only the key's own line changes; every other byte of the file stays as
    // it was, whatever its encoding or line ends.
    QByteArray bytes = readBytes();
    const QList<Line> lines = splitLines(bytes);
    const QByteArray keyBytes = ByteText::encode(key);
    const QByteArray lineEnd = bytes.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");

    qsizetype sectionStart = -1; // index of the header line of the first matching section
    qsizetype lastKeyInSection = -1;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines[i].text.trimmed();
        QByteArray name;
        if (isSectionHeader(trimmed, &name)) {
            if (inSection)
                break; // the first matching section ended without the key
            inSection = sameName(name, section);
            if (inSection) {
                sectionStart = i;
                lastKeyInSection = i;
            }
            continue;
        }
        if (!inSection || trimmed.isEmpty())
            continue;
        lastKeyInSection = i;
        QByteArray lineKey;
        if (isKeyLine(trimmed, &lineKey, nullptr) && sameName(lineKey, key)) {
            const qsizetype textEnd = lines[i].begin + lines[i].text.size();
            bytes.replace(lines[i].begin, textEnd - lines[i].begin, lineKey + '=' + oneLine(value));
            store(bytes);
            return;
        }
    }
    const QByteArray keyLine = keyBytes + '=' + oneLine(value);
    if (sectionStart >= 0) {
        const Line &after = lines[lastKeyInSection];
        qsizetype at = after.end;
        QByteArray insert = keyLine + lineEnd;
        if (at == bytes.size() && !bytes.endsWith('\n'))
            insert = lineEnd + keyLine + lineEnd; // the last line had no line end
        bytes.insert(at, insert);
    } else {
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += lineEnd;
        if (!lines.isEmpty() && !lines.last().text.trimmed().isEmpty())
            bytes += lineEnd;
        bytes += '[' + ByteText::encode(section) + ']' + lineEnd + keyLine + lineEnd;
    }
    store(bytes);
}

void IniFile::store(const QByteArray &bytes)
{
    try {
        // The settings file holds the proxy password: a new one is private.
        AtomicFile::write(m_path, bytes, AtomicFile::Durability::Sync, AtomicFile::Access::Private);
    } catch (const WrenError &) {
        throw WrenError(QStringLiteral("Unable to write to %1").arg(m_path));
    }
}

void IniFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}
