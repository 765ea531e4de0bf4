#pragma once

#include <QString>
#include <QStringList>

// Which commands the two tool bars hold, in order; "-" stands for a separator.
// Kept in "Wren.cfg" in the data directory, read at start and written at exit.
struct ToolbarLayout {
    QStringList main;
    QStringList edit;

    static ToolbarLayout defaults();
    // The layout in the file, or the defaults when the file is missing. Names
    // that are not in known are dropped; "-" is always allowed.
    static ToolbarLayout load(const QString &path, const QStringList &known);
    // Throws WrenError when the file cannot be written.
    void save(const QString &path) const;
    bool operator==(const ToolbarLayout &) const = default;
};
