#pragma once

#include "engine/TableHandle.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

// Fills a drop-down with the kinds of site, under the names every dialog
// shows, each with its SiteKind (as an int) for data.
void addSiteKinds(QComboBox *box);

// The six buttons that walk and edit the rows of one table: Previous, Next,
// Add, Delete, Edit and Save, each with its hint.
class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { Prior, Next, Add, Delete, Edit, Save };
    // hints: the six hints in button order.
    explicit RecordNavigator(const QStringList &hints, QWidget *parent = nullptr);
    QToolButton *button(Button which) const { return m_buttons[which]; }

Q_SIGNALS:
    void clicked(RecordNavigator::Button which);

private:
    QToolButton *m_buttons[6];
};

// Ties controls to the fields of a table's current row: show() fills them,
// and a change the user makes goes into the row, which starts editing it.
// Text boxes take no more characters than their field holds, and the check
// boxes' fields are stored False when left untouched. The binder owns the
// table's beforePost hook.
class FieldBinder {
public:
    // Every change runs through guard, which reports a refused value.
    FieldBinder(TableHandle &table, std::function<void(const std::function<void()> &)> guard);

    void text(QLineEdit *edit, const QString &field);
    void integer(QLineEdit *edit, const QString &field);
    void memo(QPlainTextEdit *edit, const QString &field);
    void check(QCheckBox *box, const QString &field);
    // An editable drop-down whose text is the value.
    void comboText(QComboBox *combo, const QString &field);
    // A drop-down of names whose item data, an ID, is the value.
    void lookup(QComboBox *combo, const QString &field);
    // Runs before every store of the row; a WrenError it throws refuses the
    // store and leaves the row as typed.
    void validate(std::function<void()> check) { m_validators.push_back(std::move(check)); }

    void show();

private:
    void change(const QString &field, const QVariant &value);
    // Caps a text box at its field's length.
    void limit(QLineEdit *edit, const QString &field);

    TableHandle &m_table;
    std::function<void(const std::function<void()> &)> m_guard;
    std::vector<std::function<void()>> m_fill;
    QStringList m_checks;
    std::vector<std::function<void()>> m_validators;
    bool m_showing = false;
};
