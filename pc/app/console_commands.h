#pragma once

// File: pc/app/console_commands.h
// The console commands of the headless program: starting and stopping the
// server, and the settings dialog's work (list, add, modify and delete mail
// accounts; the two start options) with the dialog's checks and messages,
// and the handheld's code page.
// One command per line; words may be quoted with double quotes.

#include "pc/app/pc_shell.h"
#include "platform/console_words.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace pc::app {

// Splits a command line into words; "a b" in double quotes is one word.
using platform::splitCommandWords;

class ConsoleCommands {
public:
    ConsoleCommands(PcShell& shell, platform::Ui& ui, std::ostream& out);

    // Runs one line; false when the program is to end.
    bool handleLine(std::string_view line);
    void printHelp();

private:
    void listAccounts();
    void addAccount(const std::vector<std::string>& words);
    void modifyAccount(const std::vector<std::string>& words);
    void deleteAccounts(const std::vector<std::string>& words);
    void setStartOption(const std::vector<std::string>& words, bool withSystem);
    void codePage(const std::vector<std::string>& words);
    void secureLink(const std::vector<std::string>& words);
    void applyDialog(SettingsDialog& dialog);

    PcShell& m_shell;
    platform::Ui& m_ui;
    std::ostream& m_out;
};

} // namespace pc::app
