#include "MarkupCommands.h"

#include "ui/Prompt.h"
#include "data/Statements.h"
#include "editing/EntryLinkDialogs.h"
#include "editing/Markup.h"
#include "editing/TdlgLink.h"
#include "publish/FormatDate.h"
#include "publish/PublishTypes.h"
#include "transfer/SiteTransfer.h"

#include <QCheckBox>
#include <QDate>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextCursor>

MarkupCommands::MarkupCommands(QPlainTextEdit *editor, Database &db, PendingLists &pending,
                               std::function<const JournalSettings &()> journal, QWidget *parent)
    : QObject(parent), m_editor(editor), m_db(db), m_pending(pending), m_journal(std::move(journal)),
      m_dlgLink(new TdlgLink(parent)), m_dlgEntries(new TdlgEntries(db, parent)), m_frmFind(new TfrmFind(parent)),
      m_frmList(new TfrmList(parent))
{
}

QString MarkupCommands::selectedText() const
{
    // The editor's selection uses U+2029 between paragraphs; entries use line breaks.
    return m_editor->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

void MarkupCommands::replaceSelection(const QString &text)
{
    QTextCursor cursor = m_editor->textCursor();
    cursor.insertText(text); // one step to undo, and the entry starts editing
    m_editor->setTextCursor(cursor);
}

void MarkupCommands::link()
{
    m_dlgLink->prepare(TdlgLink::Form::Hyperlink);
    if (m_dlgLink->exec() != QDialog::Accepted)
        return;
    const auto hyperlink = m_format == EntryFormat::Markdown ? MarkdownMarkup::Hyperlink : Markup::Hyperlink;
    replaceSelection(hyperlink(selectedText(), m_dlgLink->edName->text(), m_dlgLink->chkHttp->isChecked(),
                               m_dlgLink->chkNew->isChecked()));
}

void MarkupCommands::image()
{
    m_dlgLink->prepare(TdlgLink::Form::Image);
    if (m_dlgLink->exec() != QDialog::Accepted)
        return;
    const QString path = m_dlgLink->edName->text();
    const auto image = m_format == EntryFormat::Markdown ? MarkdownMarkup::Image : Markup::Image;
    replaceSelection(
        image(selectedText(), path, m_dlgLink->rbAuto->isChecked(), m_dlgLink->edX->text(), m_dlgLink->edY->text()));
    m_pending.images << path;
}

void MarkupCommands::file()
{
    m_dlgLink->prepare(TdlgLink::Form::File);
    if (m_dlgLink->exec() != QDialog::Accepted)
        return;
    const QString path = m_dlgLink->edName->text();
    replaceSelection(m_format == EntryFormat::Markdown ? MarkdownMarkup::FileLink(selectedText(), path)
                                                       : Markup::FileLink(selectedText(), path));
    m_pending.files << path;
}

void MarkupCommands::entry()
{
    const JournalSettings &journal = m_journal();
    m_dlgEntries->showDay(journal.id, QDate::currentDate());
    if (m_dlgEntries->exec() != QDialog::Accepted)
        return;
    if (const auto target = m_dlgEntries->selected())
        linkTo(*target);
}

void MarkupCommands::linkTo(const LinkTarget &target)
{
    const JournalSettings &journal = m_journal();
    // Nothing selected: the entry's title shows, else its date as the journal writes dates.
    const QString shown =
        !target.title.isEmpty()
            ? target.title
            : FormatDate(journal.dtFormat.isEmpty() ? QStringLiteral("ddddd") : journal.dtFormat, target.day);
    if (m_format == EntryFormat::Markdown)
        replaceSelection(MarkdownMarkup::EntryLink(selectedText(), target.id, target.day, journal.arcType,
                                                   MarkdownMarkup::Text(shown)));
    else
        replaceSelection(Markup::EntryLink(selectedText(), target.id, target.day, journal.arcType, shown));
}

void MarkupCommands::find()
{
    // Until something is found, or the user gives up: a search that finds
    // nothing says so and offers the search text again.
    for (;;) {
        if (m_frmFind->exec() != QDialog::Accepted)
            return;
        const std::optional<int> journal =
            m_frmFind->rbAll->isChecked() ? std::nullopt : std::optional<int>(m_journal().id);
        const QString text = m_frmFind->edFind->text();
        m_frmList->showResults(m_db, Statements::findEntries(journal, text, m_frmFind->chkCase->isChecked()), text);
        if (m_frmList->count() > 0)
            break;
        Prompt::inform(m_frmFind->parentWidget(),
                       journal ? QStringLiteral("No entries hold \"%1\" in %2.").arg(text, m_journal().name)
                               : QStringLiteral("No entries hold \"%1\".").arg(text));
    }
    if (m_frmList->exec() != QDialog::Accepted)
        return;
    if (const auto target = m_frmList->selected())
        linkTo(*target);
}
