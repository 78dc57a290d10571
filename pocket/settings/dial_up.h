#pragma once

// File: pocket/settings/dial_up.h
// The handheld's dial-up connection ("인터넷 접속"), through NetworkManager:
// the phonebook entries are its connection profiles, dialling is
// `nmcli connection up`, hanging up `nmcli connection down`. Without nmcli
// the phonebook is empty and a dial takes its failure path.

#include <optional>
#include <string>
#include <vector>

namespace platform {
class Ui;
}

namespace pocket::settings {

struct PdaSettings;

constexpr std::size_t kMaxPhonebookEntries = 50;

class DialUp {
public:
    virtual ~DialUp() = default;
    // The phonebook, in its own order, at most kMaxPhonebookEntries.
    virtual std::vector<std::string> phonebookEntries() = 0;
    // The entries of the active connections; nothing when they cannot be
    // enumerated.
    virtual std::optional<std::vector<std::string>> activeConnections() = 0;
    // Starts dialling the entry; false when the dialler cannot be started.
    virtual bool startDial(const std::string& entry) = 0;
    virtual bool hangUp(const std::string& entry) = 0;
};

class NmcliDialUp final : public DialUp {
public:
    explicit NmcliDialUp(std::string program = "nmcli");
    std::vector<std::string> phonebookEntries() override;
    std::optional<std::vector<std::string>> activeConnections() override;
    bool startDial(const std::string& entry) override;
    bool hangUp(const std::string& entry) override;

private:
    std::string m_program;
};

// nmcli's terse listing, one name per line with ':' and '\' escaped.
std::vector<std::string> parseTerseNames(const std::string& output);

// "인터넷 접속": dials the entry named by "my-connection" unless it (or
// another connection) is already up.
void dial(DialUp& dialUp, const PdaSettings& settings, platform::Ui& ui);
// At program end with "Auto-Disconnection": hangs up the configured entry;
// failures are silent.
void hangUp(DialUp& dialUp, const PdaSettings& settings);

} // namespace pocket::settings
