#include "gui/pocket/qt_messenger_dialogs.h"

#include "gui/pocket/pocket_scaling.h"
#include "gui/qt_string.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui::handheld {

namespace {

    constexpr int kBroadcastChars = 500;
    constexpr int kDialogWidth = 240;

    QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
    {
        auto* row = new QHBoxLayout;
        row->addStretch();
        for (auto* button : buttons)
            row->addWidget(button);
        return row;
    }

} // namespace

QtTextEntryDialog::QtTextEntryDialog(
    const std::string& caption, const std::string& label, const std::string& prefill, bool digitsOnly, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("textEntryDialog"));
    setWindowTitle(toQString(caption));
    setMinimumWidth(kDialogWidth);
    m_label = new QLabel(toQString(label), this);
    m_label->setWordWrap(true);
    m_entry = new QLineEdit(toQString(prefill), this);
    if (digitsOnly)
        m_entry->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_entry));
    m_ok = new QPushButton(QStringLiteral("확인"), this);
    auto* cancel = new QPushButton(QStringLiteral("취소"), this);
    m_ok->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_entry);
    layout->addLayout(buttonRow({ m_ok, cancel }));
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::optional<std::string> QtTextEntryDialog::ask(QWidget* parent, const std::string& caption,
    const std::string& label, const std::string& prefill, bool digitsOnly)
{
    QtTextEntryDialog dialog(caption, label, prefill, digitsOnly, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return toUtf8(dialog.entry()->text());
}

QtContactInfoDialog::QtContactInfoDialog(
    const std::string& caption, const std::string& heading, const std::vector<Line>& lines, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("contactInfoDialog"));
    setWindowTitle(toQString(caption));
    setMinimumWidth(kDialogWidth);
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(toQString(heading), this);
    name->setObjectName(QStringLiteral("heading"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name);
    auto* form = new QFormLayout;
    for (const auto& line : lines) {
        auto* value = new QLabel(toQString(line.value), this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(toQString(line.label), value);
    }
    layout->addLayout(form);
    auto* ok = new QPushButton(QStringLiteral("확인"), this);
    layout->addLayout(buttonRow({ ok }));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void QtContactInfoDialog::present(
    QWidget* parent, const std::string& caption, const std::string& heading, const std::vector<Line>& lines)
{
    QtContactInfoDialog dialog(caption, heading, lines, parent);
    dialog.exec();
}

QtContactChooser::QtContactChooser(const std::string& caption, const std::vector<Entry>& entries, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("contactChooser"));
    setWindowTitle(toQString(caption));
    sizeAsDeviceWindow(*this);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    auto* online = new QTreeWidgetItem(m_tree, { QStringLiteral("온라인 사용자") });
    auto* offline = new QTreeWidgetItem(m_tree, { QStringLiteral("오프라인 사용자") });
    for (const auto& entry : entries) {
        auto* item = new QTreeWidgetItem(entry.online ? online : offline, { toQString(entry.text) });
        item->setIcon(0, entry.icon);
        item->setData(0, Qt::UserRole, toQString(entry.id));
    }
    m_tree->expandAll();
    m_choose = new QPushButton(QStringLiteral("선택"), this);
    m_cancel = new QPushButton(QStringLiteral("취소"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addLayout(buttonRow({ m_choose, m_cancel }));
    connect(m_choose, &QPushButton::clicked, this, [this] {
        if (!chosenId().empty())
            accept();
    });
    connect(m_tree, &QTreeWidget::itemDoubleClicked, m_choose, &QPushButton::click);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

std::string QtContactChooser::chosenId() const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? toUtf8(item->data(0, Qt::UserRole).toString()) : std::string();
}

std::optional<std::string> QtContactChooser::choose(
    QWidget* parent, const std::string& caption, const std::vector<Entry>& entries)
{
    QtContactChooser dialog(caption, entries, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosenId();
}

QtBroadcastDialog::QtBroadcastDialog(const std::vector<Contact>& contacts, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("broadcastDialog"));
    setWindowTitle(QStringLiteral("ICQ - 동보메세지"));
    sizeAsDeviceWindow(*this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({ QStringLiteral("Nick"), QStringLiteral("ICQ #") });
    for (const auto& contact : contacts) {
        auto* item = new QTreeWidgetItem(m_list, { toQString(contact.nick), toQString(contact.number) });
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    m_text = new QTextEdit(this);
    m_text->setAcceptRichText(false);
    connect(m_text, &QTextEdit::textChanged, this, [this] {
        const QString text = m_text->toPlainText();
        if (text.size() > kBroadcastChars) {
            const QSignalBlocker block(m_text);
            m_text->setPlainText(text.left(kBroadcastChars));
            m_text->moveCursor(QTextCursor::End);
        }
    });
    m_send = new QPushButton(QStringLiteral("전송"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 2);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttonRow({ m_send }));
    connect(m_send, &QPushButton::clicked, this, &QDialog::accept);
}

std::vector<std::string> QtBroadcastDialog::checkedNumbers() const
{
    std::vector<std::string> numbers;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->checkState(0) == Qt::Checked)
            numbers.push_back(toUtf8(m_list->topLevelItem(i)->text(1)));
    }
    return numbers;
}

std::string QtBroadcastDialog::typedText() const
{
    return toUtf8(m_text->toPlainText());
}

} // namespace gui::handheld
