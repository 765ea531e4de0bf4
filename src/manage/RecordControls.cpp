#include "RecordControls.h"

#include "data/Schema.h"
#include "transfer/SiteAddress.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

RecordNavigator::RecordNavigator(const QStringList &hints, QWidget *parent) : QWidget(parent)
{
    static const char *const kTexts[] = {"", "", "Add", "Delete", "Edit", "Save"};
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    for (int i = 0; i < 6; ++i) {
        auto *b = new QToolButton;
        if (i == Prior)
            b->setArrowType(Qt::LeftArrow);
        else if (i == Next)
            b->setArrowType(Qt::RightArrow);
        else
            b->setText(QString::fromLatin1(kTexts[i]));
        b->setToolTip(hints.value(i));
        b->setStatusTip(hints.value(i));
        layout->addWidget(b);
        m_buttons[i] = b;
        connect(b, &QToolButton::clicked, this, [this, i] { Q_EMIT clicked(static_cast<Button>(i)); });
    }
    layout->addStretch(1);
}

namespace {

const Schema::Field *schemaField(const QString &table, const QString &field)
{
    for (const Schema::Field &f : Schema::table(table).fields) {
        if (f.name.compare(field, Qt::CaseInsensitive) == 0)
            return &f;
    }
    return nullptr;
}

} // namespace

FieldBinder::FieldBinder(TableHandle &table, std::function<void(const std::function<void()> &)> guard)
    : m_table(table), m_guard(std::move(guard))
{
    // A check box the user never touched still stores False, not an empty field.
    m_table.beforePost = [this] {
        for (const auto &check : m_validators)
            check();
        for (const QString &field : std::as_const(m_checks)) {
            if (m_table.value(field).isNull())
                m_table.setValue(field, false);
        }
    };
}

void FieldBinder::limit(QLineEdit *edit, const QString &field)
{
    if (const Schema::Field *f = schemaField(m_table.tableName(), field); f && f->size > 0)
        edit->setMaxLength(f->size);
}

void FieldBinder::change(const QString &field, const QVariant &value)
{
    if (m_showing)
        return;
    m_guard([&] {
        if (m_table.isEmpty() && m_table.state() != TableHandle::State::Insert)
            m_table.insert(); // typing into an empty table starts its first row
        m_table.setValue(field, value);
    });
}

void FieldBinder::text(QLineEdit *edit, const QString &field)
{
    limit(edit, field);
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this, field](const QString &t) { change(field, t); });
    m_fill.push_back([this, edit, field] { edit->setText(m_table.value(field).toString()); });
}

void FieldBinder::integer(QLineEdit *edit, const QString &field)
{
    edit->setValidator(new QIntValidator(0, 65535, edit));
    QObject::connect(edit, &QLineEdit::textEdited, edit, [this, field](const QString &t) {
        change(field, t.isEmpty() ? QVariant() : QVariant(t.toInt()));
    });
    m_fill.push_back([this, edit, field] { edit->setText(m_table.value(field).toString()); });
}

void FieldBinder::memo(QPlainTextEdit *edit, const QString &field)
{
    QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this, edit, field] {
        QString text = edit->toPlainText();
        text.replace(u'\n', QLatin1String("\r\n"));
        if (text != m_table.value(field).toString())
            change(field, text);
    });
    m_fill.push_back([this, edit, field] {
        QString text = m_table.value(field).toString();
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        edit->setPlainText(text);
    });
}

void FieldBinder::check(QCheckBox *box, const QString &field)
{
    m_checks << field;
    QObject::connect(box, &QCheckBox::clicked, box, [this, field](bool on) { change(field, on); });
    m_fill.push_back([this, box, field] { box->setChecked(m_table.value(field).toBool()); });
}

void FieldBinder::comboText(QComboBox *combo, const QString &field)
{
    if (combo->lineEdit())
        limit(combo->lineEdit(), field);
    QObject::connect(combo, &QComboBox::currentTextChanged, combo,
                     [this, field](const QString &t) { change(field, t); });
    m_fill.push_back([this, combo, field] { combo->setCurrentText(m_table.value(field).toString()); });
}

void FieldBinder::lookup(QComboBox *combo, const QString &field)
{
    QObject::connect(combo, &QComboBox::activated, combo,
                     [this, combo, field](int index) { change(field, combo->itemData(index)); });
    m_fill.push_back([this, combo, field] {
        const QVariant id = m_table.value(field);
        combo->setCurrentIndex(id.isNull() ? -1 : combo->findData(id.toInt()));
    });
}

void FieldBinder::show()
{
    m_showing = true;
    for (const auto &fill : m_fill)
        fill();
    m_showing = false;
}

void addSiteKinds(QComboBox *box)
{
    const std::pair<const char *, SiteKind> kinds[] = {{"FTP", SiteKind::Ftp},
                                                       {"FTP with TLS (explicit)", SiteKind::Ftpes},
                                                       {"FTP with TLS (implicit)", SiteKind::Ftps},
                                                       {"SFTP (SSH)", SiteKind::Sftp}};
    for (const auto &[caption, kind] : kinds)
        box->addItem(QLatin1String(caption), static_cast<int>(kind));
}
