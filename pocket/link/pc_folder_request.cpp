#include "pocket/link/pc_folder_request.h"

#include "platform/ui.h"
#include "pocket/device/device_root.h"
#include "pocket/link/fetch_to_file.h"
#include "pocket/link/pc_link.h"
#include "pocket/settings/pda_settings.h"
#include "proto/command_codes.h"

#include <fstream>
#include <iterator>

namespace pocket::link {

namespace {

constexpr const char* kTitle = "Quillon";
constexpr const char* kListFile = "\\Program Files\\Quillon\\serverfolder";
constexpr const char* kNotConnectedText = "서버와 연결이 안된 상태입니다.";
constexpr const char* kFetchFailedText = "디렉토리 데이터를 받는데 실패하였습니다. \n다시 시도해주세요!";
constexpr const char* kWriteFailedText = "폴더 리스트 작성중 오류가 발생하였습니다! \n다시 시도해주세요";
constexpr const char* kEmptyFolderText = "NOTHING ITEM";
constexpr const char* kTimeoutText = "[MYPC]드라이브 FILE LIST 요청 - TIME OUT(timeout val: 60초) \n다시 요청해주십시오.";

} // namespace

std::vector<FolderEntry> parseFolderList(std::string_view content)
{
    std::vector<FolderEntry> entries;
    for (;;) {
        std::size_t end = content.find('\n');
        if (end == std::string_view::npos || end == 0)
            break;
        std::string_view line = content.substr(0, end);
        entries.push_back({ line[0] != '0', std::string(line.substr(1)) });
        content.remove_prefix(end + 1);
    }
    return entries;
}

PcFolderRequest::PcFolderRequest(PcLink& link, const settings::PdaSettings& settings, const device::DeviceRoot& device,
    platform::HttpFetch& fetch, platform::Ui& ui, FolderListView& view)
    : m_link(link)
    , m_settings(settings)
    , m_device(device)
    , m_fetch(fetch)
    , m_ui(ui)
    , m_view(view)
{
    m_link.setHandler(proto::kCodeListFolder, [this](const proto::PcAnswer& answer) { onAnswer(answer); });
    m_link.setTreeTimeoutHandler([this] { onTimeout(); });
}

bool PcFolderRequest::isWaiting() const
{
    return m_link.treeRequest().isWaiting();
}

bool PcFolderRequest::open(std::string_view path)
{
    if (!m_link.isConnected()) {
        m_ui.messageBox(kTitle, kNotConnectedText, platform::Icon::Warning);
        return false;
    }
    if (isWaiting())
        return false;
    m_path = std::string(path);
    while (!m_path.empty() && m_path.back() == '\\')
        m_path.pop_back();
    auto& number = m_link.treeRequest();
    if (!m_link.sendRequest(number.current(), proto::kCodeListFolder, m_path + "\\"))
        return false;
    number.startTimer();
    return true;
}

void PcFolderRequest::onAnswer(const proto::PcAnswer& answer)
{
    if (!m_link.treeRequest().acceptAnswer(answer.first))
        return;
    auto listFile = m_device.toLocal(kListFile);
    if (!answer.text.empty() && answer.text[0] == '.') {
        if (!writeList(std::string_view(answer.text).substr(1))) {
            m_ui.messageBox(kTitle, kWriteFailedText, platform::Icon::Warning);
            return;
        }
    } else if (!fetchToFile(m_fetch, m_ui, pcFileUrl(m_settings.serverIp, m_settings.pcWebPort, "serverfolder"), listFile)) {
        m_view.restoreFolder(m_path);
        m_ui.messageBox(kTitle, kFetchFailedText, platform::Icon::Information);
        return;
    }

    std::ifstream in(listFile, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (content == "\n") {
        m_view.showFolder(m_path, {});
        m_ui.messageBox(kTitle, kEmptyFolderText, platform::Icon::Information);
        return;
    }
    m_view.showFolder(m_path, parseFolderList(content));
}

void PcFolderRequest::onTimeout()
{
    m_view.restoreFolder(m_path);
    m_ui.messageBox(kTitle, kTimeoutText, platform::Icon::Warning);
}

bool PcFolderRequest::writeList(std::string_view list)
{
    std::ofstream out(m_device.toLocal(kListFile), std::ios::binary | std::ios::trunc);
    out.write(list.data(), static_cast<std::streamsize>(list.size()));
    return static_cast<bool>(out);
}

} // namespace pocket::link
