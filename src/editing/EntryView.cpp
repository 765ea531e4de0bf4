#include "EntryView.h"

#include "ui/Prompt.h"
#include "editing/EditorText.h"
#include "editing/EntryGridModel.h"
#include "editing/EntryList.h"

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTextDocument>

EntryView::EntryView(EntryList &entries, QTableView *grid, QLineEdit *title, QPlainTextEdit *editor, Hooks hooks,
                     QObject *parent)
    : QObject(parent), m_entries(entries), m_grid(grid), m_title(title), m_editor(editor), m_hooks(std::move(hooks)),
      m_model(new EntryGridModel(entries, this))
{
    m_grid->setModel(m_model);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_showing && current.isValid())
                    m_hooks.guard([&] { m_entries.select(current.row()); });
            });
    connect(&m_entries, &EntryList::currentChanged, this, &EntryView::show);
    connect(&m_entries, &EntryList::rowsChanged, this, [this] {
        reload();
        m_hooks.rowsChanged();
    });
    connect(m_title, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_hooks.guard([&] { m_entries.setTitle(EditorText::toStored(text, m_titleLegacy, false)); });
        m_hooks.edited();
        if (!m_editor->document()->isModified())
            dropIfBackToStored();
    });
    // The editor keeps the text while it is typed; the entry takes it when stored.
    m_entries.setTextSource([this] { return EditorText::toStored(m_editor->toPlainText(), m_entryLegacy); });
    connect(m_editor, &QPlainTextEdit::textChanged, this, [this] {
        // Re-colouring signals a change too: the document's own modification
        // state tells an edit, without looking at the whole text.
        if (m_showing || !m_editor->document()->isModified())
            return;
        m_hooks.guard([&] { m_entries.textEdited(); });
        m_hooks.edited();
    });
    connect(&m_entries, &EntryList::settled, this, [this] { m_editor->document()->setModified(false); });
    // Undone back to the stored text: nothing is unsaved any more. Looked at
    // once the undo step is done, when the editor holds the text it put back.
    connect(
        m_editor->document(), &QTextDocument::modificationChanged, this,
        [this](bool modified) {
            if (!m_showing && !modified && !m_editor->document()->isModified())
                dropIfBackToStored();
        },
        Qt::QueuedConnection);
    // Told once the cell's editor has closed: a box while it commits would commit it again.
    connect(
        m_model, &EntryGridModel::refused, this,
        [this](const QString &message) { Prompt::inform(m_grid->window(), message); }, Qt::QueuedConnection);
}

void EntryView::dropIfBackToStored()
{
    m_hooks.guard([&] {
        m_entries.dropIfBackToStored(EditorText::toStored(m_title->text(), m_titleLegacy, false),
                                     EditorText::toStored(m_editor->toPlainText(), m_entryLegacy));
    });
}

void EntryView::reload()
{
    m_model->reload();
    show();
}

void EntryView::show()
{
    m_showing = true;
    const EditorText title = EditorText::fromStored(m_entries.title(), false);
    const EditorText entry = EditorText::fromStored(m_entries.text());
    m_titleLegacy = title.legacy;
    if (m_title->text() != title.shown)
        m_title->setText(title.shown);
    const bool newLegacy = entry.legacy && (!m_entryLegacy || m_legacyShownId != currentKey());
    m_entryLegacy = entry.legacy;
    if (newLegacy) {
        m_legacyShownId = currentKey();
        m_hooks.notice(
            QStringLiteral("This entry is not stored as UTF-8: it is shown as Windows-1252 and saved that way"));
    }
    // The document counts as unmodified while it shows the stored text, so that
    // undoing back to that text ends the edit. A text put back unsaved is no
    // stored text.
    const bool pending = m_entries.hasPendingChange();
    if (m_editor->toPlainText() != entry.shown) {
        m_editor->setPlainText(entry.shown);
        m_editor->document()->setModified(pending);
    } else if (!pending) {
        m_editor->document()->setModified(false);
    }
    const int row =
        m_entries.rows().state() == TableHandle::State::Insert ? m_entries.count() : m_entries.rows().recNo();
    if (row >= 0 && row < m_model->rowCount())
        m_grid->selectRow(row);
    m_showing = false;
}

qlonglong EntryView::currentKey() const
{
    TableHandle &rows = m_entries.rows();
    return rows.state() == TableHandle::State::Insert ? -2 : rows.value(QStringLiteral("ID")).toLongLong();
}
