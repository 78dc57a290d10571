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

std::string unusableFileText(const std::filesystem::path& file, const platform::Error& error)
{
    return "Quillon이 쓰는 파일을 읽을 수 없습니다.\n" + file.string() + "\n(" + platform::describe(error)
        + ")\n\n이 파일은 그대로 둡니다. 읽을 수 있게 권한이나 내용을 고치거나 다른 곳으로 옮긴 뒤 "
          "다시 시작하십시오.";
}

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

    // The profile and the registry store hold the accounts and passwords: one
    // that exists but cannot be read stops the program before anything
    // could write over it.
    platform::Profile profile(m_home / "Quillon.ini");
    if (auto usable = profile.check(); !usable) {
        m_ui.messageBox(kTitle, unusableFileText(profile.file(), usable.error()), platform::Icon::Error);
        return StartOutcome::Failed;
    }
    auto registry = platform::Registry::open(m_home / "registry.txt");
    if (!registry) {
        m_ui.messageBox(kTitle, unusableFileText(m_home / "registry.txt", registry.error()), platform::Icon::Error);
        return StartOutcome::Failed;
    }
    SettingsStore store(profile);
    (void)store.readLogin();

    if (startSwitch == StartSwitch::None)
        return StartOutcome::OpenWindow;
    platform::IoResult<void> done = startSwitch == StartSwitch::RegServer ? registerProgram(**registry, programPath)
                                                                          : unregisterProgram(**registry);
    if (!done) {
        m_ui.messageBox(kTitle, platform::describe(done.error()), platform::Icon::Error);
        return StartOutcome::Failed;
    }
    return startSwitch == StartSwitch::RegServer ? StartOutcome::Registered : StartOutcome::Unregistered;
}

} // namespace pc::app
