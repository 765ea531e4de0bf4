#include "TdlgCustomize.h"

#include "app/MainActions.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TdlgCustomize::TdlgCustomize(const MainActions &actions, const ToolbarLayout &layout, QWidget *parent)
    : QDialog(parent), m_actions(actions), m_layout(layout), m_which(new QComboBox), m_commands(new QListWidget),
      m_bar(new QListWidget)
{
    setWindowTitle(QStringLiteral("Customize"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    m_which->addItems({QStringLiteral("Main Toolbar"), QStringLiteral("Edit Toolbar")});
    for (const QString &name : actions.names()) {
        if (name == QLatin1String("actCustomize"))
            continue;
        const QAction *action = actions[name];
        auto *item = new QListWidgetItem(action->icon(), action->text().remove(u'&') + QStringLiteral("  (") +
                                                             actions.category(name) + u')');
        item->setData(Qt::UserRole, name);
        m_commands->addItem(item);
    }
    auto *add = new QPushButton(QStringLiteral("Add >"));
    auto *remove = new QPushButton(QStringLiteral("< Remove"));
    auto *separator = new QPushButton(QStringLiteral("Separator"));
    auto *up = new QPushButton(QStringLiteral("Up"));
    auto *down = new QPushButton(QStringLiteral("Down"));
    auto *reset = new QPushButton(QStringLiteral("Reset"));
    connect(m_which, &QComboBox::currentIndexChanged, this, &TdlgCustomize::showBar);
    connect(add, &QPushButton::clicked, this, [this] {
        if (QListWidgetItem *item = m_commands->currentItem())
            addCommand(item->data(Qt::UserRole).toString());
    });
    connect(m_commands, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { addCommand(item->data(Qt::UserRole).toString()); });
    connect(separator, &QPushButton::clicked, this, [this] { addCommand(QStringLiteral("-")); });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = m_bar->currentRow();
        if (row >= 0) {
            bar().removeAt(row);
            showBar();
            m_bar->setCurrentRow(std::min(row, m_bar->count() - 1));
        }
    });
    connect(up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(down, &QPushButton::clicked, this, [this] { move(1); });
    connect(reset, &QPushButton::clicked, this, [this] {
        bar() = m_which->currentIndex() == 0 ? ToolbarLayout::defaults().main : ToolbarLayout::defaults().edit;
        showBar();
    });

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {add, remove, separator, up, down, reset})
        buttons->addWidget(b);
    buttons->addStretch();
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Commands")), 0, 0);
    grid->addWidget(m_which, 0, 2);
    grid->addWidget(m_commands, 1, 0);
    grid->addLayout(buttons, 1, 1);
    grid->addWidget(m_bar, 1, 2);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(grid);
    layoutBox->addWidget(box);
    showBar();
}

QStringList &TdlgCustomize::bar()
{
    return m_which->currentIndex() == 0 ? m_layout.main : m_layout.edit;
}

void TdlgCustomize::showBar()
{
    m_bar->clear();
    for (const QString &name : bar()) {
        if (name == QLatin1String("-")) {
            m_bar->addItem(QStringLiteral("|  separator"));
            continue;
        }
        const QAction *action = m_actions[name];
        m_bar->addItem(new QListWidgetItem(action->icon(), action->text().remove(u'&')));
    }
}

void TdlgCustomize::addCommand(const QString &name)
{
    const int at = m_bar->currentRow() < 0 ? static_cast<int>(bar().size()) : m_bar->currentRow() + 1;
    bar().insert(at, name);
    showBar();
    m_bar->setCurrentRow(at);
}

void TdlgCustomize::move(int by)
{
    const int row = m_bar->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= bar().size())
        return;
    bar().move(row, to);
    showBar();
    m_bar->setCurrentRow(to);
}
