#include "apps/quillon-pocket/console_option_command.h"

#include "platform/codepage.h"
#include "platform/console_words.h"
#include "platform/decimal_number.h"
#include "pocket/settings/file_options_dialog.h"
#include "pocket/settings/options_sheet.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/settings/settings_store.h"

#include <algorithm>
#include <optional>
#include <ostream>

namespace apps::pocket {

namespace {

using namespace ::pocket::settings;

enum class Owner {
    Accounts,
    Connections,
    Folders,
    FileOptions,
    Login,
    MailFormat,
    StartUp, // Read when the program starts: the messenger servers, the pen address.
};

struct OptionInfo {
    const char* name;
    Owner owner;
};

constexpr OptionInfo kOptions[] = {
    { "msncheck", Owner::Accounts }, { "icqcheck", Owner::Accounts }, { "yahoocheck", Owner::Accounts },
    { "MSNID", Owner::Accounts }, { "MSNPASS", Owner::Accounts }, { "ICQID", Owner::Accounts },
    { "ICQPASS", Owner::Accounts }, { "YAHOOID", Owner::Accounts }, { "YAHOOPASS", Owner::Accounts },
    { "SEVER_IP", Owner::Connections }, { "Auto-Dial", Owner::Connections },
    { "Auto-Disconnection", Owner::Connections }, { "my-connection", Owner::Connections },
    { "PC_PORT", Owner::Connections }, { "PC_UPLOAD_PORT", Owner::Connections },
    { "PC_WEB_PORT", Owner::Connections }, { "Inbox", Owner::Folders }, { "webFolderPath", Owner::Folders },
    { "saveFilePath", Owner::Folders }, { "sndMailPath", Owner::Folders }, { "mailviewperiod", Owner::Folders },
    { "max_filelist", Owner::FileOptions }, { "maxfilesize", Owner::FileOptions }, { "save", Owner::Login },
    { "MY_ID", Owner::Login }, { "MY_PASSWORD", Owner::Login }, { "mailformat", Owner::MailFormat },
    { "MSN_SERVER", Owner::StartUp }, { "ICQ_SERVER", Owner::StartUp }, { "PEN_ADDRESS", Owner::StartUp },
};

bool sameName(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y)); });
}

const OptionInfo* findOption(std::string_view name)
{
    for (const auto& option : kOptions) {
        if (sameName(option.name, name))
            return &option;
    }
    return nullptr;
}

std::optional<long> number(const std::string& text)
{
    return platform::parseDecimal<long>(text);
}

// Sets one field of a shown page; false (with a note) when it cannot.
bool setField(const OptionInfo& option, const std::string& value, OptionsSheet& sheet, std::ostream& err)
{
    std::string_view name = option.name;
    auto flag = number(value);
    auto needFlag = [&] {
        if (flag && (*flag == 0 || *flag == 1))
            return true;
        err << "option: " << name << " takes 0 or 1\n";
        return false;
    };
    if (option.owner == Owner::Accounts) {
        auto& a = sheet.showAccounts();
        if (name == "msncheck" || name == "icqcheck" || name == "yahoocheck") {
            if (!needFlag())
                return false;
            (name == "msncheck" ? a.msn : name == "icqcheck" ? a.icq : a.yahoo) = *flag == 1;
            return true;
        }
        std::string* fields[] = { &a.msnId, &a.msnPassword, &a.icqId, &a.icqPassword, &a.yahooId, &a.yahooPassword };
        const char* names[] = { "MSNID", "MSNPASS", "ICQID", "ICQPASS", "YAHOOID", "YAHOOPASS" };
        for (std::size_t i = 0; i < 6; ++i) {
            if (name == names[i])
                *fields[i] = value;
        }
        return true;
    }
    if (option.owner == Owner::Connections) {
        auto& c = sheet.showConnections();
        if (name == "SEVER_IP") {
            c.pcIp = value;
        } else if (name == "my-connection") {
            auto entry = std::find(c.entries.begin(), c.entries.end(), value);
            if (entry != c.entries.end())
                sheet.selectConnection(static_cast<std::size_t>(entry - c.entries.begin()));
            else
                c.connection = value;
        } else if (name == "Auto-Dial" || name == "Auto-Disconnection") {
            if (!needFlag())
                return false;
            bool set = name == "Auto-Dial" ? sheet.setAutoDial(*flag == 1) : sheet.setAutoDisconnection(*flag == 1);
            if (!set)
                err << "option: " << name << " needs a connection from the phonebook\n";
            return set;
        } else {
            if (!flag || *flag < 1 || *flag > 65535) {
                err << "option: " << name << " takes a port number\n";
                return false;
            }
            auto port = static_cast<std::uint16_t>(*flag);
            (name == "PC_PORT" ? c.pcPort : name == "PC_UPLOAD_PORT" ? c.pcUploadPort : c.pcWebPort) = port;
        }
        return true;
    }
    auto& f = sheet.showFolders();
    if (name == "mailviewperiod")
        f.period = flag ? OptionsSheet::periodText(static_cast<int>(*flag)) : value;
    else if (name == "Inbox")
        f.inbox = value;
    else if (name == "webFolderPath")
        f.webFolderPath = value;
    else if (name == "saveFilePath")
        f.saveFilePath = value;
    else
        f.sndMailPath = value;
    return true;
}

} // namespace

bool isKnownOption(std::string_view name)
{
    return findOption(name) != nullptr;
}

OptionPairs parseOptionArguments(std::string_view arguments)
{
    auto words = platform::splitCommandWords(arguments);
    OptionPairs pairs;
    bool asPairs = words.size() >= 2 && words.size() % 2 == 0;
    for (std::size_t i = 0; asPairs && i < words.size(); i += 2)
        asPairs = isKnownOption(words[i]);
    if (asPairs) {
        for (std::size_t i = 0; i < words.size(); i += 2)
            pairs.emplace_back(words[i], words[i + 1]);
        return pairs;
    }
    // One name and the rest of the line as its value.
    std::size_t start = arguments.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return pairs;
    std::size_t end = arguments.find_first_of(" \t", start);
    std::string name(arguments.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    std::string value;
    if (end != std::string_view::npos) {
        std::size_t valueStart = arguments.find_first_not_of(" \t", end);
        if (valueStart != std::string_view::npos)
            value = std::string(arguments.substr(valueStart));
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    pairs.emplace_back(std::move(name), std::move(value));
    return pairs;
}

bool runOptionCommand(const OptionPairs& pairs, OptionsSheet& sheet, SettingsStore& store, PdaSettings& settings,
    platform::Ui& ui, std::ostream& err)
{
    if (pairs.empty()) {
        err << "option: usage: option NAME VALUE [NAME VALUE]...\n";
        return false;
    }
    bool ok = true;
    std::optional<OptionsPage> applyPage;
    std::optional<FileOptionsDialog::Fields> fileOptions;
    FileOptionsDialog fileDialog(store, settings, ui);
    bool loginChanged = false;
    sheet.open();
    for (const auto& [name, value] : pairs) {
        const OptionInfo* option = findOption(name);
        if (!option) {
            err << "option: unknown setting " << name << "\n";
            ok = false;
            continue;
        }
        auto flag = number(value);
        switch (option->owner) {
        case Owner::Accounts:
        case Owner::Connections:
        case Owner::Folders:
            ok = setField(*option, value, sheet, err) && ok;
            if (option->owner == Owner::Accounts)
                applyPage = OptionsPage::Accounts;
            else if (!applyPage)
                applyPage = option->owner == Owner::Connections ? OptionsPage::Connections : OptionsPage::Folders;
            break;
        case Owner::FileOptions:
            if (!fileOptions)
                fileOptions = fileDialog.show();
            (sameName(name, "max_filelist") ? fileOptions->maxFileList : fileOptions->maxFileSize) = value;
            break;
        case Owner::MailFormat:
            if (!flag || (*flag != 0 && *flag != 1)) {
                err << "option: mailformat takes 0 (Text) or 1 (Html)\n";
                ok = false;
                break;
            }
            settings.mailFormat = static_cast<int>(*flag);
            (void)store.storeMailFormat(settings);
            break;
        case Owner::StartUp:
            if (!store.storeString(option->name, value)) {
                err << "option: " << option->name << " could not be stored\n";
                ok = false;
            }
            break;
        case Owner::Login:
            if (sameName(name, "save"))
                settings.save = flag && *flag == 1 ? 1 : 0;
            else if (sameName(name, "MY_ID"))
                settings.myId = std::string(platform::cutCodePoints(value, kPcFieldChars));
            else
                settings.myPassword = std::string(platform::cutCodePoints(value, kPcFieldChars));
            loginChanged = true;
            break;
        }
    }
    if (applyPage && ok) {
        if (!sheet.apply(*applyPage, false)) {
            sheet.cancel();
            ok = false;
        }
    } else {
        sheet.cancel();
    }
    if (fileOptions && ok)
        fileDialog.accept(*fileOptions);
    if (loginChanged && ok)
        (void)store.storePcLogin(settings);
    return ok;
}

} // namespace apps::pocket
