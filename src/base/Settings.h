#pragma once

#include "base/IniFile.h"

#include <QString>

// How a journal's entries are written: HTML fragments, or Markdown that
// publishing converts to HTML.
enum class EntryFormat { Html, Markdown };

// Every key of the settings file, each with its type and default, read from and
// written to the file at each call (nothing is cached, so a value changed in the
// file while the program runs is seen at the next read).
class Settings {
public:
    explicit Settings(const QString &path);

    const QString &path() const { return m_file.path(); }
    IniFile &file() { return m_file; }

    // The data version of the tables, and the version this program writes.
    static constexpr const char *kDataVersion = "5.0";

    // Placement
    int state() const;
    void setState(int value);
    int top(int defaultValue = 151) const;
    void setTop(int value);
    int left(int defaultValue = 228) const;
    void setLeft(int value);
    int height(int defaultValue = 568) const;
    void setHeight(int value);
    int width(int defaultValue = 754) const;
    void setWidth(int value);
    bool editToolbar() const;
    void setEditToolbar(bool value);
    bool mainToolbar() const;
    void setMainToolbar(bool value);

    // General
    bool minimizeOnClose() const;
    void setMinimizeOnClose(bool value);
    bool liveSpell() const;
    void setLiveSpell(bool value);
    // The start-up check reads with an empty default; the upgrade reads with "4.0".
    QString version(const QString &defaultValue = QString()) const;
    void setVersion(const QString &value);
    int cookieSeq() const;
    void setCookieSeq(int value);
    bool useWindowsLogin() const;
    void setUseWindowsLogin(bool value);
    bool autoinsertTag() const;
    void setAutoinsertTag(bool value);
    bool randomCookies() const;
    void setRandomCookies(bool value);
    QString days() const; // text holding a whole number, "7" by default
    void setDays(const QString &value);
    bool historyForPosts() const;
    void setHistoryForPosts(bool value);
    bool historyDays() const;
    void setHistoryDays(bool value);
    // Every archive page is rebuilt at a publish when its content changed, not
    // only those of the periods since the last one. Off when missing, so that
    // a journal carried over keeps its behaviour until its user turns it on;
    // a data directory Wren sets up writes it on.
    bool keepArchivesCurrent() const;
    void setKeepArchivesCurrent(bool value);
    bool hasKeepArchivesCurrent() const;

    // EntryFormat: one key per journal, its ID, valued "Markdown" or "HTML"
    // ("3=Markdown"). Other tools may write it, so the form is fixed: a
    // missing key, or any other value, is HTML; letter case does not matter.
    EntryFormat entryFormat(qlonglong journalId) const;
    void setEntryFormat(qlonglong journalId, EntryFormat format);

    // Firewall
    bool pasv() const;
    void setPasv(bool value);
    // How many connections may go to one site at once: 4 unless set, at
    // least 1 and at most kMaxConnectionsPerSite.
    int connectionsPerSite() const;
    void setConnectionsPerSite(int value);
    static constexpr int kMaxConnectionsPerSite = 16;
    bool socks() const;
    void setSocks(bool value);
    QString socksVersion() const; // "SOCKS 4.0", "SOCKS 4.0A" or "SOCKS 5.0"
    void setSocksVersion(const QString &value);
    QString proxyHost() const;
    void setProxyHost(const QString &value);
    QString proxyPortText() const; // as the Options dialog shows it, "0" by default
    int proxyPort() const;         // as the FTP client reads it, 0 by default
    void setProxyPortText(const QString &value);
    QString authentication() const; // "None" or "User ID/Password"
    void setAuthentication(const QString &value);
    QString proxyUser() const;
    void setProxyUser(const QString &value);
    QString proxyPassword() const;
    void setProxyPassword(const QString &value);

    // Language: n counts from 1 (Sunday, January). A missing name gives the
    // system locale's name.
    QString shortDay(int n) const;
    void setShortDay(int n, const QString &value);
    QString longDay(int n) const;
    void setLongDay(int n, const QString &value);
    QString shortMonth(int n) const;
    void setShortMonth(int n, const QString &value);
    QString longMonth(int n) const;
    void setLongMonth(int n, const QString &value);

    // The locale's names that a missing Language key falls back to.
    static QString localeDayName(int n, bool longName);
    static QString localeMonthName(int n, bool longName);

private:
    IniFile m_file;
};
