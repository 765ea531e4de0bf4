#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class HtmlSyntaxHighlighter;
class QAction;
class QMenu;
class QPlainTextEdit;
class Settings;
class SpellChecker;
class TdlgSpellOptions;
class Thesaurus;

// Spelling for one editor: the dictionary and thesaurus chosen in the
// settings file, the live marks (under the HTML colouring of the editor), the
// menu a right click on a marked word offers, and the Spell Check, Thesaurus
// and configuration dialogs run on the editor's text. The editor and the
// settings file belong to the caller and outlive this object. Commands throw
// WrenError when a file cannot be written; the caller reports it.
class EditorSpelling : public QObject {
    Q_OBJECT
public:
    // personalFile: where the personal words are kept; log takes one line
    // for the log pane (a missing dictionary).
    EditorSpelling(QPlainTextEdit *editor, Settings &settings, QString personalFile,
                   std::function<void(const QString &)> log, QWidget *dialogParent);
    ~EditorSpelling() override;

    SpellChecker &checker() { return *m_spell; }
    HtmlSyntaxHighlighter &marks() { return *m_marks; }
    TdlgSpellOptions &optionsDialog() { return *m_dlgOptions; }

    void setLive(bool on);
    // The misspelt word drawn under a point of the editor's viewport, as
    // (start, length); length 0 when the point is on no marked word, also
    // below or beside the end of the text.
    std::pair<int, int> wordAt(const QPoint &viewportPoint) const;
    // The menu for a marked word: suggestions, Ignore, Add to dictionary and
    // the clipboard commands given (Cut, Copy, Paste). Deletes itself on close.
    QMenu *menuFor(int start, int length, const QList<QAction *> &clipboard);
    // The menu a right click at the point shows: the spelling menu on a marked
    // word, else the editor's own menu.
    void showContextMenu(const QPoint &viewportPoint, QMenu *editorMenu, const QList<QAction *> &clipboard);

    // Spell Check over the editor's text; a message when there is nothing to do.
    void spellCheck();
    // Thesaurus on the selection or the word at the caret.
    void thesaurus();
    // Spellchecker Configuration; OK writes the settings and reloads the dictionary.
    void configure();

private:
    void load();
    void rehighlightIfLive();

    QPlainTextEdit *m_editor;
    Settings &m_settings;
    QString m_personalFile;
    std::function<void(const QString &)> m_log;
    QWidget *m_dialogParent;
    std::unique_ptr<SpellChecker> m_spell;
    std::unique_ptr<Thesaurus> m_thesaurus;
    HtmlSyntaxHighlighter *m_marks = nullptr;
    TdlgSpellOptions *m_dlgOptions = nullptr;
};
