#include "EditorSpelling.h"

#include "base/Settings.h"
#include "ui/Prompt.h"
#include "base/WrenError.h"
#include "editor/HtmlSyntaxHighlighter.h"
#include "editor/SpellDialogs.h"
#include "editor/Spelling.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>

EditorSpelling::EditorSpelling(QPlainTextEdit *editor, Settings &settings, QString personalFile,
                               std::function<void(const QString &)> log, QWidget *dialogParent)
    : QObject(editor), m_editor(editor), m_settings(settings), m_personalFile(std::move(personalFile)),
      m_log(std::move(log)), m_dialogParent(dialogParent)
{
    load();
    m_marks = new HtmlSyntaxHighlighter(editor->document());
    m_marks->setSpellChecker(m_spell.get());
    m_dlgOptions = new TdlgSpellOptions(dialogParent);
}

EditorSpelling::~EditorSpelling() = default;

void EditorSpelling::load()
{
    SpellChecker::Options options;
    const QStringList installed = InstalledDictionaries();
    const bool english = installed.contains(QStringLiteral("en_US")) || installed.isEmpty();
    options.language = english ? m_settings.value(Setting::SpellLanguage)
                               : m_settings.value(Setting::SpellLanguage, installed.first());
    options.ignoreCapitals = m_settings.value(Setting::IgnoreCapitals);
    options.ignoreDigits = m_settings.value(Setting::IgnoreDigits);
    // Words ignored in this run stay ignored when the dictionary is loaded again.
    const QStringList ignored = m_spell ? m_spell->ignoredWords() : QStringList();
    m_spell = std::make_unique<SpellChecker>(options, m_personalFile);
    for (const QString &word : ignored)
        m_spell->ignore(word);
    if (!m_spell->isLoaded() && m_log)
        m_log(QStringLiteral("No %1 dictionary is installed: spelling is not checked").arg(options.language));
    m_thesaurus = std::make_unique<Thesaurus>(options.language);
}

void EditorSpelling::setLive(bool on)
{
    m_marks->setSpellActive(on);
}

void EditorSpelling::rehighlightIfLive()
{
    if (m_marks->spellActive())
        m_marks->rehighlight();
}

std::pair<int, int> EditorSpelling::wordAt(const QPoint &viewportPoint) const
{
    const int position = m_editor->cursorForPosition(viewportPoint).position();
    const auto [start, length] = m_marks->misspeltWordAt(position);
    if (length == 0)
        return {0, 0};
    // The nearest position may lie far from the pointer (below the last line,
    // right of a line's end): the pointer must be over the word itself.
    QTextCursor cursor(m_editor->document());
    cursor.setPosition(start);
    const QRect first = m_editor->cursorRect(cursor);
    cursor.setPosition(start + length);
    const QRect last = m_editor->cursorRect(cursor);
    const bool oneLine = first.top() == last.top();
    const bool inside = viewportPoint.y() >= first.top() && viewportPoint.y() <= last.bottom() &&
                        (!oneLine || (viewportPoint.x() >= first.left() && viewportPoint.x() <= last.right()));
    return inside ? std::pair<int, int>{start, length} : std::pair<int, int>{0, 0};
}

QMenu *EditorSpelling::menuFor(int start, int length, const QList<QAction *> &clipboard)
{
    auto *menu = new QMenu(m_dialogParent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QTextCursor word(m_editor->document());
    word.setPosition(start);
    word.setPosition(start + length, QTextCursor::KeepAnchor);
    const QString text = word.selectedText();
    const QStringList suggestions = m_spell->suggestions(text);
    for (const QString &suggestion : suggestions.mid(0, 8)) {
        QAction *a = menu->addAction(suggestion);
        QFont bold = a->font();
        bold.setBold(true);
        a->setFont(bold);
        connect(a, &QAction::triggered, this, [this, word, suggestion] {
            QTextCursor replace = word;
            replace.insertText(suggestion); // as typing: one step to undo
            m_editor->setTextCursor(replace);
        });
    }
    if (suggestions.isEmpty())
        menu->addAction(QStringLiteral("(no suggestions)"))->setEnabled(false);
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Ignore"), this, [this, text] {
        m_spell->ignore(text);
        m_marks->rehighlight();
    });
    menu->addAction(QStringLiteral("&Add to dictionary"), this, [this, text] {
        try {
            m_spell->addToPersonal(text);
        } catch (const WrenError &error) {
            Prompt::inform(m_dialogParent, error.message());
        }
        m_marks->rehighlight();
    });
    if (!clipboard.isEmpty()) {
        menu->addSeparator();
        menu->addActions(clipboard);
    }
    return menu;
}

void EditorSpelling::showContextMenu(const QPoint &viewportPoint, QMenu *editorMenu, const QList<QAction *> &clipboard)
{
    const QPoint global = m_editor->viewport()->mapToGlobal(viewportPoint);
    const auto [start, length] = wordAt(viewportPoint);
    if (length == 0)
        editorMenu->exec(global);
    else
        menuFor(start, length, clipboard)->exec(global);
}

void EditorSpelling::spellCheck()
{
    if (!m_spell->isLoaded()) {
        Prompt::inform(m_dialogParent,
                       QStringLiteral("No dictionary is installed for %1").arg(m_spell->options().language));
        return;
    }
    TdlgSpell dialog(m_editor, *m_spell, m_dialogParent, m_marks->markdown());
    if (!dialog.findNext()) {
        Prompt::inform(m_dialogParent, QStringLiteral("The spell check is complete."));
        return;
    }
    dialog.exec();
    rehighlightIfLive();
    if (dialog.complete())
        Prompt::inform(m_dialogParent, QStringLiteral("The spell check is complete."));
}

void EditorSpelling::thesaurus()
{
    QTextCursor cursor = m_editor->textCursor();
    if (!cursor.hasSelection()) {
        cursor.select(QTextCursor::WordUnderCursor);
        m_editor->setTextCursor(cursor);
    }
    const QString word = cursor.selectedText().trimmed();
    if (word.isEmpty())
        return;
    TdlgThesaurus dialog(*m_thesaurus, m_spell.get(), m_dialogParent);
    if (!dialog.lookUp(word)) {
        Prompt::inform(m_dialogParent, QStringLiteral("No synonyms found for \"%1\"").arg(word));
        return;
    }
    if (dialog.exec() == QDialog::Accepted && !dialog.replacement().isEmpty()) {
        QTextCursor replace = m_editor->textCursor();
        replace.insertText(dialog.replacement());
        m_editor->setTextCursor(replace);
    }
    rehighlightIfLive();
}

void EditorSpelling::configure()
{
    TdlgSpellOptions &d = *m_dlgOptions;
    d.cmbLanguage->clear();
    d.cmbLanguage->addItems(InstalledDictionaries());
    d.cmbLanguage->setCurrentText(m_spell->options().language);
    d.chkCaps->setChecked(m_spell->options().ignoreCapitals);
    d.chkDigits->setChecked(m_spell->options().ignoreDigits);
    d.lstWords->clear();
    d.lstWords->addItems(m_spell->personalWords());
    d.edWord->clear();
    if (d.exec() != QDialog::Accepted)
        return;
    if (!d.cmbLanguage->currentText().isEmpty())
        m_settings.setValue(Setting::SpellLanguage, d.cmbLanguage->currentText());
    m_settings.setValue(Setting::IgnoreCapitals, d.chkCaps->isChecked());
    m_settings.setValue(Setting::IgnoreDigits, d.chkDigits->isChecked());
    QStringList words;
    for (int i = 0; i < d.lstWords->count(); ++i)
        words << d.lstWords->item(i)->text();
    load();
    m_spell->setPersonalWords(words);
    m_marks->setSpellChecker(m_spell.get());
}
