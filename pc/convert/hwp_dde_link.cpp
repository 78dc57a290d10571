#include "pc/convert/hwp_dde_link.h"

#include "platform/profile.h"

#include <cstdio>
#include <unistd.h>

namespace pc::convert {

namespace {

constexpr std::size_t kKeptNotifications = 64;

std::optional<std::filesystem::path> folderHoldingProgram(std::string value)
{
    while (!value.empty() && (value.back() == '\\' || value.back() == '/'))
        value.pop_back();
    if (value.empty())
        return std::nullopt;
    std::filesystem::path folder = value;
    if (::access((folder / kHwpProgramName).c_str(), X_OK) != 0)
        return std::nullopt;
    return folder;
}

std::uint32_t readU32(std::string_view data, std::size_t at)
{
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i])) << (8 * i);
    return value;
}

} // namespace

std::optional<std::filesystem::path> findHwpFolder(const platform::Profile& winIni)
{
    if (auto folder = folderHoldingProgram(winIni.getString("HNC Path", "HNC", "")))
        return folder;
    return folderHoldingProgram(winIni.getString("HNC", "HNC", ""));
}

bool isHwpInstalled(const platform::Profile& winIni)
{
    return !winIni.getString("HNC Path", "HNC", "").empty() || !winIni.getString("HNC", "HNC", "").empty();
}

std::optional<std::array<std::uint32_t, 5>> parseHwpCallback(std::string_view data, bool asText)
{
    std::array<std::uint32_t, 5> values {};
    if (!asText) {
        if (data.size() < 20)
            return std::nullopt;
        for (std::size_t i = 0; i < 5; ++i)
            values[i] = readU32(data, 4 * i);
        return values;
    }
    std::string text(data.substr(0, data.find('\0')));
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%8x/%8x/%8x/%8x/%8x%n", &values[0], &values[1], &values[2], &values[3],
            &values[4], &consumed)
            != 5
        || static_cast<std::size_t>(consumed) != text.size())
        return std::nullopt;
    return values;
}

std::string formatHwpCallback(const std::array<std::uint32_t, 5>& values, bool asText)
{
    if (asText) {
        char text[64];
        std::snprintf(text, sizeof text, "%08x/%08x/%08x/%08x/%08x", values[0], values[1], values[2],
            values[3], values[4]);
        return text;
    }
    std::string data;
    for (std::uint32_t value : values) {
        for (int i = 0; i < 4; ++i)
            data.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
    return data;
}

// Receives the word processor's callbacks on this program's own service.
class HwpDdeLink::CallbackHandler final : public DdeServerHandler {
public:
    explicit CallbackHandler(HwpDdeLink& link)
        : m_link(link)
    {
    }
    bool acceptTopic(std::string_view topic) override { return topic == m_link.m_clientService; }
    bool execute(const DdeConversationInfo&, std::string_view command) override { return take(command); }
    bool poke(const DdeConversationInfo&, std::string_view, std::uint32_t, std::string_view data) override
    {
        return take(data);
    }

private:
    bool take(std::string_view data)
    {
        auto values = parseHwpCallback(data, m_link.m_textCallbacks);
        if (!values)
            return false;
        m_link.notify(*values);
        return true;
    }
    HwpDdeLink& m_link;
};

HwpDdeLink::HwpDdeLink(const platform::Profile& winIni)
    : m_winIni(winIni)
{
    char name[32];
    std::snprintf(name, sizeof name, "HwpDdeClient%08x", static_cast<unsigned>(::getpid()));
    m_clientService = name;
}

HwpDdeLink::~HwpDdeLink()
{
    // The service stops before the link it calls into goes.
    m_server.reset();
}

void HwpDdeLink::notify(const std::array<std::uint32_t, 5>& values)
{
    std::lock_guard lock(m_notifyMutex);
    // Only the latest are kept: nothing reads the older ones.
    if (m_notifications.size() >= kKeptNotifications)
        m_notifications.erase(m_notifications.begin());
    m_notifications.push_back(values);
}

std::vector<std::array<std::uint32_t, 5>> HwpDdeLink::notifications() const
{
    std::lock_guard lock(m_notifyMutex);
    return m_notifications;
}

bool HwpDdeLink::registerClientService()
{
    if (m_server)
        return true;
    m_callbacks = std::make_unique<CallbackHandler>(*this);
    auto server = DdeServer::start(m_clientService, *m_callbacks);
    if (!server) {
        report("Cannot register DDE service " + m_clientService, true);
        return false;
    }
    m_server = std::move(*server);
    return true;
}

void HwpDdeLink::chooseServerCommand()
{
    std::string program = kHwpProgramName;
    if (auto folder = findHwpFolder(m_winIni))
        program = (*folder / kHwpProgramName).string();
    // Without a known folder the bare name must be on the search path.
    setServerCommand({ program, "/n", "/o" });
}

bool HwpDdeLink::connectHwp(bool withCallbacks)
{
    // A service that cannot be registered only costs the callbacks.
    if (withCallbacks)
        (void)registerClientService();
    chooseServerCommand();
    if (!connect(kHwpService, kHwpService))
        return false;
    if (!withCallbacks)
        return true;
    m_textCallbacks = false;
    if (hwpExecute("GetVersion")) {
        auto version = hwpReturnValue();
        m_textCallbacks = version && version->status == 0 && version->value != 0;
    }
    char macro[256];
    const char* name = m_clientService.c_str();
    if (m_textCallbacks)
        std::snprintf(macro, sizeof macro, "SetServiceName(\"%s\",\"%s\",text)", name, name);
    else
        std::snprintf(macro, sizeof macro, "SetServiceName(\"%s\",\"%s\")", name, name);
    return hwpExecute(macro);
}

bool HwpDdeLink::hwpExecute(std::string_view macro)
{
    return execute("FX" + std::string(macro));
}

bool HwpDdeLink::hwpExecuteAsync(std::string_view macro, int requestId)
{
    return executeAsync("FX" + std::string(macro), requestId);
}

std::optional<std::string> HwpDdeLink::hwpReturnData()
{
    std::string data;
    if (!request("ReturnValue", kDdeTextFormat, data))
        return std::nullopt;
    return data;
}

std::optional<HwpReturnValue> HwpDdeLink::hwpReturnValue()
{
    auto data = hwpReturnData();
    if (!data || data->size() < 8)
        return std::nullopt;
    return HwpReturnValue { static_cast<std::int32_t>(readU32(*data, 0)),
        static_cast<std::int32_t>(readU32(*data, 4)) };
}

} // namespace pc::convert
