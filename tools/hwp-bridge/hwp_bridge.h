#pragma once

// File: tools/hwp-bridge/hwp_bridge.h
// The word processor's side of the DDE link, carried out with LibreOffice:
// the service "HWP/WIN" takes the macro commands GetVersion,
// SetServiceName, OpenDocument, GetDocumentInfo, CreatePageImage and Quit,
// and answers the item "ReturnValue" with the last command's result (status
// and value, or the document information). A document is opened by turning
// it into PDF; its pages become GIF images on request. After each page image
// the client's own service, when it named one, gets a callback. All calls
// arrive on the DDE server's thread.

#include "pc/convert/dde_server.h"
#include "pc/convert/libreoffice.h"
#include "platform/temp_folder.h"
#include "tools/hwp-bridge/hwp_macro.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tools::hwp_bridge {

// The version GetVersion reports (non-zero: callbacks may be text).
constexpr std::int32_t kBridgeVersion = 0x00010000;
// The first callback number after a page image was written.
constexpr std::uint32_t kCallbackPageImage = 1;

class HwpBridge final : public pc::convert::DdeServerHandler {
public:
    // `quit` is called (on the server thread) when a client sends Quit.
    HwpBridge(
        pc::convert::LibreOfficeConfig office, platform::TempFolder work, std::function<void()> quit);

    // Starts the office and waits at most `wait` for it (see warmUp()).
    bool warmUp(std::chrono::milliseconds wait) const { return m_office.warmUp(wait); }

    bool acceptTopic(std::string_view topic) override;
    bool execute(const pc::convert::DdeConversationInfo& conversation, std::string_view command) override;
    std::optional<std::string> request(const pc::convert::DdeConversationInfo& conversation,
        std::string_view item, std::uint32_t format) override;
    void disconnected(const pc::convert::DdeConversationInfo& conversation) override;

private:
    struct Document {
        std::uint64_t conversation = 0;
        std::filesystem::path pdf;
        int pages = 0;
    };
    struct Client {
        std::string returnValue;
        std::string callbackService;
        bool textCallbacks = false;
    };

    bool run(Client& client, std::uint64_t conversation, const MacroCall& call);
    bool openDocument(Client& client, std::uint64_t conversation, const MacroCall& call);
    bool documentInfo(Client& client, const MacroCall& call);
    bool createPageImage(Client& client, const MacroCall& call);
    void sendCallback(const Client& client, const std::array<std::uint32_t, 5>& values);

    pc::convert::LibreOffice m_office;
    platform::TempFolder m_work;
    std::function<void()> m_quit;
    std::map<std::uint64_t, Client> m_clients;
    std::map<std::int32_t, Document> m_documents;
    std::int32_t m_nextDocument = 1;
};

// A path from a macro: "\" separates folders as "/" does.
std::filesystem::path localPathOf(std::string_view macroPath);

// The two numbers of a status answer.
std::string returnValueData(std::int32_t status, std::int32_t value);

} // namespace tools::hwp_bridge
