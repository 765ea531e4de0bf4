#pragma once

#include <QAbstractTableModel>

class EntryList;

// The grid of the main window over the entry list: one row per entry of the
// day, columns "Date" (read-only) and "Time" (editable as HH:MM:SS), both
// right-aligned. A new entry not stored yet shows as the last row. A time
// that is no time of day is refused with refused().
class EntryGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EntryGridModel(EntryList &entries, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    // Shows the rows of the entry list again.
    void reload();

Q_SIGNALS:
    // A time the user typed was not taken; the message says why.
    void refused(const QString &message);

private:
    EntryList &m_entries;
};
