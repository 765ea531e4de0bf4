#include "IniFile.h"

#include "base/AtomicFile.h"
#include "base/WrenError.h"

#include <QFile>

namespace {

bool isSectionHeader(const QString &trimmed, QString *name)
{
    if (!trimmed.startsWith(u'['))
        return false;
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return false;
    *name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

// Splits "key = value" into its trimmed parts; comment and blank lines are no keys.
bool isKeyLine(const QString &trimmed, QString *key, QString *value)
{
    if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
        return false;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq <= 0)
        return false;
    *key = trimmed.left(eq).trimmed();
    if (value)
        *value = trimmed.mid(eq + 1).trimmed();
    return true;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A value must stay on its own line: line breaks inside it become blanks.
QString oneLine(QString value)
{
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return value;
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QStringList IniFile::readLines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

std::optional<QString> IniFile::lookup(const QString &section, const QString &key) const
{
    bool inSection = false;
    for (const QString &line : readLines()) {
        const QString trimmed = line.trimmed();
        QString name;
        if (isSectionHeader(trimmed, &name)) {
            inSection = sameName(name, section);
            continue;
        }
        QString lineKey, value;
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
    QStringList lines = readLines();
    const QString keyLine = key + u'=' + oneLine(value);

    qsizetype sectionStart = -1; // index of the header line of the first matching section
    qsizetype lastKeyInSection = -1;
    bool inSection = false;
    bool written = false;
    for (qsizetype i = 0; i < lines.size() && !written; ++i) {
        const QString trimmed = lines[i].trimmed();
        QString name;
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
        QString lineKey;
        if (isKeyLine(trimmed, &lineKey, nullptr) && sameName(lineKey, key)) {
            lines[i] = lineKey + u'=' + oneLine(value);
            written = true;
        }
    }
    if (!written) {
        if (sectionStart >= 0) {
            lines.insert(lastKeyInSection + 1, keyLine);
        } else {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
                lines.append(QString());
            lines.append(u'[' + section + u']');
            lines.append(keyLine);
        }
    }

    try {
        AtomicFile::write(m_path, (lines.join(u'\n') + u'\n').toUtf8());
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
