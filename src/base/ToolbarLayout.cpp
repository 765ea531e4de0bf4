#include "ToolbarLayout.h"

#include "base/IniFile.h"

#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Toolbars");

QStringList readBar(const IniFile &file, const QString &key, const QStringList &fallback, const QStringList &known)
{
    if (!file.hasKey(kSection, key))
        return fallback;
    QStringList bar;
    for (const QString &name : file.readString(kSection, key, QString()).split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = name.trimmed();
        if (trimmed == QLatin1String("-") || known.contains(trimmed))
            bar << trimmed;
    }
    return bar;
}
} // namespace

ToolbarLayout ToolbarLayout::defaults()
{
    return {{"actNew", "actPreview", "actSave", "actDel", "-", "actJournals", "actOptions", "actPublish", "actBrowse"},
            {"actURL", "actImg", "actFile", "actFileMan", "-", "actBold", "actItalics"}};
}

ToolbarLayout ToolbarLayout::load(const QString &path, const QStringList &known)
{
    ToolbarLayout fallback = defaults();
    if (!QFileInfo::exists(path))
        return fallback;
    const IniFile file(path);
    return {readBar(file, QStringLiteral("MainToolbar"), fallback.main, known),
            readBar(file, QStringLiteral("EditToolbar"), fallback.edit, known)};
}

void ToolbarLayout::save(const QString &path) const
{
    IniFile file(path);
    file.writeString(kSection, QStringLiteral("MainToolbar"), main.join(u','));
    file.writeString(kSection, QStringLiteral("EditToolbar"), edit.join(u','));
}
