#include "ArchiveIndex.h"

#include "base/ByteText.h"

#include "data/Statements.h"
#include "data/StoredValue.h"
#include "engine/Database.h"
#include "engine/RowReader.h"
#include "publish/ArchivePeriod.h"
#include "publish/FormatDate.h"
#include "publish/PageText.h"
#include "publish/PageWriter.h"

#include <algorithm>
#include <vector>

namespace {

int columnCount(const QByteArray &token)
{
    if (PageText::sameTag(token, "<$WrenArchive>"))
        return 1;
    const qsizetype eq = token.indexOf('=');
    if (eq < 0)
        return 1;
    bool ok = false;
    const int n = token.mid(eq + 1, token.size() - 1 - (eq + 1)).toInt(&ok, 10);
    return ok ? n : 1;
}

// Days in the month of d, less one: the step from a month's first day to its last.
int monthStep(const QDate &d)
{
    return d.daysInMonth() - 1;
}

QByteArray buildArchiveIndex(PublishContext &ctx, const QByteArray &extension, int n);

} // namespace

QByteArray BuildArchiveIndex(PublishContext &ctx, const QByteArray &extension, const QByteArray &token)
{
    // The table depends on nothing else: the journal and its archive settings
    // are the command's own.
    const std::pair<QByteArray, int> key(extension, columnCount(token));
    auto &built = ctx.reused.archiveIndexes;
    if (const auto found = built.find(key); found != built.end())
        return found->second;
    return built.emplace(key, buildArchiveIndex(ctx, extension, key.second)).first->second;
}

bool ArchiveIndexHoldsBlockMarker(PublishContext &ctx, const QByteArray &extension, const QByteArray &token)
{
    const std::pair<QByteArray, int> key(extension, columnCount(token));
    auto &known = ctx.reused.archiveIndexMarkers;
    if (const auto found = known.find(key); found != known.end())
        return found->second;
    const QByteArray table = BuildArchiveIndex(ctx, extension, token);
    const bool holds =
        PageText::findIgnoringCase(table, "<Wren>") >= 0 || PageText::findIgnoringCase(table, "</Wren>") >= 0;
    return known.emplace(key, holds).first->second;
}

namespace {

QByteArray buildArchiveIndex(PublishContext &ctx, const QByteArray &extension, int n)
{
    PageWriter pages(ctx);
    const std::optional<QDate> earliest = pages.FirstEntryDay();
    if (!earliest)
        return QByteArray();
    const QDate latest = pages.LastEntryDay().value_or(*earliest);
    const QString &type = ctx.journal.arcType;
    const bool weekly = ArchivePeriod::isWeekly(type);
    const QDate first = ArchivePeriod::PeriodStart(*earliest, type);
    const QDate last = ArchivePeriod::PeriodEnd(latest, type);

    std::vector<QDate> days;
    RowReader rows(ctx.db, Statements::archiveDays(ctx.journal.id, first, last, ctx.journal.arcReverse));
    while (rows.next()) {
        // A day no calendar has (stored before dates were checked) lists no period.
        const QDate day = StoredValue::day(rows.bytes(0));
        if (day.isValid())
            days.push_back(day);
    }

    QByteArray out = "<table border=\"0\" width=\"100%\">";
    int cells = 0;
    size_t row = 0; // the current row; it stays on the last one once the rows run out
    auto cell = [&](const QDate &ps, const QDate &pe) {
        if (cells == 0)
            out += "<tr>";
        QString text = FormatDate(ctx.journal.arcDtFormat, ps, ctx.names);
        if (weekly)
            text += QStringLiteral(" - ") + FormatDate(ctx.journal.arcDtFormat, pe, ctx.names);
        out += "<td><a href=\"arc" + ByteText::encode(FormatDate(QStringLiteral("yyyymmdd"), ps, ctx.names)) + '.' +
               extension + "\">" + ByteText::encode(text) + "</a></td>";
        if (++cells == n) {
            out += "</tr>";
            cells = 0;
        }
    };

    if (ctx.journal.arcReverse) {
        QDate pe = last;
        QDate ps = pe.addDays(-(weekly ? 6 : monthStep(pe)));
        while (ps >= first) {
            if (!days.empty() && days[row] >= ps) {
                while (row + 1 < days.size() && days[row] >= ps)
                    ++row;
                cell(ps, pe);
            }
            pe = ps.addDays(-1);
            ps = pe.addDays(-(weekly ? 6 : monthStep(pe)));
        }
    } else {
        QDate ps = first;
        QDate pe = ps.addDays(weekly ? 6 : monthStep(ps));
        while (ps <= last) {
            if (!days.empty() && days[row] <= pe) {
                while (row + 1 < days.size() && days[row] <= pe)
                    ++row;
                cell(ps, pe);
            }
            ps = pe.addDays(1);
            pe = ps.addDays(weekly ? 6 : monthStep(ps));
        }
    }
    out += cells != 0 ? "</tr></table>" : "</table>";
    return out;
}

} // namespace
