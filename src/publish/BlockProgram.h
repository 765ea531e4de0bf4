#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <map>
#include <utility>
#include <vector>

// An entry block read once into the steps that expanding it takes for every
// entry: runs of text, tags and the day header. Where the block goes on after
// the header depends only on whether the entry starts a new day, so the walk
// is a few straight runs of steps joined at the headers, made by following
// the expansion rules over the block once.
struct BlockProgram {
    enum class Tag : unsigned char {
        Text, // the block's bytes [from, from + size), or a token written as it stands
        Entry,
        Author,
        Date,
        Time,
        Id,
        Ext,
        Title,
        Link,
        EntryXml,
        TitleXml,
        ArcName,
        Utc, // picture: the format picture
    };
    struct Step {
        Tag tag;
        qsizetype from = 0, size = 0;
        QString picture;
    };
    // A run of steps; one that ends at a day header goes on with newDay for
    // an entry of a day not headed yet (after writing header) or with sameDay.
    struct Run {
        std::vector<Step> steps;
        bool endsAtHeader = false;
        std::vector<Step> header;
        int newDay = -1, sameDay = -1;
    };

    // Reads the block (the text between "<Wren>" and "</Wren>") into runs.
    explicit BlockProgram(const QByteArray &text);

    QByteArray block;
    std::vector<Run> runs; // runs[0] starts the block

private:
    std::map<qsizetype, int> m_runAt;
    std::vector<std::pair<qsizetype, int>> m_pending; // where a run starts, and its index
    // Where each marker occurs in the block, found once: the patterns cannot
    // overlap themselves, so the first one at or after a place is the first
    // a search from there would find, and reading the block stays linear in
    // its length however many tags it holds.
    std::vector<qsizetype> m_headers, m_headerEnds, m_tags;

    std::vector<qsizetype> positions(QByteArrayView pattern) const;
    static qsizetype next(const std::vector<qsizetype> &at, qsizetype r);
    // The step for a token (an entry tag, or the token itself), as the
    // block and the day header read tokens.
    Step tokenStep(qsizetype from, qsizetype size) const;
    static void text(std::vector<Step> &steps, qsizetype from, qsizetype size);
    // The index of the run that starts at r; a new one is made later.
    int runAt(qsizetype r);
    void build(qsizetype r, int index);
    // The steps of a day header whose opening marker ends before r, into
    // steps; returns where the block goes on after it.
    qsizetype header(std::vector<Step> &steps, qsizetype r) const;
};
