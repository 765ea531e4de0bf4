#include "EntryList.h"

#include "base/WrenError.h"
#include "data/Statements.h"

#include <pwd.h>
#include <unistd.h>

EntryList::EntryList(Database &db, QObject *parent) : QObject(parent), m_db(db), m_jot(db, QStringLiteral("Journal"))
{
    m_jot.afterInsert = [this] {
        applyInsertDefaults();
        setSaveEnabled(true);
    };
    m_jot.afterEdit = [this] { setSaveEnabled(true); };
    m_jot.beforePost = [this] {
        if (m_textPending) {
            m_textPending = false;
            m_jot.setValue(QStringLiteral("Entry"), m_textSource());
        }
    };
    m_jot.afterPost = [this] {
        setSaveEnabled(false);
        Q_EMIT settled();
    };
    m_jot.afterScroll = [this] { Q_EMIT currentChanged(); };
}

void EntryList::setSaveEnabled(bool on)
{
    if (m_saveEnabled == on)
        return;
    m_saveEnabled = on;
    Q_EMIT saveEnabledChanged(on);
}

QString EntryList::loginName()
{
    if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

QString EntryList::authorFor(bool useLoginName, const QString &journalAuthor)
{
    QString author = journalAuthor;
    if (useLoginName) {
        const QString login = loginName();
        if (!login.isEmpty())
            author = login;
    }
    return author.left(30);
}

void EntryList::applyInsertDefaults()
{
    auto fillEmpty = [this](const QString &field, const QVariant &value) {
        if (m_jot.value(field).toString().isEmpty())
            m_jot.setValue(field, value);
    };
    fillEmpty(QStringLiteral("eDate"), m_day.toString(Qt::ISODate));
    fillEmpty(QStringLiteral("eTime"), QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));
    fillEmpty(QStringLiteral("Name"), m_journal.id);
    fillEmpty(QStringLiteral("Author"), authorFor(m_useLoginName, m_journal.author));
}

void EntryList::requery()
{
    m_jot.close();
    m_jot.setQuery(Statements::entryQuery(), {{QStringLiteral("Jrnl"), m_journal.id},
                                              {QStringLiteral("fDate"), m_day.toString(Qt::ISODate)},
                                              {QStringLiteral("tDate"), m_day.toString(Qt::ISODate)}});
    m_jot.open();
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
}

bool EntryList::hasPendingChange() const
{
    return m_jot.state() == TableHandle::State::Edit || m_jot.state() == TableHandle::State::Insert;
}

void EntryList::select(int row)
{
    if (row < 0 || row >= count() || row == m_jot.recNo())
        return;
    const bool stores = hasPendingChange();
    m_jot.locate(m_jot.valueAt(row, QStringLiteral("ID")).toLongLong());
    if (stores)
        Q_EMIT rowsChanged();
}

QString EntryList::title() const
{
    return m_jot.value(QStringLiteral("Title")).toString();
}

QString EntryList::text() const
{
    if (m_textPending && m_textSource)
        return m_textSource();
    return m_jot.value(QStringLiteral("Entry")).toString();
}

QString EntryList::noJournalMessage()
{
    return QStringLiteral("There is no journal yet: Journal, New Journal ... makes one.");
}

void EntryList::checkJournal() const
{
    if (m_journal.id == 0)
        throw WrenError(noJournalMessage());
}

void EntryList::setTitle(const QString &title)
{
    const bool starts = m_jot.isEmpty() && m_jot.state() != TableHandle::State::Insert;
    if (starts) {
        checkJournal();
        m_jot.insert(); // typing on a day without entries starts one
    }
    m_jot.setValue(QStringLiteral("Title"), title);
    if (starts)
        Q_EMIT rowsChanged(); // the grid shows the new entry's row at once
}

void EntryList::setText(const QString &text)
{
    m_textPending = false;
    const bool starts = m_jot.isEmpty() && m_jot.state() != TableHandle::State::Insert;
    if (starts) {
        checkJournal();
        m_jot.insert();
    }
    m_jot.setValue(QStringLiteral("Entry"), text);
    if (starts)
        Q_EMIT rowsChanged();
}

void EntryList::textEdited()
{
    if (m_textPending || !m_textSource)
        return;
    setText(m_textSource()); // the first key of an edit: the row starts editing
    m_textPending = true;
}

void EntryList::newEntry(const QTime &now)
{
    checkJournal();
    m_jot.insert();
    m_jot.setValue(QStringLiteral("eDate"), m_day.toString(Qt::ISODate));
    m_jot.setValue(QStringLiteral("eTime"), now.toString(QStringLiteral("HH:mm:ss")));
    m_jot.setValue(QStringLiteral("Name"), m_journal.id);
    m_jot.post();
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
}

void EntryList::store()
{
    if (!hasPendingChange())
        return;
    const bool inserting = m_jot.state() == TableHandle::State::Insert;
    m_jot.post();
    if (inserting)
        Q_EMIT rowsChanged();
}

void EntryList::discard()
{
    if (!hasPendingChange())
        return;
    m_textPending = false;
    m_jot.cancel();
    Q_EMIT settled();
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
}

void EntryList::deleteCurrent()
{
    if (m_jot.isEmpty())
        return;
    m_textPending = false;
    if (m_jot.state() == TableHandle::State::Insert) {
        discard(); // a new entry never stored: nothing to keep
        return;
    }
    const QSqlRecord stored = m_jot.storedRecord();
    m_jot.remove();
    m_lastDeleted = stored;
    Q_EMIT rowsChanged();
    Q_EMIT currentChanged();
}

void EntryList::undoDelete()
{
    if (!m_lastDeleted)
        return;
    m_jot.putBack(*m_lastDeleted);
    m_lastDeleted.reset();
}

void EntryList::dropIfBackToStored(const QString &shownTitle, const QString &shownText)
{
    if (m_jot.state() != TableHandle::State::Edit)
        return;
    const QSqlRecord pending = m_jot.currentRecord();
    const QSqlRecord stored = m_jot.storedRecord();
    for (int i = 0; i < pending.count(); ++i) {
        const QString field = pending.fieldName(i);
        QVariant now = pending.value(i);
        if (field == QLatin1String("Title"))
            now = shownTitle;
        else if (field == QLatin1String("Entry"))
            now = shownText;
        if (now.toString() != stored.value(field).toString())
            return;
    }
    discard();
    setSaveEnabled(false); // what shows is what is stored: nothing to save
}

void EntryList::putBack(const QDate &day, qlonglong id, const QString &title, const QString &text, const QTime &begun)
{
    setDay(day);
    requery();
    if (id == 0 || !locate(id)) {
        checkJournal();
        m_jot.insert(); // the row is gone, or never was: a new entry of that day
        if (begun.isValid())
            m_jot.setValue(QStringLiteral("eTime"), begun.toString(QStringLiteral("HH:mm:ss")));
    }
    setTitle(title);
    setText(text);
    Q_EMIT currentChanged();
}

bool EntryList::locate(qlonglong id)
{
    for (int row = 0; row < count(); ++row) {
        if (m_jot.valueAt(row, QStringLiteral("ID")).toLongLong() == id) {
            select(row);
            return true;
        }
    }
    return false;
}
