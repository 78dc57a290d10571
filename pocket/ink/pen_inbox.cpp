#include "pocket/ink/pen_inbox.h"

#include "platform/codepage.h"
#include "pocket/ink/ink_file.h"

#include <fstream>

namespace pocket::ink {

PenReceptions::PenReceptions(std::filesystem::path deviceRoot)
    : m_deviceRoot(std::move(deviceRoot))
{
}

platform::Result<void, ReceptionError> PenReceptions::begin(Network network, std::string_view sender,
    std::string handheldPath)
{
    Entry* entry = find(network, sender);
    if (entry) {
        cancel(network, sender);
    } else {
        for (auto& candidate : m_entries) {
            if (!candidate.inUse) {
                entry = &candidate;
                break;
            }
        }
        if (!entry)
            return platform::unexpected(ReceptionError::Full);
    }
    const auto file = hostPath(m_deviceRoot, handheldPath);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream created(file, std::ios::binary | std::ios::trunc);
    if (!created)
        return platform::unexpected(ReceptionError::CannotWrite);
    *entry = Entry { true, network, std::string(sender), std::move(handheldPath), 0 };
    return {};
}

platform::Result<void, ReceptionError> PenReceptions::append(Network network, std::string_view sender,
    std::string_view bytes)
{
    Entry* entry = find(network, sender);
    if (!entry)
        return platform::unexpected(ReceptionError::Unknown);
    if (entry->bytes + bytes.size() > kMaxInkFileBytes)
        return platform::unexpected(ReceptionError::TooLarge);
    entry->bytes += bytes.size();
    std::ofstream out(hostPath(m_deviceRoot, entry->handheldPath), std::ios::binary | std::ios::app);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        return platform::unexpected(ReceptionError::CannotWrite);
    return {};
}

platform::Result<std::string, ReceptionError> PenReceptions::finish(Network network, std::string_view sender)
{
    Entry* entry = find(network, sender);
    if (!entry)
        return platform::unexpected(ReceptionError::Unknown);
    std::string path = std::move(entry->handheldPath);
    *entry = Entry {};
    return path;
}

void PenReceptions::cancel(Network network, std::string_view sender)
{
    Entry* entry = find(network, sender);
    if (!entry)
        return;
    std::error_code ignored;
    std::filesystem::remove(hostPath(m_deviceRoot, entry->handheldPath), ignored);
    *entry = Entry {};
}

std::optional<std::string> PenReceptions::pathOf(Network network, std::string_view sender) const
{
    const Entry* entry = find(network, sender);
    if (!entry)
        return std::nullopt;
    return entry->handheldPath;
}

int PenReceptions::runningCount() const
{
    int count = 0;
    for (const auto& entry : m_entries)
        count += entry.inUse ? 1 : 0;
    return count;
}

PenReceptions::Entry* PenReceptions::find(Network network, std::string_view sender)
{
    for (auto& entry : m_entries) {
        if (entry.inUse && entry.network == network && entry.sender == sender)
            return &entry;
    }
    return nullptr;
}

const PenReceptions::Entry* PenReceptions::find(Network network, std::string_view sender) const
{
    return const_cast<PenReceptions*>(this)->find(network, sender);
}

PenInbox::PenInbox(std::filesystem::path deviceRoot, platform::Ui& ui, InkViewers& viewers)
    : m_deviceRoot(std::move(deviceRoot))
    , m_ui(ui)
    , m_viewers(viewers)
{
}

platform::Result<void, InboxError> PenInbox::received(Network network, std::string_view sender,
    std::string_view handheldPath)
{
    const auto title = networkName(network);
    auto message = readInkFile(hostPath(m_deviceRoot, handheldPath));
    if (!message) {
        // The reader reports its own errors; the MSN carriage adds its own.
        m_ui.messageBox("Quillon", readErrorText(message.error()), platform::Icon::Warning);
        if (network == Network::Msn)
            m_ui.messageBox(title, inbox_text::kDamaged, platform::Icon::Warning);
        return platform::unexpected(InboxError::Damaged);
    }
    // The index line is written even when no viewer is free, so the message
    // can still be opened from the message box.
    const auto index = hostPath(m_deviceRoot, indexPath(network));
    std::error_code ignored;
    std::filesystem::create_directories(index.parent_path(), ignored);
    (void)appendIndexLine(index, platform::fromUtf8(handheldPath, m_codePage));
    if (m_filed)
        m_filed(network, sender, hostPath(m_deviceRoot, handheldPath));
    if (m_viewers.openCount() >= InkViewers::kMaxViewers) {
        m_ui.messageBox(title, inbox_text::kNoMoreViewers, platform::Icon::Warning);
        return platform::unexpected(InboxError::NoViewer);
    }
    if (!m_viewers.open(viewerTitle(network, sender), std::move(*message), receivedNotice(network, sender)))
        return platform::unexpected(InboxError::Undrawable);
    return {};
}

} // namespace pocket::ink
