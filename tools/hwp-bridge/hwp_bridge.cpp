#include "tools/hwp-bridge/hwp_bridge.h"

#include "pc/convert/dde_conversation.h"
#include "pc/convert/gif_pages.h"
#include "pc/convert/hwp_dde_link.h"
#include "pc/convert/hwp_page_imaging.h"

#include <algorithm>

namespace tools::hwp_bridge {

namespace {

constexpr std::int32_t kStatusOk = 0;
constexpr std::int32_t kStatusFailed = 1;
constexpr const char* kCallbackItem = "Notify";

// Connects to the client's own service for one callback.
class CallbackConversation final : public pc::convert::DdeConversation {
public:
    CallbackConversation() { setTimeout(std::chrono::seconds(5)); }
};

} // namespace

std::filesystem::path localPathOf(std::string_view macroPath)
{
    std::string path(macroPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return std::filesystem::path(path).lexically_normal();
}

std::string returnValueData(std::int32_t status, std::int32_t value)
{
    pc::convert::HwpDocumentInfo info;
    info.values[0] = status;
    info.values[1] = value;
    return pc::convert::encodeHwpDocumentInfo(info).substr(0, 8);
}

HwpBridge::HwpBridge(
    pc::convert::LibreOfficeConfig office, platform::TempFolder work, std::function<void()> quit)
    : m_office(std::move(office))
    , m_work(std::move(work))
    , m_quit(std::move(quit))
{
}

bool HwpBridge::acceptTopic(std::string_view topic)
{
    return topic == pc::convert::kHwpService;
}

bool HwpBridge::execute(const pc::convert::DdeConversationInfo& conversation, std::string_view command)
{
    Client& client = m_clients[conversation.id];
    // Each command's own result replaces the last one; until it has one, it
    // failed.
    client.returnValue = returnValueData(kStatusFailed, 0);
    auto call = parseMacroCommand(command);
    // "FX" alone, or anything that is not a macro call, is refused.
    if (!call)
        return false;
    return run(client, conversation.id, *call);
}

bool HwpBridge::run(Client& client, std::uint64_t conversation, const MacroCall& call)
{
    if (call.name == "GetVersion") {
        client.returnValue = returnValueData(kStatusOk, kBridgeVersion);
        return true;
    }
    if (call.name == "SetServiceName") {
        if (call.arguments.size() < 2 || !call.arguments[0].quoted)
            return false;
        client.callbackService = call.arguments[0].text;
        client.textCallbacks = call.arguments.size() > 2 && call.arguments[2].text == "text";
        client.returnValue = returnValueData(kStatusOk, 0);
        return true;
    }
    if (call.name == "OpenDocument")
        return openDocument(client, conversation, call);
    if (call.name == "GetDocumentInfo")
        return documentInfo(client, call);
    if (call.name == "CreatePageImage")
        return createPageImage(client, call);
    if (call.name == "Quit") {
        client.returnValue = returnValueData(kStatusOk, 0);
        m_quit();
        return true;
    }
    return false;
}

bool HwpBridge::openDocument(Client& client, std::uint64_t conversation, const MacroCall& call)
{
    if (call.arguments.size() < 2 || !call.arguments[1].quoted)
        return false;
    std::filesystem::path source = localPathOf(call.arguments[1].text);
    std::error_code error;
    if (!std::filesystem::is_regular_file(source, error))
        return false;
    std::int32_t id = m_nextDocument++;
    std::filesystem::path folder = m_work.path() / ("doc" + std::to_string(id));
    std::filesystem::create_directories(folder, error);
    auto pdf = m_office.convert(source, "pdf", "pdf", folder);
    auto pages = pdf ? m_office.pageCount(*pdf) : platform::IoResult<int>(0);
    if (!pdf || !pages || *pages < 1) {
        std::filesystem::remove_all(folder, error);
        return false;
    }
    m_documents[id] = Document { conversation, *pdf, *pages };
    client.returnValue = returnValueData(kStatusOk, id);
    return true;
}

bool HwpBridge::documentInfo(Client& client, const MacroCall& call)
{
    auto id = call.arguments.empty() ? std::nullopt : call.arguments[0].number();
    auto document = id ? m_documents.find(static_cast<std::int32_t>(*id)) : m_documents.end();
    if (document == m_documents.end())
        return false;
    // The cursor stands at the start of the first page.
    pc::convert::HwpDocumentInfo info;
    info.values[pc::convert::HwpDocumentInfo::kPageCountIndex] = document->second.pages;
    info.values[12] = 1; // curpage
    info.values[13] = 1; // curppage
    client.returnValue = pc::convert::encodeHwpDocumentInfo(info);
    return true;
}

bool HwpBridge::createPageImage(Client& client, const MacroCall& call)
{
    if (call.arguments.size() < 4 || !call.arguments[1].quoted)
        return false;
    auto id = call.arguments[0].number();
    auto page = call.arguments[2].number();
    auto dpi = call.arguments[3].number();
    auto document = id ? m_documents.find(static_cast<std::int32_t>(*id)) : m_documents.end();
    if (document == m_documents.end() || !page || !dpi || *page < 0 || *page >= document->second.pages)
        return false;
    std::filesystem::path image = localPathOf(call.arguments[1].text);
    int resolution = static_cast<int>(std::clamp<long>(*dpi, 24, 300));
    if (!pc::convert::renderPageAsGif(
            m_office, document->second.pdf, static_cast<int>(*page) + 1, resolution, image))
        return false;
    client.returnValue = returnValueData(kStatusOk, 0);
    sendCallback(client,
        { kCallbackPageImage, static_cast<std::uint32_t>(*id), static_cast<std::uint32_t>(*page), 0, 0 });
    return true;
}

void HwpBridge::sendCallback(const Client& client, const std::array<std::uint32_t, 5>& values)
{
    if (client.callbackService.empty())
        return;
    // A client that cannot be reached misses the callback; the page stands.
    CallbackConversation callback;
    if (callback.connect(client.callbackService, client.callbackService))
        (void)callback.poke(kCallbackItem, pc::convert::formatHwpCallback(values, client.textCallbacks),
            pc::convert::kDdeTextFormat);
}

std::optional<std::string> HwpBridge::request(
    const pc::convert::DdeConversationInfo& conversation, std::string_view item, std::uint32_t)
{
    if (item != "ReturnValue")
        return std::nullopt;
    return m_clients[conversation.id].returnValue;
}

void HwpBridge::disconnected(const pc::convert::DdeConversationInfo& conversation)
{
    m_clients.erase(conversation.id);
    // The client's documents close with its conversation.
    for (auto it = m_documents.begin(); it != m_documents.end();) {
        if (it->second.conversation == conversation.id) {
            std::error_code ignored;
            std::filesystem::remove_all(it->second.pdf.parent_path(), ignored);
            it = m_documents.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace tools::hwp_bridge
