#include "SpellDialogs.h"

#include "editor/MarkdownScanner.h"
#include "editor/Spelling.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

TdlgSpell::TdlgSpell(QPlainTextEdit *editor, SpellChecker &checker, QWidget *parent, bool markdown)
    : QDialog(parent), m_editor(editor), m_checker(checker), m_markdown(markdown)
{
    setWindowTitle(QStringLiteral("Spell Check"));
    lblWord = new QLabel;
    QFont bold = lblWord->font();
    bold.setBold(true);
    lblWord->setFont(bold);
    edChange = new QLineEdit;
    lstSuggest = new QListWidget;
    btnChange = new QPushButton(QStringLiteral("&Change"));
    btnChangeAll = new QPushButton(QStringLiteral("Change A&ll"));
    btnIgnore = new QPushButton(QStringLiteral("&Ignore"));
    btnIgnoreAll = new QPushButton(QStringLiteral("Ignore &All"));
    btnAdd = new QPushButton(QStringLiteral("A&dd"));
    btnClose = new QPushButton(QStringLiteral("Close"));
    connect(lstSuggest, &QListWidget::currentTextChanged, edChange, &QLineEdit::setText);
    connect(lstSuggest, &QListWidget::itemDoubleClicked, this, &TdlgSpell::change);
    connect(btnChange, &QPushButton::clicked, this, &TdlgSpell::change);
    connect(btnChangeAll, &QPushButton::clicked, this, &TdlgSpell::changeAll);
    connect(btnIgnore, &QPushButton::clicked, this, &TdlgSpell::ignoreOnce);
    connect(btnIgnoreAll, &QPushButton::clicked, this, &TdlgSpell::ignoreAll);
    connect(btnAdd, &QPushButton::clicked, this, &TdlgSpell::add);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Not in dictionary:")), 0, 0);
    grid->addWidget(lblWord, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Change to:")), 1, 0);
    grid->addWidget(edChange, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Suggestions:")), 2, 0, Qt::AlignTop);
    grid->addWidget(lstSuggest, 2, 1, 6, 1);
    int row = 1;
    for (QPushButton *b : {btnChange, btnChangeAll, btnIgnore, btnIgnoreAll, btnAdd, btnClose})
        grid->addWidget(b, row++, 2);
    resize(460, 280);
}

bool TdlgSpell::findNext()
{
    QTextDocument *doc = m_editor->document();
    HtmlTextState state = HtmlTextState::Text;
    MarkdownScanner::State markdown;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        const std::vector<WordSpan> words =
            m_markdown ? MarkdownScanner::scanLine(text, markdown).words : VisibleWords(text, state);
        for (const WordSpan &w : words) {
            const int at = block.position() + w.start;
            const QString word = text.mid(w.start, w.length);
            if (at < m_from || m_checker.isCorrect(word))
                continue;
            QTextCursor cursor(doc);
            cursor.setPosition(at);
            cursor.setPosition(at + w.length, QTextCursor::KeepAnchor);
            if (const auto replacement = m_changeAll.constFind(word); replacement != m_changeAll.constEnd()) {
                cursor.insertText(*replacement);
                m_from = at + static_cast<int>(replacement->size());
                return findNext();
            }
            m_editor->setTextCursor(cursor);
            m_editor->ensureCursorVisible();
            keepWordInSight();
            m_word = word;
            m_from = at;
            lblWord->setText(word);
            lstSuggest->clear();
            lstSuggest->addItems(m_checker.suggestions(word));
            edChange->setText(lstSuggest->count() > 0 ? lstSuggest->item(0)->text() : word);
            if (lstSuggest->count() > 0)
                lstSuggest->setCurrentRow(0);
            return true;
        }
    }
    m_word.clear();
    lblWord->clear();
    lstSuggest->clear();
    edChange->clear();
    m_complete = true;
    if (isVisible())
        accept();
    return false;
}

void TdlgSpell::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    keepWordInSight();
}

void TdlgSpell::keepWordInSight()
{
    if (!isVisible())
        return;
    QTextCursor start = m_editor->textCursor();
    QTextCursor end = start;
    start.setPosition(start.selectionStart());
    end.setPosition(end.selectionEnd());
    const QRect local = m_editor->cursorRect(start).united(m_editor->cursorRect(end));
    const QRect word(m_editor->viewport()->mapToGlobal(local.topLeft()), local.size());
    const QRect frame = frameGeometry();
    // Before the window manager has framed the dialog its title bar is not
    // counted yet: leave room for one.
    const int gap = 12 + (frame.top() == geometry().top() ? style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8 : 0);
    if (!frame.intersects(word.adjusted(-gap, -gap, gap, gap)))
        return;
    const QRect room = screen() ? screen()->availableGeometry() : QRect(frame.topLeft(), frame.size() * 3);
    int top = word.bottom() + gap;
    if (top + frame.height() > room.bottom())
        top = word.top() - gap - frame.height();
    const int left = std::clamp(frame.left(), room.left(), std::max(room.left(), room.right() - frame.width()));
    move(left + (pos().x() - frame.left()), std::max(room.top(), top) + (pos().y() - frame.top()));
}

void TdlgSpell::change()
{
    if (m_word.isEmpty())
        return;
    QTextCursor cursor = m_editor->textCursor();
    const int start = cursor.selectionStart();
    cursor.insertText(edChange->text());
    m_from = start + static_cast<int>(edChange->text().size());
    findNext();
}

void TdlgSpell::changeAll()
{
    if (m_word.isEmpty())
        return;
    // This occurrence and every later one a reader sees.
    m_changeAll.insert(m_word, edChange->text());
    change();
}

void TdlgSpell::ignoreOnce()
{
    if (m_word.isEmpty())
        return;
    m_from += static_cast<int>(m_word.size());
    findNext();
}

void TdlgSpell::ignoreAll()
{
    if (m_word.isEmpty())
        return;
    m_checker.ignore(m_word);
    findNext();
}

void TdlgSpell::add()
{
    if (m_word.isEmpty())
        return;
    m_checker.addToPersonal(m_word);
    findNext();
}

TdlgThesaurus::TdlgThesaurus(const Thesaurus &thesaurus, const SpellChecker *stemmer, QWidget *parent)
    : QDialog(parent), m_thesaurus(thesaurus), m_stemmer(stemmer)
{
    setWindowTitle(QStringLiteral("Thesaurus"));
    lblWord = new QLabel;
    lstMeanings = new QListWidget;
    lstSynonyms = new QTreeWidget;
    lstSynonyms->setColumnCount(2);
    lstSynonyms->setHeaderLabels({QStringLiteral("Word"), QStringLiteral("Relation")});
    lstSynonyms->setRootIsDecorated(false);
    lstSynonyms->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstSynonyms->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstSynonyms->header()->setStretchLastSection(false);
    edReplace = new QLineEdit;
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Replace"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lstMeanings, &QListWidget::currentRowChanged, this, &TdlgThesaurus::showMeaning);
    // The word only: the relation is never part of the replacement.
    connect(lstSynonyms, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            edReplace->setText(item->text(0));
    });
    connect(lstSynonyms, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    auto *lists = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Meanings")));
    left->addWidget(lstMeanings);
    auto *right = new QVBoxLayout;
    right->addWidget(new QLabel(QStringLiteral("Synonyms")));
    right->addWidget(lstSynonyms);
    lists->addLayout(left);
    lists->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblWord);
    layout->addLayout(lists, 1);
    auto *replaceRow = new QHBoxLayout;
    replaceRow->addWidget(new QLabel(QStringLiteral("Replace with")));
    replaceRow->addWidget(edReplace, 1);
    layout->addLayout(replaceRow);
    layout->addWidget(buttons);
    resize(520, 340);
}

bool TdlgThesaurus::lookUp(const QString &word)
{
    m_meanings.clear();
    lstMeanings->clear();
    lstSynonyms->clear();
    edReplace->setText(word);
    lblWord->setText(QStringLiteral("Looked up: %1").arg(word));
    m_meanings = m_thesaurus.lookup(word, m_stemmer);
    for (const auto &m : m_meanings)
        lstMeanings->addItem(m.definition);
    if (!m_meanings.empty())
        lstMeanings->setCurrentRow(0);
    return !m_meanings.empty();
}

void TdlgThesaurus::showMeaning(int row)
{
    lstSynonyms->clear();
    if (row < 0 || row >= static_cast<int>(m_meanings.size()))
        return;
    for (const Thesaurus::Synonym &synonym : m_meanings[row].synonyms)
        lstSynonyms->addTopLevelItem(new QTreeWidgetItem({synonym.word, synonym.relation}));
}

QString TdlgThesaurus::replacement() const
{
    return edReplace->text();
}

TdlgSpellOptions::TdlgSpellOptions(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgSpellOptions"));
    setWindowTitle(QStringLiteral("Spellchecker Configuration"));
    cmbLanguage = new QComboBox;
    chkCaps = new QCheckBox(QStringLiteral("Ignore words in CAPITALS"));
    chkDigits = new QCheckBox(QStringLiteral("Ignore words with digits"));
    lstWords = new QListWidget;
    lstWords->setSelectionMode(QAbstractItemView::ExtendedSelection);
    edWord = new QLineEdit;
    btnAddWord = new QPushButton(QStringLiteral("&Add"));
    btnRemoveWord = new QPushButton(QStringLiteral("&Remove"));
    btnAddWord->setAutoDefault(false);
    edWord->installEventFilter(this);
    connect(btnAddWord, &QPushButton::clicked, this, &TdlgSpellOptions::addWord);
    connect(btnRemoveWord, &QPushButton::clicked, this, [this] { qDeleteAll(lstWords->selectedItems()); });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Dictionary")), 0, 0);
    grid->addWidget(cmbLanguage, 0, 1, 1, 2);
    grid->addWidget(chkCaps, 1, 1, 1, 2);
    grid->addWidget(chkDigits, 2, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Personal words")), 3, 0, Qt::AlignTop);
    grid->addWidget(lstWords, 3, 1, 3, 1);
    grid->addWidget(edWord, 6, 1);
    grid->addWidget(btnAddWord, 6, 2);
    grid->addWidget(btnRemoveWord, 3, 2, Qt::AlignTop);
    grid->addWidget(buttons, 7, 0, 1, 3);
    resize(420, 360);
}

void TdlgSpellOptions::addWord()
{
    const QString w = edWord->text().trimmed();
    if (!w.isEmpty() && lstWords->findItems(w, Qt::MatchExactly).isEmpty())
        lstWords->addItem(w);
    edWord->clear();
}

bool TdlgSpellOptions::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edWord && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addWord();
            return true; // the dialog's OK never sees it
        }
    }
    return QDialog::eventFilter(watched, event);
}
