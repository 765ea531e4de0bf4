#include "Settings.h"

#include <QLocale>

#include <algorithm>

namespace {
const QString kPlacement = QStringLiteral("Placement");
const QString kGeneral = QStringLiteral("General");
const QString kFirewall = QStringLiteral("Firewall");
const QString kLanguage = QStringLiteral("Language");
const QString kEntryFormat = QStringLiteral("EntryFormat");

QString numbered(const char *stem, int n)
{
    return QLatin1String(stem) + QString::number(n);
}
} // namespace

Settings::Settings(const QString &path) : m_file(path) {}

int Settings::state() const
{
    return m_file.readInteger(kPlacement, QStringLiteral("State"), 0);
}
void Settings::setState(int value)
{
    m_file.writeInteger(kPlacement, QStringLiteral("State"), value);
}
int Settings::top(int defaultValue) const
{
    return m_file.readInteger(kPlacement, QStringLiteral("Top"), defaultValue);
}
void Settings::setTop(int value)
{
    m_file.writeInteger(kPlacement, QStringLiteral("Top"), value);
}
int Settings::left(int defaultValue) const
{
    return m_file.readInteger(kPlacement, QStringLiteral("Left"), defaultValue);
}
void Settings::setLeft(int value)
{
    m_file.writeInteger(kPlacement, QStringLiteral("Left"), value);
}
int Settings::height(int defaultValue) const
{
    return m_file.readInteger(kPlacement, QStringLiteral("Height"), defaultValue);
}
void Settings::setHeight(int value)
{
    m_file.writeInteger(kPlacement, QStringLiteral("Height"), value);
}
int Settings::width(int defaultValue) const
{
    return m_file.readInteger(kPlacement, QStringLiteral("Width"), defaultValue);
}
void Settings::setWidth(int value)
{
    m_file.writeInteger(kPlacement, QStringLiteral("Width"), value);
}
bool Settings::editToolbar() const
{
    return m_file.readBool(kPlacement, QStringLiteral("EditToolbar"), true);
}
void Settings::setEditToolbar(bool value)
{
    m_file.writeBool(kPlacement, QStringLiteral("EditToolbar"), value);
}
bool Settings::mainToolbar() const
{
    return m_file.readBool(kPlacement, QStringLiteral("MainToolbar"), true);
}
void Settings::setMainToolbar(bool value)
{
    m_file.writeBool(kPlacement, QStringLiteral("MainToolbar"), value);
}

bool Settings::minimizeOnClose() const
{
    return m_file.readBool(kGeneral, QStringLiteral("MinimizeOnClose"), false);
}
void Settings::setMinimizeOnClose(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("MinimizeOnClose"), value);
}
bool Settings::liveSpell() const
{
    return m_file.readBool(kGeneral, QStringLiteral("LiveSpell"), true);
}
void Settings::setLiveSpell(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("LiveSpell"), value);
}
QString Settings::version(const QString &defaultValue) const
{
    return m_file.readString(kGeneral, QStringLiteral("Version"), defaultValue);
}
void Settings::setVersion(const QString &value)
{
    m_file.writeString(kGeneral, QStringLiteral("Version"), value);
}
int Settings::cookieSeq() const
{
    return m_file.readInteger(kGeneral, QStringLiteral("CookieSeq"), 0);
}
void Settings::setCookieSeq(int value)
{
    m_file.writeInteger(kGeneral, QStringLiteral("CookieSeq"), value);
}
bool Settings::useWindowsLogin() const
{
    return m_file.readBool(kGeneral, QStringLiteral("UseWindowsLogin"), false);
}
void Settings::setUseWindowsLogin(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("UseWindowsLogin"), value);
}
bool Settings::autoinsertTag() const
{
    return m_file.readBool(kGeneral, QStringLiteral("AutoinsertTag"), true);
}
void Settings::setAutoinsertTag(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("AutoinsertTag"), value);
}
bool Settings::randomCookies() const
{
    return m_file.readBool(kGeneral, QStringLiteral("RandomCookies"), false);
}
void Settings::setRandomCookies(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("RandomCookies"), value);
}
QString Settings::days() const
{
    return m_file.readString(kGeneral, QStringLiteral("Days"), QStringLiteral("7"));
}
void Settings::setDays(const QString &value)
{
    m_file.writeString(kGeneral, QStringLiteral("Days"), value);
}
bool Settings::historyForPosts() const
{
    return m_file.readBool(kGeneral, QStringLiteral("HistoryForPosts"), false);
}
void Settings::setHistoryForPosts(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("HistoryForPosts"), value);
}
bool Settings::historyDays() const
{
    return m_file.readBool(kGeneral, QStringLiteral("HistoryDays"), true);
}
void Settings::setHistoryDays(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("HistoryDays"), value);
}
bool Settings::keepArchivesCurrent() const
{
    return m_file.readBool(kGeneral, QStringLiteral("KeepArchivesCurrent"), false);
}
void Settings::setKeepArchivesCurrent(bool value)
{
    m_file.writeBool(kGeneral, QStringLiteral("KeepArchivesCurrent"), value);
}
bool Settings::hasKeepArchivesCurrent() const
{
    return m_file.hasKey(kGeneral, QStringLiteral("KeepArchivesCurrent"));
}

EntryFormat Settings::entryFormat(qlonglong journalId) const
{
    const QString value = m_file.readString(kEntryFormat, QString::number(journalId), QString()).trimmed();
    return value.compare(QLatin1String("Markdown"), Qt::CaseInsensitive) == 0 ? EntryFormat::Markdown
                                                                              : EntryFormat::Html;
}
void Settings::setEntryFormat(qlonglong journalId, EntryFormat format)
{
    m_file.writeString(kEntryFormat, QString::number(journalId),
                       format == EntryFormat::Markdown ? QStringLiteral("Markdown") : QStringLiteral("HTML"));
}

bool Settings::pasv() const
{
    return m_file.readBool(kFirewall, QStringLiteral("PASV"), false);
}
void Settings::setPasv(bool value)
{
    m_file.writeBool(kFirewall, QStringLiteral("PASV"), value);
}
int Settings::connectionsPerSite() const
{
    return std::clamp(m_file.readInteger(kFirewall, QStringLiteral("Connections"), 4), 1, kMaxConnectionsPerSite);
}
void Settings::setConnectionsPerSite(int value)
{
    m_file.writeInteger(kFirewall, QStringLiteral("Connections"), value);
}
bool Settings::socks() const
{
    return m_file.readBool(kFirewall, QStringLiteral("Socks"), false);
}
void Settings::setSocks(bool value)
{
    m_file.writeBool(kFirewall, QStringLiteral("Socks"), value);
}
QString Settings::socksVersion() const
{
    return m_file.readString(kFirewall, QStringLiteral("Version"), QStringLiteral("SOCKS 4.0"));
}
void Settings::setSocksVersion(const QString &value)
{
    m_file.writeString(kFirewall, QStringLiteral("Version"), value);
}
QString Settings::proxyHost() const
{
    return m_file.readString(kFirewall, QStringLiteral("Host"), QString());
}
void Settings::setProxyHost(const QString &value)
{
    m_file.writeString(kFirewall, QStringLiteral("Host"), value);
}
QString Settings::proxyPortText() const
{
    return m_file.readString(kFirewall, QStringLiteral("Port"), QStringLiteral("0"));
}
int Settings::proxyPort() const
{
    return m_file.readInteger(kFirewall, QStringLiteral("Port"), 0);
}
void Settings::setProxyPortText(const QString &value)
{
    m_file.writeString(kFirewall, QStringLiteral("Port"), value);
}
QString Settings::authentication() const
{
    return m_file.readString(kFirewall, QStringLiteral("Authentication"), QStringLiteral("None"));
}
void Settings::setAuthentication(const QString &value)
{
    m_file.writeString(kFirewall, QStringLiteral("Authentication"), value);
}
QString Settings::proxyUser() const
{
    return m_file.readString(kFirewall, QStringLiteral("User"), QString());
}
void Settings::setProxyUser(const QString &value)
{
    m_file.writeString(kFirewall, QStringLiteral("User"), value);
}
QString Settings::proxyPassword() const
{
    return m_file.readString(kFirewall, QStringLiteral("Password"), QString());
}
void Settings::setProxyPassword(const QString &value)
{
    m_file.writeString(kFirewall, QStringLiteral("Password"), value);
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

QString Settings::shortDay(int n) const
{
    return m_file.readString(kLanguage, numbered("ShortDay", n), localeDayName(n, false));
}
void Settings::setShortDay(int n, const QString &value)
{
    m_file.writeString(kLanguage, numbered("ShortDay", n), value);
}
QString Settings::longDay(int n) const
{
    return m_file.readString(kLanguage, numbered("LongDay", n), localeDayName(n, true));
}
void Settings::setLongDay(int n, const QString &value)
{
    m_file.writeString(kLanguage, numbered("LongDay", n), value);
}
QString Settings::shortMonth(int n) const
{
    return m_file.readString(kLanguage, numbered("ShortMonth", n), localeMonthName(n, false));
}
void Settings::setShortMonth(int n, const QString &value)
{
    m_file.writeString(kLanguage, numbered("ShortMonth", n), value);
}
QString Settings::longMonth(int n) const
{
    return m_file.readString(kLanguage, numbered("LongMonth", n), localeMonthName(n, true));
}
void Settings::setLongMonth(int n, const QString &value)
{
    m_file.writeString(kLanguage, numbered("LongMonth", n), value);
}
