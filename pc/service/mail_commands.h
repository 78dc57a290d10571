#pragma once

// File: pc/service/mail_commands.h
// The mail requests of the command channel (check mail 304, prepare one mail
// 305, delete one mail 332) and the assembled text of a long mail (329),
// implemented by the mail relay. Until one is installed, NoMailCommands
// answers nothing. Called on the window thread; an implementation that
// answers from a worker thread uses RemoteService::postAnswer().

#include "pc/service/dispatch_table.h"

#include <string>

namespace pc::service {

class MailCommands {
public:
    virtual ~MailCommands() = default;
    virtual void checkMail(const CommandContext& context) = 0;
    virtual void prepareMail(const CommandContext& context) = 0;
    virtual void deleteMail(const CommandContext& context) = 0;
    // A whole mail text from the pieces of code 329, with the sender's address.
    virtual void sendMail(const std::string& text, const std::string& senderAddress) = 0;
};

class NoMailCommands final : public MailCommands {
public:
    void checkMail(const CommandContext&) override { }
    void prepareMail(const CommandContext&) override { }
    void deleteMail(const CommandContext&) override { }
    void sendMail(const std::string&, const std::string&) override { }
};

} // namespace pc::service
