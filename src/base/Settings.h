#pragma once

#include "base/IniFile.h"

#include <QString>

#include <limits>

// How a journal's entries are written: HTML fragments, or Markdown that
// publishing converts to HTML.
enum class EntryFormat { Html, Markdown };

// The kinds of key in the settings file. Each names its section and key as the
// file spells them, and the value a missing key reads as (for a number, also
// one that does not parse). Booleans are stored "1" or "0"; see IniFile.
struct BoolSetting {
    const char *section;
    const char *key;
    bool fallback;
};
struct IntSetting {
    const char *section;
    const char *key;
    int fallback;
    // A stored number outside these bounds reads as the nearer one.
    int min = std::numeric_limits<int>::min();
    int max = std::numeric_limits<int>::max();
};
struct TextSetting {
    const char *section;
    const char *key;
    const char *fallback;
};
// A run of text keys named by a stem and a number ("ShortDay1"); a missing
// one reads as fallback(number).
struct NumberedTextSetting {
    const char *section;
    const char *stem;
    QString (*fallback)(qlonglong number);
};

// The settings file, read and written one key at a time through the table in
// namespace Setting below. Nothing is cached, so a value changed in the file
// while the program runs is seen at the next read. A write the file system
// refuses throws WrenError.
class Settings {
public:
    explicit Settings(const QString &path);

    const QString &path() const { return m_file.path(); }

    // The data version of the tables, and the version this program writes.
    static constexpr const char *kDataVersion = "5.0";
    static constexpr int kMaxConnectionsPerSite = 16;

    bool value(const BoolSetting &key) const;
    int value(const IntSetting &key) const;
    QString value(const TextSetting &key) const;
    // With a fallback known only at run time, used in place of the table's.
    QString value(const TextSetting &key, const QString &fallback) const;
    QString value(const NumberedTextSetting &key, qlonglong number) const;
    QString value(const NumberedTextSetting &key, qlonglong number, const QString &fallback) const;

    void setValue(const BoolSetting &key, bool value);
    void setValue(const IntSetting &key, int value);
    void setValue(const TextSetting &key, const QString &value);
    void setValue(const NumberedTextSetting &key, qlonglong number, const QString &value);
    // A text or a number given for a flag is a mistake, not a conversion.
    template <typename T> void setValue(const BoolSetting &, T) = delete;

    // A journal's entry format (Setting::EntryFormatOf): a missing key, or any
    // value but "Markdown" in any letter case, is HTML.
    EntryFormat entryFormat(qlonglong journalId) const;
    void setEntryFormat(qlonglong journalId, EntryFormat format);

    // The locale's names that a missing Language key falls back to; n counts
    // from 1 (Sunday, January).
    static QString localeDayName(int n, bool longName);
    static QString localeMonthName(int n, bool longName);

private:
    IniFile m_file;
};

// Every key of the settings file.
namespace Setting {

// Placement: the main window's place and size, and which toolbars show.
inline constexpr IntSetting State{"Placement", "State", 0}; // 1 when maximized
inline constexpr IntSetting Top{"Placement", "Top", 151};
inline constexpr IntSetting Left{"Placement", "Left", 228};
inline constexpr IntSetting Height{"Placement", "Height", 568};
inline constexpr IntSetting Width{"Placement", "Width", 754};
inline constexpr BoolSetting EditToolbar{"Placement", "EditToolbar", true};
inline constexpr BoolSetting MainToolbar{"Placement", "MainToolbar", true};

// General. Version is the data version of the tables; a file without it is a
// new data directory (the upgrade reads it with "4.0" in its place).
inline constexpr BoolSetting MinimizeOnClose{"General", "MinimizeOnClose", false};
inline constexpr BoolSetting LiveSpell{"General", "LiveSpell", true};
inline constexpr TextSetting Version{"General", "Version", ""};
inline constexpr IntSetting CookieSeq{"General", "CookieSeq", 0};
inline constexpr BoolSetting UseWindowsLogin{"General", "UseWindowsLogin", false};
inline constexpr BoolSetting AutoinsertTag{"General", "AutoinsertTag", true};
inline constexpr BoolSetting RandomCookies{"General", "RandomCookies", false};
inline constexpr TextSetting Days{"General", "Days", "7"}; // text holding a whole number
inline constexpr BoolSetting HistoryForPosts{"General", "HistoryForPosts", false};
inline constexpr BoolSetting HistoryDays{"General", "HistoryDays", true};
// Every archive page is rebuilt at a publish when its content changed, not
// only those of the periods since the last one. Off when missing, so that a
// journal carried over keeps its behaviour until its user turns it on; a data
// directory Wren sets up writes it on.
inline constexpr BoolSetting KeepArchivesCurrent{"General", "KeepArchivesCurrent", false};

// EntryFormat: one key per journal, its ID alone ("3=Markdown"), valued
// "Markdown" or "HTML". Other tools may write it, so the form is fixed; read
// it through Settings::entryFormat.
inline constexpr NumberedTextSetting EntryFormatOf{"EntryFormat", "", [](qlonglong) { return QString(); }};

// Firewall. Port is kept as the Options dialog shows it; the FTP client reads
// it as an IniFile number, 0 when it is none.
inline constexpr BoolSetting Pasv{"Firewall", "PASV", false};
inline constexpr IntSetting Connections{"Firewall", "Connections", 4, 1, Settings::kMaxConnectionsPerSite};
inline constexpr BoolSetting Socks{"Firewall", "Socks", false};
inline constexpr TextSetting SocksVersion{"Firewall", "Version", "SOCKS 4.0"}; // or "SOCKS 4.0A", "SOCKS 5.0"
inline constexpr TextSetting ProxyHost{"Firewall", "Host", ""};
inline constexpr TextSetting ProxyPort{"Firewall", "Port", "0"};
inline constexpr TextSetting Authentication{"Firewall", "Authentication", "None"}; // or "User ID/Password"
inline constexpr TextSetting ProxyUser{"Firewall", "User", ""};
inline constexpr TextSetting ProxyPassword{"Firewall", "Password", ""};

// Spelling. A missing Language means en_US when that dictionary is installed
// or none is, else the first installed; the reader supplies it.
inline constexpr TextSetting SpellLanguage{"Spelling", "Language", "en_US"};
inline constexpr BoolSetting IgnoreCapitals{"Spelling", "IgnoreCapitals", true};
inline constexpr BoolSetting IgnoreDigits{"Spelling", "IgnoreDigits", true};

// Language: the names pages use, numbered from 1 (Sunday, January).
inline constexpr NumberedTextSetting ShortDay{"Language", "ShortDay",
                                              [](qlonglong n) { return Settings::localeDayName(int(n), false); }};
inline constexpr NumberedTextSetting LongDay{"Language", "LongDay",
                                             [](qlonglong n) { return Settings::localeDayName(int(n), true); }};
inline constexpr NumberedTextSetting ShortMonth{"Language", "ShortMonth",
                                                [](qlonglong n) { return Settings::localeMonthName(int(n), false); }};
inline constexpr NumberedTextSetting LongMonth{"Language", "LongMonth",
                                               [](qlonglong n) { return Settings::localeMonthName(int(n), true); }};

} // namespace Setting
