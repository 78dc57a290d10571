#include "pocket/ink/ink_viewer.h"

#include "pocket/ink/ink_drawing.h"

namespace pocket::ink {

std::string viewerTitle(Network network, std::string_view sender)
{
    std::string title = "From : ";
    title += networkName(network);
    title += " - ";
    title += sender;
    return title;
}

std::optional<DamageNotice> receivedNotice(Network network, std::string_view sender)
{
    if (network != Network::Msn)
        return std::nullopt;
    std::string text = "네트웍 상의 오류로 펜메세지(From:";
    text += sender;
    text += ")를 받지 못했습니다.";
    return DamageNotice { std::string(networkName(network)), std::move(text) };
}

InkViewer::InkViewer(InkViewerView& view, platform::Ui& ui, std::string title, InkMessage message,
    std::optional<DamageNotice> notice)
    : m_view(view)
    , m_ui(ui)
    , m_title(std::move(title))
    , m_message(std::move(message))
    , m_notice(std::move(notice))
{
}

void InkViewer::show()
{
    m_open = true;
    m_view.setTitle(m_title);
    m_view.show();
    paint();
}

void InkViewer::paint()
{
    if (!m_open)
        return;
    m_view.canvas().clear();
    if (auto drawn = drawInk(m_message, m_view.canvas()); !drawn) {
        m_message.clear();
        m_ui.messageBox("Quillon", drawErrorText(drawn.error()), platform::Icon::Warning);
        if (m_notice) {
            m_ui.messageBox(m_notice->title, m_notice->text, platform::Icon::Warning);
            onOk();
        }
    }
}

void InkViewer::onOk()
{
    if (!m_open)
        return;
    m_open = false;
    m_message.clear();
    m_view.close();
}

InkViewers::InkViewers(InkViewerHost& host, platform::Ui& ui)
    : m_host(host)
    , m_ui(ui)
{
}

std::optional<int> InkViewers::open(std::string title, InkMessage message, std::optional<DamageNotice> notice)
{
    for (int slot = 0; slot < kMaxViewers; ++slot) {
        auto& entry = m_slots[static_cast<std::size_t>(slot)];
        if (entry.viewer)
            continue;
        entry.view = m_host.createViewerView(slot);
        if (!entry.view)
            return std::nullopt;
        entry.viewer = std::make_unique<InkViewer>(*entry.view, m_ui, std::move(title), std::move(message),
            std::move(notice));
        entry.viewer->show();
        if (!entry.viewer->isOpen()) {
            dropIfClosed(slot);
            return std::nullopt;
        }
        return slot;
    }
    return std::nullopt;
}

void InkViewers::paint(int slot)
{
    if (auto* shown = viewer(slot)) {
        shown->paint();
        dropIfClosed(slot);
    }
}

void InkViewers::dropIfClosed(int slot)
{
    auto& entry = m_slots[static_cast<std::size_t>(slot)];
    if (entry.viewer && !entry.viewer->isOpen()) {
        entry.viewer.reset();
        entry.view.reset();
    }
}

void InkViewers::onOk(int slot)
{
    auto* shown = viewer(slot);
    if (!shown)
        return;
    shown->onOk();
    auto& entry = m_slots[static_cast<std::size_t>(slot)];
    entry.viewer.reset();
    entry.view.reset();
}

int InkViewers::openCount() const
{
    int count = 0;
    for (const auto& entry : m_slots)
        count += entry.viewer ? 1 : 0;
    return count;
}

InkViewer* InkViewers::viewer(int slot)
{
    if (slot < 0 || slot >= kMaxViewers)
        return nullptr;
    return m_slots[static_cast<std::size_t>(slot)].viewer.get();
}

} // namespace pocket::ink
