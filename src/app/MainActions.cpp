#include "MainActions.h"

#include <QAction>
#include <QIcon>

namespace {

struct Command {
    const char *name;
    const char *category;
    const char *caption;
    const char *hint;
    const char *shortcut;
    const char *icon; // resource name under :/icons, or empty
};

// The command table of the main window. Every caption carries a letter for
// the Alt key, unique within each menu that shows it.
const Command kCommands[] = {
    {"actNew", "Journal", "&New Entry", "New journal entry", "Ctrl+N", "new"},
    {"actPreview", "Journal", "&Preview Entry", "Preview current entry in built-in browser", "", "preview"},
    {"actSave", "Journal", "&Save Entry", "Save changes to entry", "Ctrl+S", "save"},
    {"actDel", "Journal", "&Delete Entry", "Delete current entry", "Ctrl+D", "delete"},
    {"actNewJournal", "Journal", "New &Journal ...",
     "Create a journal with its site, templates, feed and uploads in one step", "", ""},
    {"actURL", "Insert", "&HyperLink ...", "Insert URL (CTRL+L)", "Ctrl+L", "hyperlink"},
    {"actImg", "Insert", "&Image ...", "Insert image (CTRL+M)", "Ctrl+M", "image"},
    {"actFile", "Insert", "&File Link ...", "Insert file link", "", "filelink"},
    {"actFileMan", "Insert", "&Upload Manager ...", "Manage files uploaded along with journal", "", "uploads"},
    {"actPara", "Insert", "&Paragraph", "Insert paragraph tag", "", ""},
    {"actBR", "Insert", "&Line Break", "Insert line break tag", "Ctrl+Return", ""},
    {"actAngle", "Insert", "&Angle Brackets", "Insert angle brackets", "", ""},
    {"actSpace", "Insert", "&Space", "Insert space", "", ""},
    {"actEntry", "Insert", "&Entry Link ...", "Link to a previous journal entry", "", ""},
    {"actUndo", "Edit", "&Undo", "Undo the last text change", "Ctrl+Z", ""},
    {"actUndoDelete", "Edit", "Undo &Delete", "Put the last deleted entry back (Ctrl+Z in the list of entries)", "",
     ""},
    {"actRedo", "Edit", "&Redo", "", "Ctrl+Shift+Z", ""},
    {"actCut", "Edit", "C&ut", "", "", ""},
    {"actCopy", "Edit", "&Copy", "", "", ""},
    {"actPaste", "Edit", "Pas&te", "", "", ""},
    {"actSelAll", "Edit", "Select &All", "Select all text", "Ctrl+A", ""},
    {"actBold", "Edit", "&Bold", "Display selected text bold faced", "Ctrl+B", "bold"},
    {"actItalics", "Edit", "&Italics", "Display selected text in italics", "Ctrl+I", "italics"},
    {"actFind", "Edit", "&Find ...", "Find entries with specific text ...", "Ctrl+F", ""},
    {"actLiveSpell", "Edit", "&Live Spell Checking", "", "", ""},
    {"actJournals", "Tools", "&Journal Management ...", "Manage your Wren journals", "", "journals"},
    {"actOptions", "Tools", "&Options ...", "Customize Wren", "", "options"},
    {"actPublish", "Tools", "&Publish Entries", "Publish latest entries to web site/s", "F9", "publish"},
    {"actArchive", "Tools", "Publish &Archives ...", "Publish older entries as archive files", "", ""},
    {"actSendAll", "Tools", "Send all &files", "Publish latest entries and send every page, changed or not", "", ""},
    {"actPurge", "Tools", "P&urge Entries ...", "Remove specific entries from the current journal", "", ""},
    {"actBrowse", "Tools", "Bro&wse Site", "Launch the default browser to display current journal", "", "browse"},
    {"actSpell", "Tools", "Spell Chec&k", "", "F7", ""},
    {"actThes", "Tools", "Thesau&rus", "", "Shift+F7", ""},
    {"actSpellOpt", "Tools", "Spellchecker &Configuration", "", "", ""},
    {"actCustomize", "Tools", "&Customize", "", "", ""},
    {"actRestore", "File", "Restore from &Backup ...", "Put the journals back as an earlier backup held them", "", ""},
    {"actExit", "File", "E&xit", "Exit from Wren", "Ctrl+Q", ""},
    {"actAbout", "Help", "&About", "Display information about Wren", "", ""},
    {"actReadMe", "Help", "&Read Me", "The readme file for Wren", "", ""},
};

} // namespace

MainActions::MainActions(QObject *owner)
{
    for (const Command &command : kCommands) {
        const QString name = QString::fromLatin1(command.name);
        auto *action = new QAction(QString::fromUtf8(command.caption), owner);
        action->setObjectName(name);
        action->setStatusTip(QString::fromUtf8(command.hint));
        action->setToolTip(*command.hint ? QString::fromUtf8(command.hint) : action->text().remove(u'&'));
        if (*command.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(command.shortcut)));
        if (*command.icon)
            action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(command.icon))));
        m_actions.insert(name, action);
        m_categories.insert(name, QString::fromLatin1(command.category));
        m_names << name;
    }
    m_actions.value(QStringLiteral("actLiveSpell"))->setCheckable(true);
    m_actions.value(QStringLiteral("actLiveSpell"))->setChecked(true);
}

QAction *MainActions::operator[](const QString &name) const
{
    QAction *action = m_actions.value(name);
    Q_ASSERT_X(action, "MainActions", qPrintable(name));
    return action;
}
