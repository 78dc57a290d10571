#pragma once

// File: pc/convert/hwp_dde_link.h
// The conversation with the HWP word processor over DDE: finds its program
// through the Windows initialization file (sections "HNC Path" and "HNC"),
// connects to its service "HWP/WIN" (starting it when it is not running),
// sends macro commands ("FX" + macro) and reads their results from the item
// "ReturnValue". With callbacks, this program registers a DDE service of its
// own ("HwpDdeClient%08x") and tells HWP its name, so that HWP can report
// back; the callback numbers arrive on that service's thread.

#include "pc/convert/dde_conversation.h"
#include "pc/convert/dde_server.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {
class Profile;
}

namespace pc::convert {

// The word processor's program file. The stand-in for HWP is the
// hwp-bridge tool; a folder named by the initialization file holds it.
constexpr const char* kHwpProgramName = "hwp-bridge";
constexpr const char* kHwpService = "HWP/WIN";

// The folder of the installed word processor: the first of the values "HNC"
// of sections "HNC Path" and "HNC" that names a folder holding the program
// (a trailing separator removed); nullopt when neither does.
std::optional<std::filesystem::path> findHwpFolder(const platform::Profile& winIni);
// Whether either value is set at all (the word processor counts as
// installed, and conversions go through DDE).
bool isHwpInstalled(const platform::Profile& winIni);

struct HwpReturnValue {
    std::int32_t status = 0;
    std::int32_t value = 0;
};

class HwpDdeLink : public DdeConversation {
public:
    // The profile outlives the link.
    explicit HwpDdeLink(const platform::Profile& winIni);
    ~HwpDdeLink() override;

    bool connectHwp(bool withCallbacks);
    bool hwpExecute(std::string_view macro);
    bool hwpExecuteAsync(std::string_view macro, int requestId);
    std::optional<HwpReturnValue> hwpReturnValue();
    std::optional<std::string> hwpReturnData();

    const std::string& clientService() const { return m_clientService; }
    bool isServiceRegistered() const { return m_server != nullptr; }
    bool textCallbacks() const { return m_textCallbacks; }
    std::int32_t documentId() const { return m_documentId; }
    void setDocumentId(std::int32_t id) { m_documentId = id; }

    // The latest callbacks received (thread-safe).
    std::vector<std::array<std::uint32_t, 5>> notifications() const;

protected:
    void notify(const std::array<std::uint32_t, 5>& values) override;

private:
    class CallbackHandler;

    bool registerClientService();
    void chooseServerCommand();

    const platform::Profile& m_winIni;
    std::string m_clientService;
    bool m_textCallbacks = false;
    std::int32_t m_documentId = 0;
    std::unique_ptr<CallbackHandler> m_callbacks;
    std::unique_ptr<DdeServer> m_server;
    mutable std::mutex m_notifyMutex;
    std::vector<std::array<std::uint32_t, 5>> m_notifications; // Guarded by m_notifyMutex.
};

// The five callback numbers in either form: text "%08x/%08x/%08x/%08x/%08x"
// or five binary little-endian 32-bit numbers.
std::optional<std::array<std::uint32_t, 5>> parseHwpCallback(std::string_view data, bool asText);
std::string formatHwpCallback(const std::array<std::uint32_t, 5>& values, bool asText);

} // namespace pc::convert
