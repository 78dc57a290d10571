#pragma once

// File: apps/quillon-pocket/icq_console_views.h
// The ICQ page of the console front end, printed one event a line:
//   status<TAB>icq<TAB>TEXT                 the status line, when it changes
//   contact<TAB>icq<TAB>NUMBER<TAB>STATUS<TAB>NAME  a contact's presence changed
//   icq-message<TAB>NUMBER<TAB>TEXT          a contact's text arrived
//   info<TAB>icq<TAB>TITLE<TAB>NICK<TAB>EMAIL<TAB>STATE  the information dialog
// Names and texts from the server or a peer are printed with their control
// characters escaped. The page's dialogs answer what the script set before
// the command. Window thread only.

#include "apps/quillon-pocket/console_pen.h"
#include "pocket/icq/contact_tree.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_page.h"
#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/icq/icq_session.h"
#include "pocket/icq/message_windows.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace apps::pocket {

// The word of an ICQ status for scripts: online, away, na, occupied, dnd,
// chat, invisible, offline.
std::string_view icqStatusWord(std::uint32_t status);
// "contact icq NUMBER STATUS NAME": the contacts command prints the same line.
void printIcqContact(std::ostream& out, const ::pocket::icq::IcqContact& contact);

class ConsoleIcqViews final : public ::pocket::icq::IcqPageView,
                              public ::pocket::icq::SessionStatusView,
                              public ::pocket::icq::ContactTreeView,
                              public ::pocket::icq::MessageWindowHost,
                              public ::pocket::icq::PenEditorHost,
                              public ::pocket::icq::IcqPageDialogs {
public:
    explicit ConsoleIcqViews(std::ostream& out);

    // IcqPageView and SessionStatusView.
    void setStatusLine(std::string_view text) override;
    void setOwnStatusBitmap(int) override { }
    void contactChanged(const ::pocket::icq::IcqContact& contact) override;
    void setStatusText(std::string_view text) override { setStatusLine(text); }

    // ContactTreeView: presence is printed by contactChanged().
    void resetRoots() override { }
    void setPlaceholder(::pocket::icq::TreeGroup, bool) override { }
    void insertItem(::pocket::icq::TreeGroup, int, std::string_view, int) override { }
    void updateItem(int, std::string_view, int) override { }
    void removeItem(int) override { }

    // MessageWindowHost.
    std::unique_ptr<::pocket::icq::MessageWindowView> createMessageWindow(int slot) override;
    // PenEditorHost: the editor's window draws nothing.
    std::unique_ptr<::pocket::ink::InkComposerView> createComposerView() override;

    // IcqPageDialogs: what the script set.
    std::optional<std::string> askContactNumber() override { return std::exchange(nextNumber, std::nullopt); }
    std::optional<::pocket::icq::BroadcastRequest> askBroadcast(const ::pocket::icq::ContactList&) override
    {
        return std::exchange(nextBroadcast, std::nullopt);
    }
    void showContactInfo(const ::pocket::icq::ContactInfo& info) override;

    std::optional<std::string> nextNumber;
    std::optional<::pocket::icq::BroadcastRequest> nextBroadcast;

private:
    std::ostream& m_out;
    std::string m_statusLine;
};

} // namespace apps::pocket
