#include "Settings.h"

#include <QLocale>

#include <algorithm>

namespace {
QString numbered(const NumberedTextSetting &key, qlonglong number)
{
    return QLatin1String(key.stem) + QString::number(number);
}
} // namespace

Settings::Settings(const QString &path) : m_file(path) {}

bool Settings::value(const BoolSetting &key) const
{
    return m_file.readBool(QLatin1String(key.section), QLatin1String(key.key), key.fallback);
}
int Settings::value(const IntSetting &key) const
{
    return std::clamp(m_file.readInteger(QLatin1String(key.section), QLatin1String(key.key), key.fallback), key.min,
                      key.max);
}
QString Settings::value(const TextSetting &key) const
{
    return value(key, QLatin1String(key.fallback));
}
QString Settings::value(const TextSetting &key, const QString &fallback) const
{
    return m_file.readString(QLatin1String(key.section), QLatin1String(key.key), fallback);
}
QString Settings::value(const NumberedTextSetting &key, qlonglong number) const
{
    return value(key, number, key.fallback(number));
}
QString Settings::value(const NumberedTextSetting &key, qlonglong number, const QString &fallback) const
{
    return m_file.readString(QLatin1String(key.section), numbered(key, number), fallback);
}

void Settings::setValue(const BoolSetting &key, bool value)
{
    m_file.writeBool(QLatin1String(key.section), QLatin1String(key.key), value);
}
void Settings::setValue(const IntSetting &key, int value)
{
    m_file.writeInteger(QLatin1String(key.section), QLatin1String(key.key), value);
}
void Settings::setValue(const TextSetting &key, const QString &value)
{
    m_file.writeString(QLatin1String(key.section), QLatin1String(key.key), value);
}
void Settings::setValue(const NumberedTextSetting &key, qlonglong number, const QString &value)
{
    m_file.writeString(QLatin1String(key.section), numbered(key, number), value);
}

EntryFormat Settings::entryFormat(qlonglong journalId) const
{
    const QString text = value(Setting::EntryFormatOf, journalId).trimmed();
    return text.compare(QLatin1String("Markdown"), Qt::CaseInsensitive) == 0 ? EntryFormat::Markdown
                                                                             : EntryFormat::Html;
}
void Settings::setEntryFormat(qlonglong journalId, EntryFormat format)
{
    setValue(Setting::EntryFormatOf, journalId,
             format == EntryFormat::Markdown ? QStringLiteral("Markdown") : QStringLiteral("HTML"));
}

QString Settings::localeDayName(int n, bool longName)
{
    // Our days run from 1 = Sunday; the locale's from 1 = Monday to 7 = Sunday.
    const int qtDay = n == 1 ? 7 : n - 1;
    return QLocale::system().dayName(qtDay, longName ? QLocale::LongFormat : QLocale::ShortFormat);
}

QString Settings::localeMonthName(int n, bool longName)
{
    return QLocale::system().monthName(n, longName ? QLocale::LongFormat : QLocale::ShortFormat);
}
