#include "gui/pocket/qt_found_pcs.h"

#include "gui/qt_string.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace gui::handheld {

namespace link = ::pocket::link;

QtFoundPcs::QtFoundPcs(link::PcFinder& finder, link::PcPairing& pairing, QWidget* parent)
    : QWidget(parent)
    , m_finder(finder)
    , m_pairing(pairing)
    , m_find(new QPushButton(QStringLiteral("PC 찾기"), this))
    , m_list(new QListWidget(this))
    , m_status(new QLabel(this))
{
    m_list->setMaximumHeight(64);
    m_status->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_find);
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    connect(m_find, &QPushButton::clicked, this, [this] { startFinding(); });
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { pick(m_list->row(item)); });
}

QtFoundPcs::~QtFoundPcs()
{
    if (m_worker.joinable())
        m_worker.join();
}

void QtFoundPcs::startFinding()
{
    if (m_worker.joinable())
        m_worker.join();
    m_find->setEnabled(false);
    m_status->setText(QStringLiteral("PC를 찾는 중입니다..."));
    QPointer<QtFoundPcs> self(this);
    m_worker = std::thread([this, self] {
        auto result = m_finder.find();
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self, result] {
            if (self)
                self->showFound(result);
        }, Qt::QueuedConnection);
    });
}

void QtFoundPcs::showFound(const link::FindResult& result)
{
    m_find->setEnabled(true);
    m_found = result.pcs;
    m_list->clear();
    for (const auto& pc : m_found)
        m_list->addItem(toQString(pc.name + "  " + pc.address + ":" + std::to_string(pc.port)));
    if (!result.problem.empty())
        m_status->setText(toQString(result.problem));
    else
        m_status->setText(m_found.empty() ? QStringLiteral("찾은 PC가 없습니다.")
                                          : QStringLiteral("PC를 누르면 주소와 지문이 들어갑니다."));
}

void QtFoundPcs::pick(int row)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_found.size())
        return;
    const link::FoundPc& pc = m_found[static_cast<std::size_t>(row)];
    auto outcome = link::pinPickedPc(m_pairing, pc);
    if (onPicked)
        onPicked(pc);
    m_status->setText(toQString(link::pickOutcomeText(outcome, pc)));
}

} // namespace gui::handheld
