#pragma once

#include "base/LogSink.h"
#include "data/JournalSettings.h"
#include "data/UploadRow.h"

class Settings;

// The option values publishing reads.
struct PublishOptions {
    int days = 7;              // days of entries on the current page
    bool historyDays = true;   // true: "absolute" calendar days; false: days with posts
    bool autoinsertTag = true; // line breaks of entries become paragraphs
    bool randomCookies = false;
    // A publish rebuilds every archive page whose content changed, instead of
    // the pages of the periods since the last publish.
    bool keepArchivesCurrent = false;

    // Days is kept as text; text that is no whole number counts as the default 7.
    static PublishOptions fromSettings(const Settings &settings);
};
