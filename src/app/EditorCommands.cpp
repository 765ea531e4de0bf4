#include "EditorCommands.h"

#include "app/MainActions.h"
#include "editing/Markup.h"
#include "editing/MarkupCommands.h"
#include "editor/EditorSpelling.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>

#include <tuple>
#include <utility>

EditorCommands::EditorCommands(const MainActions &actions, QPlainTextEdit *entry, QTableView *grid, QMenu *editMenu,
                               Guard guard, std::function<void()> undoDelete, QObject *parent)
    : QObject(parent), m_actions(actions), m_entry(entry), m_grid(grid), m_editMenu(editMenu),
      m_guard(std::move(guard)), m_undoDelete(std::move(undoDelete))
{
    wireDialogs();
    wireMarkup();
    wireEditing();
}

void EditorCommands::attach(MarkupCommands *markup, EditorSpelling *spelling)
{
    m_markup = markup;
    m_spelling = spelling;
}

void EditorCommands::wireDialogs()
{
    const MainActions &a = m_actions;
    // A right click on a word that live spelling marked offers the spelling
    // menu; anywhere else the editor menu.
    connect(m_entry, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        if (m_spelling)
            m_spelling->showContextMenu(at, m_editMenu,
                                        {m_actions["actCut"], m_actions["actCopy"], m_actions["actPaste"]});
        else
            m_editMenu->exec(m_entry->viewport()->mapToGlobal(at));
    });
    const std::pair<const char *, void (MarkupCommands::*)()> markup[] = {{"actURL", &MarkupCommands::link},
                                                                          {"actImg", &MarkupCommands::image},
                                                                          {"actFile", &MarkupCommands::file},
                                                                          {"actEntry", &MarkupCommands::entry},
                                                                          {"actFind", &MarkupCommands::find}};
    for (const auto &[name, command] : markup)
        connect(a[QLatin1String(name)], &QAction::triggered, this,
                [this, command = command] { m_guard([&] { (m_markup->*command)(); }); });
    const std::pair<const char *, void (EditorSpelling::*)()> spelling[] = {
        {"actSpell", &EditorSpelling::spellCheck},
        {"actThes", &EditorSpelling::thesaurus},
        {"actSpellOpt", &EditorSpelling::configure}};
    for (const auto &[name, command] : spelling)
        connect(a[QLatin1String(name)], &QAction::triggered, this,
                [this, command = command] { m_guard([&] { (m_spelling->*command)(); }); });
    connect(a["actLiveSpell"], &QAction::toggled, this, [this](bool live) {
        if (m_spelling)
            m_spelling->setLive(live);
    });
}

void EditorCommands::wireMarkup()
{
    // The simple markup commands: one replacement of the selection each.
    // A Markdown journal gets the Markdown forms.
    using Compose = QString (*)(const QString &);
    const std::tuple<const char *, Compose, Compose> simple[] = {
        {"actPara", Markup::Paragraph, MarkdownMarkup::Paragraph},
        {"actBR", Markup::LineBreak, MarkdownMarkup::LineBreak},
        {"actAngle", Markup::AngleBrackets, Markup::AngleBrackets},
        {"actSpace", Markup::Space, Markup::Space},
        {"actBold", Markup::Bold, MarkdownMarkup::Bold},
        {"actItalics", Markup::Italics, MarkdownMarkup::Italics}};
    for (const auto &[name, html, markdown] : simple) {
        connect(m_actions[QLatin1String(name)], &QAction::triggered, this, [this, html = html, markdown = markdown] {
            const bool inMarkdown = m_markup && m_markup->entryFormat() == EntryFormat::Markdown;
            const QString text = (inMarkdown ? markdown : html)(m_markup->selectedText());
            m_guard([&] { m_markup->replaceSelection(text); });
        });
    }
}

void EditorCommands::wireEditing()
{
    const MainActions &a = m_actions;
    // Ctrl+Z in the list of entries brings the last deleted entry back; elsewhere it undoes typing.
    connect(a["actUndo"], &QAction::triggered, this, [this] {
        if (m_grid->hasFocus())
            m_undoDelete();
        else
            m_entry->undo();
    });
    connect(a["actRedo"], &QAction::triggered, m_entry, &QPlainTextEdit::redo);
    connect(a["actCut"], &QAction::triggered, m_entry, &QPlainTextEdit::cut);
    connect(a["actCopy"], &QAction::triggered, m_entry, &QPlainTextEdit::copy);
    connect(a["actPaste"], &QAction::triggered, m_entry, &QPlainTextEdit::paste);
    connect(a["actSelAll"], &QAction::triggered, m_entry, &QPlainTextEdit::selectAll);
}
