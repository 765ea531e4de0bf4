#include "PageWriter.h"

#include "data/Statements.h"
#include "base/WrenError.h"
#include "engine/Database.h"
#include "publish/ArchiveIndex.h"
#include "publish/ArchivePeriod.h"
#include "publish/Cookies.h"
#include "publish/FormatDate.h"
#include "publish/PageText.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>

namespace {

const QString kStoredDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

// One entry row of the page, its fields as page bytes.
struct EntryRow {
    QDate day;
    QByteArray id, author, title, entry, date, time, link;
};

// Writes the expanded entry block for each entry of a page.
class BlockWriter {
public:
    BlockWriter(PublishContext &ctx, const PageRequest &page, QIODevice &out) : m_ctx(ctx), m_page(page), m_out(out) {}

    void write(const QByteArray &block, const EntryRow &e)
    {
        qsizetype r = 0;
        while (r < block.size()) {
            qsizetype p = PageText::findIgnoringCase(block, "<WrenHeader>", r);
            if (p < 0)
                p = PageText::findIgnoringCase(block, "<$Wren", r);
            const qsizetype gt = p == r ? block.indexOf('>', r) : -1;
            if (p == r && gt >= 0) {
                const QByteArray token = block.mid(r, gt + 1 - r);
                r = gt + 1;
                if (PageText::sameTag(token, "<WrenHeader>"))
                    r = dayHeader(block, r, e);
                else if (PageText::sameTag(token, "<$WrenEntry>"))
                    writeEntryText(e);
                else
                    m_out.write(entryTag(token, e, token));
            } else if (p > r) {
                m_out.write(block.constData() + r, p - r);
                r = p;
            } else {
                m_out.write(block.constData() + r, block.size() - r);
                r = block.size();
            }
        }
    }

private:
    void writeEntryText(const EntryRow &e)
    {
        m_out.write("<a name=\"WrenID" + e.id + "\"></a>");
        m_out.write(PageText::ReplaceExtTag(PageText::InsertParagraphs(e.entry, m_ctx.options.autoinsertTag),
                                            m_page.upload.arcExt.toUtf8()));
    }

    // The value of an entry tag, or fallback when the token is none.
    QByteArray entryTag(const QByteArray &token, const EntryRow &e, const QByteArray &fallback) const
    {
        using PageText::sameTag;
        if (sameTag(token, "<$WrenAuthor>"))
            return e.author;
        if (sameTag(token, "<$WrenDate>"))
            return e.date;
        if (sameTag(token, "<$WrenTime>"))
            return e.time;
        if (sameTag(token, "<$WrenID>"))
            return e.id;
        if (sameTag(token, "<$WrenExt>"))
            return m_page.upload.arcExt.toUtf8();
        if (sameTag(token, "<$WrenTitle>"))
            return e.title;
        if (sameTag(token, "<$WrenLink>"))
            return e.link;
        return fallback;
    }

    // Handles the day header whose opening marker ends before r; returns where
    // the block goes on.
    qsizetype dayHeader(const QByteArray &block, qsizetype r, const EntryRow &e)
    {
        if (m_lastHeaderDay.isValid() && e.day == m_lastHeaderDay) {
            const qsizetype end = PageText::findIgnoringCase(block, "</WrenHeader>", r);
            // Without an end marker the header runs to the end of the block.
            return end < 0 ? block.size() : end + 13;
        }
        m_lastHeaderDay = e.day;
        QByteArray header;
        while (r < block.size()) {
            const qsizetype q = block.indexOf('<', r);
            if (q < 0)
                break; // the rest holds no "<": the block writes it as plain text
            if (q > r) {
                header += QByteArrayView(block).sliced(r, q - r);
                r = q;
                continue;
            }
            const qsizetype gt = block.indexOf('>', r);
            if (gt < 0) {
                header += QByteArrayView(block).sliced(r);
                r = block.size();
                break;
            }
            const QByteArray token = block.mid(r, gt + 1 - r);
            r = gt + 1;
            if (PageText::sameTag(token, "</WrenHeader>"))
                break;
            header += entryTag(token, e, token);
        }
        m_out.write(header);
        return r;
    }

    PublishContext &m_ctx;
    const PageRequest &m_page;
    QIODevice &m_out;
    QDate m_lastHeaderDay;
};

} // namespace

std::optional<QByteArray> PageWriter::LoadTemplate(int templateId)
{
    const auto row = m_ctx.db.firstRow(
        QStringLiteral("SELECT ID, Template, FileDir, FileMod FROM Templates WHERE ID=") + QString::number(templateId));
    if (!row)
        return std::nullopt;
    QString text = row->value(QStringLiteral("Template")).toString();
    const QString fileDir = row->value(QStringLiteral("FileDir")).toString();
    const QFileInfo file(fileDir);
    if (!fileDir.isEmpty() && file.isFile()) {
        const QString modified = file.lastModified().toString(kStoredDateTime);
        if (row->value(QStringLiteral("FileMod")).toString() != modified) {
            QFile in(fileDir);
            if (!in.open(QIODevice::ReadOnly))
                throw WrenError(QStringLiteral("Cannot read the template file %1: %2").arg(fileDir, in.errorString()));
            QByteArray bytes = in.readAll();
            const qsizetype zero = bytes.indexOf('\0');
            if (zero >= 0)
                bytes.truncate(zero);
            text = QString::fromUtf8(bytes);
            QSqlQuery store(m_ctx.db.connection());
            store.prepare(QStringLiteral("UPDATE Templates SET FileMod=?, Template=? WHERE ID=?"));
            store.addBindValue(modified);
            store.addBindValue(text);
            store.addBindValue(templateId);
            m_ctx.db.run(store);
        }
    }
    return text.toUtf8();
}

std::optional<QDate> PageWriter::FirstEntryDay() const
{
    const auto row = m_ctx.db.firstRow(Statements::earliestEntryDay(m_ctx.journal.id));
    if (!row)
        return std::nullopt;
    return QDate::fromString(row->value(0).toString(), Qt::ISODate);
}

std::optional<QDate> PageWriter::LastEntryDay() const
{
    const auto row = m_ctx.db.firstRow(Statements::latestEntryDayForArchives(m_ctx.journal.id));
    if (!row)
        return std::nullopt;
    return QDate::fromString(row->value(0).toString(), Qt::ISODate);
}

QByteArray PageWriter::archivePrev(const PageRequest &page)
{
    const std::optional<QDate> first = FirstEntryDay();
    const QDate before = page.firstDay.addDays(-1);
    const QDate p = page.archiveMode ? before : ArchivePeriod::PeriodStart(before, m_ctx.journal.arcType);
    if (first && p >= *first)
        return (ArchivePeriod::ArchiveName(p, m_ctx.journal.arcType) + u'.' + page.upload.arcExt).toUtf8();
    return page.upload.logFile.toUtf8();
}

QByteArray PageWriter::archiveNext(const PageRequest &page)
{
    const std::optional<QDate> last = LastEntryDay();
    const QDate q = ArchivePeriod::PeriodEnd(page.lastDay.addDays(1), m_ctx.journal.arcType);
    if (last && q <= *last)
        return (ArchivePeriod::ArchiveName(q, m_ctx.journal.arcType) + u'.' + page.upload.arcExt).toUtf8();
    return page.upload.logFile.toUtf8();
}

QByteArray PageWriter::ExpandGlobalTags(const QByteArray &text, const PageRequest &page)
{
    QByteArray t = text;
    auto replaceFirst = [&t](const QByteArray &pattern, const std::function<QByteArray(const QByteArray &)> &value) {
        const qsizetype at = PageText::findIgnoringCase(t, pattern);
        if (at < 0)
            return;
        const qsizetype gt = t.indexOf('>', at);
        if (gt < 0)
            return;
        const QByteArray token = t.mid(at, gt + 1 - at);
        t.replace(at, token.size(), value(token));
    };
    const QDateTime now = m_ctx.clock.now();
    replaceFirst("<$WrenArchivePrev>", [&](const QByteArray &) { return archivePrev(page); });
    replaceFirst("<$WrenArchiveNext>", [&](const QByteArray &) { return archiveNext(page); });
    replaceFirst("<$WrenCookie>", [&](const QByteArray &) {
        return PickCookie(m_ctx.db, m_ctx.settings, m_ctx.options.randomCookies).toUtf8();
    });
    replaceFirst("<$WrenSysDate>", [&](const QByteArray &) {
        return FormatDate(m_ctx.journal.dtFormat, now.date(), m_ctx.names).toUtf8();
    });
    replaceFirst("<$WrenSysTime>", [&](const QByteArray &) {
        return FormatDate(m_ctx.journal.tmFormat, timeOnlyDay(), now.time(), m_ctx.names).toUtf8();
    });
    replaceFirst("<$WrenArchive",
                 [&](const QByteArray &token) { return BuildArchiveIndex(m_ctx, page.upload.arcExt.toUtf8(), token); });
    return t;
}

bool PageWriter::WritePage(const QByteArray &templateText, const PageRequest &page, QIODevice &out)
{
    const QByteArray t = ExpandGlobalTags(templateText, page);
    const qsizetype b = PageText::findIgnoringCase(t, "<Wren>");
    const qsizetype e = PageText::findIgnoringCase(t, "</Wren>");
    if (b < 0 || e < b + 6) {
        out.write(t);
        return false;
    }
    out.write(t.constData(), b);
    const QByteArray block = t.mid(b + 6, e - (b + 6));

    const JournalSettings &j = m_ctx.journal;
    QSqlQuery rows = m_ctx.db.run(Statements::pageEntries(page.firstDay, page.lastDay, j.id, j.reverse));
    const QSqlRecord fields = rows.record();
    const int fId = fields.indexOf(QStringLiteral("ID")), fDate = fields.indexOf(QStringLiteral("eDate")),
              fTime = fields.indexOf(QStringLiteral("eTime")), fEntry = fields.indexOf(QStringLiteral("Entry")),
              fAuthor = fields.indexOf(QStringLiteral("Author")), fTitle = fields.indexOf(QStringLiteral("Title"));
    const QByteArray ext = page.upload.arcExt.toUtf8();
    BlockWriter writer(m_ctx, page, out);
    while (rows.next()) {
        EntryRow row;
        row.day = QDate::fromString(rows.value(fDate).toString(), Qt::ISODate);
        const QTime time = QTime::fromString(rows.value(fTime).toString(), Qt::ISODate);
        row.id = rows.value(fId).toString().toUtf8();
        row.author = rows.value(fAuthor).toString().toUtf8();
        row.title = rows.value(fTitle).toString().toUtf8();
        row.entry = rows.value(fEntry).toString().toUtf8();
        row.date = FormatDate(j.dtFormat, row.day, m_ctx.names).toUtf8();
        row.time = FormatDate(j.tmFormat, timeOnlyDay(), time, m_ctx.names).toUtf8();
        row.link = ArchivePeriod::ArchiveName(row.day, j.arcType).toUtf8() + '.' + ext + "#WrenID" + row.id;
        writer.write(block, row);
    }
    out.write(t.constData() + e + 7, t.size() - (e + 7));
    return true;
}
