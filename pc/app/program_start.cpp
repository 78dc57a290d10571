#include "pc/app/program_start.h"

#include "pc/app/user_settings.h"
#include "platform/profile.h"

namespace pc::app {

namespace {

constexpr std::string_view kTitle = "Quillon";
constexpr std::string_view kProgName = "Quillon Application";

std::string lowered(std::string_view text)
{
    std::string out;
    for (char c : text)
        out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    return out;
}

std::string classKey()
{
    return "HKCR\\CLSID\\" + std::string(kClassId);
}

} // namespace

StartSwitch takeStartSwitch(const std::vector<std::string>& words, std::vector<std::string>* rest)
{
    StartSwitch found = StartSwitch::None;
    for (const auto& word : words) {
        std::string_view name = word;
        if (!name.empty() && (name.front() == '/' || name.front() == '-'))
            name.remove_prefix(1);
        std::string lower = lowered(name);
        if (lower == "regserver")
            found = StartSwitch::RegServer;
        else if (lower == "unregserver")
            found = StartSwitch::UnregServer;
        else if (rest)
            rest->push_back(word);
    }
    return found;
}

platform::IoResult<void> registerProgram(platform::Registry& registry, const std::string& programPath)
{
    std::string progId(kProgId);
    TRY(registry.createKey(progId + "\\CLSID"));
    TRY(registry.setString(progId, "", kProgName));
    TRY(registry.setString(progId + "\\CLSID", "", kClassId));
    TRY(registry.createKey(classKey() + "\\LocalServer32"));
    TRY(registry.setString(classKey(), "", kProgName));
    TRY(registry.setString(classKey() + "\\LocalServer32", "", programPath));
    TRY(registry.createKey(classKey() + "\\ProgID"));
    TRY(registry.setString(classKey() + "\\ProgID", "", "Quillon.Application"));
    return {};
}

platform::IoResult<void> unregisterProgram(platform::Registry& registry)
{
    for (const std::string& key : { std::string(kProgId), classKey() }) {
        if (!registry.keyExists(key))
            continue;
        TRY(registry.deleteKey(key));
    }
    return {};
}

ProgramStart::ProgramStart(std::filesystem::path home, platform::Ui& ui)
    : m_home(std::move(home))
    , m_ui(ui)
    , m_instance(m_home, "quillon")
{
}

StartOutcome ProgramStart::run(StartSwitch startSwitch, const std::string& programPath)
{
    auto held = m_instance.tryAcquire();
    if (!held) {
        m_ui.messageBox(kTitle, platform::describe(held.error()), platform::Icon::Error);
        return StartOutcome::Failed;
    }
    if (!*held) {
        (void)m_instance.requestActivation();
        m_ui.messageBox(kTitle, "Quillon is already running!", platform::Icon::Warning);
        return StartOutcome::AlreadyRunning;
    }

    platform::Profile profile(m_home / "Quillon.ini");
    SettingsStore store(profile);
    (void)store.readLogin();

    if (startSwitch == StartSwitch::None)
        return StartOutcome::OpenWindow;
    auto registry = platform::Registry::open(m_home / "registry.txt");
    platform::IoResult<void> done = registry ? (startSwitch == StartSwitch::RegServer
                                                       ? registerProgram(**registry, programPath)
                                                       : unregisterProgram(**registry))
                                             : platform::IoResult<void>(registry.error());
    if (!done) {
        m_ui.messageBox(kTitle, platform::describe(done.error()), platform::Icon::Error);
        return StartOutcome::Failed;
    }
    return startSwitch == StartSwitch::RegServer ? StartOutcome::Registered : StartOutcome::Unregistered;
}

} // namespace pc::app
