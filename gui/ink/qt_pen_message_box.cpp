#include "gui/ink/qt_pen_message_box.h"

#include "gui/ink/qt_text.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace gui::ink {

using pocket::ink::Network;
namespace text = pocket::ink::message_box_text;

QtPenMessageBox::QtPenMessageBox(QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("펜 메세지 보관함"));
    auto* layout = new QVBoxLayout(this);
    auto* networks = new QHBoxLayout;
    auto* msnButton = new QPushButton(QStringLiteral("MSN"), this);
    auto* icqButton = new QPushButton(QStringLiteral("ICQ"), this);
    networks->addWidget(msnButton);
    networks->addWidget(icqButton);
    layout->addLayout(networks);

    m_lists = new QStackedWidget(this);
    m_msn = makeList();
    m_icq = makeList();
    m_lists->addWidget(m_msn);
    m_lists->addWidget(m_icq);
    layout->addWidget(m_lists, 1);

    auto* actions = new QHBoxLayout;
    m_viewButton = new QPushButton(QStringLiteral("보기"), this);
    m_deleteButton = new QPushButton(QStringLiteral("삭제"), this);
    auto* quitButton = new QPushButton(QStringLiteral("종료"), this);
    actions->addWidget(m_viewButton);
    actions->addWidget(m_deleteButton);
    actions->addWidget(quitButton);
    layout->addLayout(actions);

    connect(msnButton, &QPushButton::clicked, this, [this] {
        if (m_box)
            m_box->showNetwork(Network::Msn);
    });
    connect(icqButton, &QPushButton::clicked, this, [this] {
        if (m_box)
            m_box->showNetwork(Network::Icq);
    });
    connect(m_viewButton, &QPushButton::clicked, this, [this] {
        Network network;
        std::size_t row;
        if (m_box && selection(network, row))
            m_box->view(network, row);
    });
    connect(m_deleteButton, &QPushButton::clicked, this, [this] {
        Network network;
        std::size_t row;
        if (m_box && selection(network, row))
            m_box->remove(network, row);
    });
    connect(quitButton, &QPushButton::clicked, this, [this] {
        if (m_box)
            m_box->quit();
    });
}

QTreeWidget* QtPenMessageBox::makeList()
{
    auto* list = new QTreeWidget(this);
    list->setRootIsDecorated(false);
    list->setHeaderLabels({ toQString(text::kTimeColumn), toQString(text::kSenderColumn), toQString(text::kPathColumn) });
    list->setColumnWidth(0, 150);
    list->setColumnWidth(1, 100);
    list->setColumnWidth(2, 120);
    return list;
}

void QtPenMessageBox::setRows(Network network, const std::vector<pocket::ink::PenMessageRow>& newestFirst)
{
    auto* target = list(network);
    target->clear();
    for (const auto& row : newestFirst) {
        auto* item = new QTreeWidgetItem(target);
        item->setText(0, toQString(row.receivedTime));
        item->setText(1, toQString(row.sender));
        item->setText(2, toQString(row.path));
    }
}

void QtPenMessageBox::showNetwork(Network network)
{
    m_lists->setCurrentWidget(list(network));
    show();
}

void QtPenMessageBox::close()
{
    QWidget::close();
}

QTreeWidget* QtPenMessageBox::list(Network network) const
{
    return network == Network::Icq ? m_icq : m_msn;
}

bool QtPenMessageBox::selection(Network& network, std::size_t& row) const
{
    network = m_lists->currentWidget() == m_icq ? Network::Icq : Network::Msn;
    auto* shown = list(network);
    const auto* item = shown->currentItem();
    if (!item)
        return false;
    row = static_cast<std::size_t>(shown->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)));
    return true;
}

} // namespace gui::ink
