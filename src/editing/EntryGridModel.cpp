#include "EntryGridModel.h"

#include "editing/EntryList.h"

#include <QTime>

EntryGridModel::EntryGridModel(EntryList &entries, QObject *parent) : QAbstractTableModel(parent), m_entries(entries) {}

int EntryGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    const bool inserting = m_entries.rows().state() == TableHandle::State::Insert;
    return m_entries.count() + (inserting ? 1 : 0);
}

int EntryGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant EntryGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const QString field = index.column() == 0 ? QStringLiteral("eDate") : QStringLiteral("eTime");
    TableHandle &rows = m_entries.rows();
    if (index.row() >= rows.recordCount())
        return rows.value(field);
    return rows.valueAt(index.row(), field);
}

QVariant EntryGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return section == 0 ? QStringLiteral("Date") : QStringLiteral("Time");
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags EntryGridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == 1)
        f |= Qt::ItemIsEditable;
    return f;
}

bool EntryGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.column() != 1)
        return false;
    const QString typed = value.toString().trimmed();
    QTime time = QTime::fromString(typed, QStringLiteral("H:mm:ss"));
    if (!time.isValid())
        time = QTime::fromString(typed, QStringLiteral("H:mm"));
    if (!time.isValid()) {
        Q_EMIT refused(QStringLiteral("\"%1\" is no time of day: type the hours (0 to 23), minutes and seconds, for "
                                      "example 09:30:00. The entry keeps its time.")
                           .arg(typed));
        return false;
    }
    if (index.row() < m_entries.count())
        m_entries.select(index.row());
    m_entries.rows().setValue(QStringLiteral("eTime"), time.toString(QStringLiteral("HH:mm:ss")));
    Q_EMIT dataChanged(index, index);
    return true;
}

void EntryGridModel::reload()
{
    beginResetModel();
    endResetModel();
}
