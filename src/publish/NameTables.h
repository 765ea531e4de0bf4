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

    QString shortDay(int n) const { return shortDays.at(n - 1); }
    QString longDay(int n) const { return longDays.at(n - 1); }
    QString shortMonth(int n) const { return shortMonths.at(n - 1); }
    QString longMonth(int n) const { return longMonths.at(n - 1); }

    // The system locale's names.
    static NameTables fromLocale();
    // The names of the Language section, each missing one the locale's.
    static NameTables fromSettings(const Settings &settings);

    // The tables in use for the whole program, and replacing them.
    static const NameTables &current();
    static void install(const NameTables &tables);
};
