#pragma once

// File: apps/quillon-pocket/icq_console_views.h
// The ICQ page of the console front end: the status line, the contact tree,
// the message windows and the page's dialogs, as console lines. A script
// sets what the next dialog answers before the command that opens it.
// Window thread only.

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

class ConsoleIcqViews final : public ::pocket::icq::IcqPageView,
                              public ::pocket::icq::SessionStatusView,
                              public ::pocket::icq::ContactTreeView,
                              public ::pocket::icq::MessageWindowHost,
                              public ::pocket::icq::PenEditorHost,
                              public ::pocket::icq::IcqPageDialogs {
public:
    explicit ConsoleIcqViews(std::ostream& out);

    // IcqPageView and SessionStatusView: kept, not printed.
    void setStatusLine(std::string_view text) override { statusLine = text; }
    void setOwnStatusBitmap(int) override { }
    void setStatusText(std::string_view text) override { setStatusLine(text); }

    // ContactTreeView.
    void resetRoots() override { }
    void setPlaceholder(::pocket::icq::TreeGroup, bool) override { }
    void insertItem(::pocket::icq::TreeGroup, int, std::string_view, int) override { }
    void updateItem(int, std::string_view, int) override { }
    void removeItem(int) override { }

    // MessageWindowHost.
    std::unique_ptr<::pocket::icq::MessageWindowView> createMessageWindow(int slot) override;
    // PenEditorHost: the console draws no ink.
    std::unique_ptr<::pocket::ink::InkComposerView> createComposerView() override { return nullptr; }

    // IcqPageDialogs: what the script set.
    std::optional<std::string> askContactNumber() override { return std::exchange(nextNumber, std::nullopt); }
    std::optional<::pocket::icq::BroadcastRequest> askBroadcast(const ::pocket::icq::ContactList&) override
    {
        return std::exchange(nextBroadcast, std::nullopt);
    }
    void showContactInfo(const ::pocket::icq::ContactInfo& info) override;

    std::string statusLine;
    std::optional<std::string> nextNumber;
    std::optional<::pocket::icq::BroadcastRequest> nextBroadcast;

private:
    std::ostream& m_out;
};

} // namespace apps::pocket
