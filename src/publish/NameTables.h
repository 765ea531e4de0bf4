#pragma once

#include <QString>

#include <array>

class Settings;

// The day and month names that every date format of the program prints: 7 short
// and 7 long day names (index 1 = Sunday) and 12 short and 12 long month names
// (index 1 = January). They start as the system locale's names; the options
// install the names of the settings file's Language section over them.
struct NameTables {
    std::array<QString, 7> shortDays;
    std::array<QString, 7> longDays;
    std::array<QString, 12> shortMonths;
    std::array<QString, 12> longMonths;

    // A number outside the table (the day of an invalid date) gives an empty
    // name, so that formatting any date gives some text.
    QString shortDay(int n) const { return pick(shortDays, n); }
    QString longDay(int n) const { return pick(longDays, n); }
    QString shortMonth(int n) const { return pick(shortMonths, n); }
    QString longMonth(int n) const { return pick(longMonths, n); }

    template <size_t N> static QString pick(const std::array<QString, N> &names, int n)
    {
        return n >= 1 && n <= int(N) ? names[size_t(n - 1)] : QString();
    }

    // The system locale's names.
    static NameTables fromLocale();
    // The names of the Language section, each missing one the locale's.
    static NameTables fromSettings(const Settings &settings);

    // The tables in use for the whole program, and replacing them.
    static const NameTables &current();
    static void install(const NameTables &tables);
};
