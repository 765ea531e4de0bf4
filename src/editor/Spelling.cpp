#include "Spelling.h"

#include "base/AtomicFile.h"
#include "base/WrenError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <hunspell.h>
#include <mythes.hxx>

namespace {

// Letters, digits, apostrophes, and the combining marks of a decomposed
// accent (e followed by U+0301), which belong to the letter before them.
bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c.isMark() || c == u'\'' || c == QChar(0x2019);
}

// The element name right after a "<" at i: letters and digits only.
QString tagName(const QString &line, qsizetype i)
{
    qsizetype j = i + 1;
    while (j < line.size() && j - i <= 12 && line[j].isLetterOrNumber())
        ++j;
    return line.mid(i + 1, j - i - 1).toLower();
}

// Position just after the first occurrence of needle (any case) from `from`, or -1.
qsizetype endOf(const QString &line, const QString &needle, qsizetype from)
{
    const qsizetype at = line.indexOf(needle, from, Qt::CaseInsensitive);
    return at < 0 ? -1 : at + needle.size();
}

// The thesaurus writes a relation after the word: "fast (similar term)".
Thesaurus::Synonym splitSynonym(const QString &text)
{
    const qsizetype open = text.lastIndexOf(QLatin1String(" ("));
    if (open > 0 && text.endsWith(u')'))
        return {text.left(open).trimmed(), text.mid(open + 2, text.size() - open - 3).trimmed()};
    return {text.trimmed(), QString()};
}

} // namespace

std::vector<WordSpan> VisibleWords(const QString &line, HtmlTextState &state)
{
    std::vector<WordSpan> words;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        switch (state) {
        case HtmlTextState::Comment: {
            const qsizetype end = endOf(line, QStringLiteral("-->"), i);
            if (end < 0)
                return words;
            i = end;
            state = HtmlTextState::Text;
            break;
        }
        case HtmlTextState::Script:
        case HtmlTextState::Style: {
            const QString close =
                state == HtmlTextState::Script ? QStringLiteral("</script") : QStringLiteral("</style");
            const qsizetype at = line.indexOf(close, i, Qt::CaseInsensitive);
            if (at < 0)
                return words;
            i = at;
            state = HtmlTextState::Text;
            break;
        }
        case HtmlTextState::Tag: {
            // Inside a tag: quoted values may hold ">".
            QChar quote;
            while (i < n) {
                const QChar c = line[i++];
                if (!quote.isNull()) {
                    if (c == quote)
                        quote = QChar();
                } else if (c == u'"' || c == u'\'') {
                    quote = c;
                } else if (c == u'>') {
                    state = HtmlTextState::Text;
                    break;
                }
            }
            break;
        }
        case HtmlTextState::Text: {
            const QChar c = line[i];
            if (c == u'<') {
                if (line.mid(i, 4) == QLatin1String("<!--")) {
                    state = HtmlTextState::Comment;
                    i += 4;
                } else {
                    // Names are matched whole: <stylex> and <scripts> hold words a reader sees.
                    const QString name = tagName(line, i);
                    const bool script = name == QLatin1String("script");
                    const bool style = name == QLatin1String("style");
                    state = HtmlTextState::Tag;
                    ++i;
                    // Skip the tag, then the element's body for script and style.
                    while (i < n && state == HtmlTextState::Tag) {
                        QChar quote;
                        while (i < n) {
                            const QChar t = line[i++];
                            if (!quote.isNull()) {
                                if (t == quote)
                                    quote = QChar();
                            } else if (t == u'"' || t == u'\'') {
                                quote = t;
                            } else if (t == u'>') {
                                state = HtmlTextState::Text;
                                break;
                            }
                        }
                    }
                    if (state == HtmlTextState::Text && (script || style))
                        state = script ? HtmlTextState::Script : HtmlTextState::Style;
                }
            } else if (c == u'&') {
                qsizetype j = i + 1;
                while (j < n && j - i <= 10 && (line[j].isLetterOrNumber() || line[j] == u'#'))
                    ++j;
                i = (j < n && line[j] == u';') ? j + 1 : i + 1;
            } else if (isWordChar(c) && !c.isMark() && c != u'\'' && c != QChar(0x2019)) {
                qsizetype j = i;
                while (j < n && isWordChar(line[j]))
                    ++j;
                qsizetype end = j;
                while (end > i && (line[end - 1] == u'\'' || line[end - 1] == QChar(0x2019)))
                    --end;
                words.push_back({static_cast<int>(i), static_cast<int>(end - i)});
                i = j;
            } else {
                ++i;
            }
            break;
        }
        }
    }
    return words;
}

std::vector<WordSpan> PlainWords(QStringView line, qsizetype from, qsizetype to)
{
    std::vector<WordSpan> words;
    qsizetype i = from;
    while (i < to) {
        const QChar c = line[i];
        if (!isWordChar(c) || c.isMark() || c == u'\'' || c == QChar(0x2019)) {
            ++i;
            continue;
        }
        qsizetype j = i;
        while (j < to && isWordChar(line[j]))
            ++j;
        qsizetype end = j;
        while (end > i && (line[end - 1] == u'\'' || line[end - 1] == QChar(0x2019)))
            --end;
        words.push_back({static_cast<int>(i), static_cast<int>(end - i)});
        i = j;
    }
    return words;
}

QStringList InstalledDictionaries(const QString &directory)
{
    QStringList languages;
    for (const QFileInfo &aff : QDir(directory).entryInfoList({QStringLiteral("*.aff")}, QDir::Files, QDir::Name)) {
        if (QFileInfo::exists(aff.absolutePath() + u'/' + aff.completeBaseName() + QStringLiteral(".dic")))
            languages << aff.completeBaseName();
    }
    return languages;
}

SpellChecker::SpellChecker(const Options &options, const QString &personalFile, const QString &directory)
    : m_options(options), m_personalFile(personalFile)
{
    const QString base = QDir(directory).filePath(options.language);
    if (QFileInfo::exists(base + QStringLiteral(".aff")) && QFileInfo::exists(base + QStringLiteral(".dic")))
        m_handle = Hunspell_create(QFile::encodeName(base + QStringLiteral(".aff")).constData(),
                                   QFile::encodeName(base + QStringLiteral(".dic")).constData());
    QFile file(personalFile);
    if (file.open(QIODevice::ReadOnly)) {
        for (const QString &word : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            const QString w = word.trimmed();
            if (!w.isEmpty() && !m_personal.contains(w))
                m_personal << w;
        }
    }
    for (const QString &w : std::as_const(m_personal))
        if (m_handle)
            Hunspell_add(m_handle, w.toUtf8().constData());
}

SpellChecker::~SpellChecker()
{
    if (m_handle)
        Hunspell_destroy(m_handle);
}

bool SpellChecker::isCorrect(const QString &word) const
{
    if (!m_handle || word.isEmpty())
        return true;
    if (m_options.ignoreDigits && std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); }))
        return true;
    if (m_options.ignoreCapitals && word.size() > 1 && word == word.toUpper() && word != word.toLower())
        return true;
    // Dictionaries and word lists hold composed letters: e + U+0301 is looked up as U+00E9.
    QString plain = word.normalized(QString::NormalizationForm_C);
    if (m_ignored.contains(plain) || m_personal.contains(plain) || m_ignored.contains(word) ||
        m_personal.contains(word))
        return true;
    plain.replace(QChar(0x2019), u'\'');
    return Hunspell_spell(m_handle, plain.toUtf8().constData()) != 0;
}

QStringList SpellChecker::suggestions(const QString &word) const
{
    QStringList out;
    if (!m_handle)
        return out;
    char **list = nullptr;
    const int count = Hunspell_suggest(m_handle, &list, word.toUtf8().constData());
    for (int i = 0; i < count; ++i)
        out << QString::fromUtf8(list[i]);
    Hunspell_free_list(m_handle, &list, count);
    return out;
}

QStringList SpellChecker::stems(const QString &word) const
{
    QStringList out;
    if (!m_handle)
        return out;
    char **list = nullptr;
    const int count = Hunspell_stem(m_handle, &list, word.toUtf8().constData());
    for (int i = 0; i < count; ++i)
        out << QString::fromUtf8(list[i]);
    Hunspell_free_list(m_handle, &list, count);
    return out;
}

void SpellChecker::ignore(const QString &word)
{
    if (!m_ignored.contains(word))
        m_ignored << word;
}

void SpellChecker::savePersonal() const
{
    AtomicFile::write(m_personalFile, m_personal.join(u'\n').toUtf8() + '\n');
}

void SpellChecker::addToPersonal(const QString &word)
{
    if (word.isEmpty() || m_personal.contains(word))
        return;
    m_personal << word;
    if (m_handle)
        Hunspell_add(m_handle, word.toUtf8().constData());
    savePersonal();
}

void SpellChecker::setPersonalWords(const QStringList &words)
{
    for (const QString &w : std::as_const(m_personal))
        if (m_handle && !words.contains(w))
            Hunspell_remove(m_handle, w.toUtf8().constData());
    m_personal.clear();
    for (const QString &w : words) {
        if (!w.trimmed().isEmpty() && !m_personal.contains(w.trimmed()))
            m_personal << w.trimmed();
    }
    for (const QString &w : std::as_const(m_personal))
        if (m_handle)
            Hunspell_add(m_handle, w.toUtf8().constData());
    savePersonal();
}

Thesaurus::Thesaurus(const QString &language, const QString &directory)
{
    const QString base = QDir(directory).filePath(QStringLiteral("th_") + language + QStringLiteral("_v2"));
    if (QFileInfo::exists(base + QStringLiteral(".idx")) && QFileInfo::exists(base + QStringLiteral(".dat")))
        m_thes = std::make_unique<MyThes>(QFile::encodeName(base + QStringLiteral(".idx")).constData(),
                                          QFile::encodeName(base + QStringLiteral(".dat")).constData());
}

Thesaurus::~Thesaurus() = default;

std::vector<Thesaurus::Meaning> Thesaurus::lookup(const QString &word, const SpellChecker *stemmer) const
{
    std::vector<Meaning> meanings;
    if (!m_thes)
        return meanings;
    QStringList candidates{word.toLower()};
    if (stemmer)
        for (const QString &stem : stemmer->stems(word))
            candidates << stem.toLower();
    for (const QString &candidate : std::as_const(candidates)) {
        const QByteArray text = candidate.toUtf8();
        mentry *entries = nullptr;
        const int count = m_thes->Lookup(text.constData(), static_cast<int>(text.size()), &entries);
        for (int i = 0; i < count; ++i) {
            Meaning m;
            m.definition = QString::fromUtf8(entries[i].defn);
            for (int j = 0; j < entries[i].count; ++j)
                m.synonyms.push_back(splitSynonym(QString::fromUtf8(entries[i].psyns[j])));
            meanings.push_back(std::move(m));
        }
        if (count > 0)
            m_thes->CleanUpAfterLookup(&entries, count);
        if (!meanings.empty())
            break;
    }
    return meanings;
}
