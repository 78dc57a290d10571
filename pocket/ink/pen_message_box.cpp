#include "pocket/ink/pen_message_box.h"

#include "platform/codepage.h"
#include "pocket/ink/ink_file.h"

#include <algorithm>

namespace pocket::ink {

namespace {
constexpr std::string_view kInkEnding = ".ink";
} // namespace

PenMessageRow rowFromIndexLine(std::string_view line)
{
    PenMessageRow row;
    row.path = std::string(line);
    const auto name = fileNameOf(line);
    const auto blank = name.find(' ');
    row.sender = std::string(name.substr(0, blank));
    auto rest = blank == std::string_view::npos ? std::string_view() : name.substr(blank + 1);
    if (rest.ends_with(kInkEnding))
        rest.remove_suffix(kInkEnding.size());
    row.receivedTime = std::string(rest);
    return row;
}

PenMessageBox::PenMessageBox(std::filesystem::path deviceRoot, PenMessageBoxView& view, platform::Ui& ui,
    InkViewers& viewers)
    : m_deviceRoot(std::move(deviceRoot))
    , m_view(view)
    , m_ui(ui)
    , m_viewers(viewers)
{
}

void PenMessageBox::open()
{
    load(Network::Msn);
    load(Network::Icq);
    showNetwork(Network::Msn);
}

void PenMessageBox::showNetwork(Network network)
{
    m_view.showNetwork(network);
}

void PenMessageBox::load(Network network)
{
    auto& rows = rowsOf(network);
    rows.clear();
    // Each line goes in at the top, so the newest message comes first.
    for (const auto& line : readIndexLines(hostPath(m_deviceRoot, indexPath(network))))
        rows.insert(rows.begin(), rowFromIndexLine(platform::toUtf8(line, m_codePage)));
    m_view.setRows(network, rows);
}

void PenMessageBox::view(Network network, std::size_t row)
{
    const auto& rows = rowsOf(network);
    if (row >= rows.size())
        return;
    auto message = readInkFile(hostPath(m_deviceRoot, rows[row].path));
    if (!message) {
        m_ui.messageBox("Quillon", readErrorText(message.error()), platform::Icon::Warning);
        return;
    }
    (void)m_viewers.open(viewerTitle(network, rows[row].sender), std::move(*message));
}

void PenMessageBox::remove(Network network, std::size_t row)
{
    auto& rows = rowsOf(network);
    if (row >= rows.size())
        return;
    if (m_ui.question("ICQ", message_box_text::kConfirmDelete, platform::Buttons::OkCancel) != platform::Answer::Ok)
        return;
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(row));
    std::vector<std::string> oldestFirst;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        oldestFirst.push_back(platform::fromUtf8(it->path, m_codePage));
    (void)rewriteIndex(hostPath(m_deviceRoot, indexPath(network)), oldestFirst);
    m_view.setRows(network, rows);
}

void PenMessageBox::quit()
{
    m_view.close();
}

const std::vector<PenMessageRow>& PenMessageBox::rows(Network network) const
{
    return network == Network::Icq ? m_icqRows : m_msnRows;
}

std::vector<PenMessageRow>& PenMessageBox::rowsOf(Network network)
{
    return network == Network::Icq ? m_icqRows : m_msnRows;
}

} // namespace pocket::ink
