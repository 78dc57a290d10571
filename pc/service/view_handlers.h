#pragma once

// File: pc/service/view_handlers.h
// Codes 303 (view a PC document: convert or copy it under the service root
// and answer the URL the handheld opens) and 313 (wrap an image address in a
// small page). A document view runs its converter or copy on a worker
// thread and answers on the window thread when it is done; a second 303
// meanwhile is answered "prev". Lives on the window thread.

#include "pc/service/dispatch_table.h"
#include "pc/service/document_converters.h"
#include "pc/service/pc_paths.h"
#include "pc/service/service_folders.h"
#include "pc/service/service_ports.h"
#include "pc/service/view_request.h"
#include "platform/codepage.h"
#include "platform/event_loop.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace pc::service {

class ViewHandlers final : public platform::MessageTarget {
public:
    static constexpr int kMsgViewDone = 5111;

    // `webHost` gives the address with the web port ("10.0.0.5:91") at which
    // the handheld that sent the request reaches this PC; the wrapper page is
    // written in `codePage`, the handheld's code page. Everything referenced
    // outlives this object.
    using WebHost = std::function<std::string(const CommandContext&)>;
    ViewHandlers(platform::EventLoop& loop, ServiceFolders folders, const PcPaths& paths, AnswerSink& answers,
        WebHost webHost, std::string codePage = std::string(platform::kUtf8));
    // Waits for a running conversion to end; its answer is dropped.
    ~ViewHandlers() override;

    // Null: documents that need a converter fail. A conversion already
    // running keeps the converters it started with, so they must live until
    // this object is gone (its destructor waits for the conversion).
    void setConverters(DocumentConverters* converters) { m_converters.store(converters); }
    void registerIn(DispatchTable& table);
    bool isBusy() const { return m_busy; }

    void viewDocument(const CommandContext& context); // 303
    void viewPage(const CommandContext& context); // 313

    platform::LResult onMessage(int msg, platform::WParam wParam, platform::LParam lParam) override;

private:
    struct Job {
        std::int32_t first = 0;
        ViewGroup group = ViewGroup::Unsupported;
        std::filesystem::path source;
        std::string fileName;
    };

    // The result path under the service root, or nullopt on failure. Runs
    // on the worker thread.
    std::optional<std::string> runJob(const Job& job) const;
    std::optional<std::string> copyIntoRequestFolder(const Job& job) const;
    std::optional<std::filesystem::path> sourceOf(const CommandContext& context) const;
    void finish(std::int32_t first, const std::optional<std::string>& resultPath);
    void answerDocument(std::int32_t first, std::string_view text);

    platform::EventLoop& m_loop;
    ServiceFolders m_folders;
    const PcPaths& m_paths;
    AnswerSink& m_answers;
    WebHost m_webHost;
    std::string m_codePage;
    std::atomic<DocumentConverters*> m_converters { nullptr };

    bool m_busy = false;
    std::int32_t m_jobFirst = 0;
    std::string m_jobHost; // Where the running job's handheld reaches the web server.
    std::thread m_worker;
    std::mutex m_outcomeMutex;
    std::optional<std::string> m_outcome; // Guarded by m_outcomeMutex.
};

} // namespace pc::service
