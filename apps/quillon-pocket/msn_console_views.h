#pragma once

// File: apps/quillon-pocket/msn_console_views.h
// The MSN console's views: the page, chat windows, pen viewers and the pen
// editor host, each printing what it is told as console lines.

#include "pocket/ink/ink_viewer.h"
#include "pocket/msn/msn_chat.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_pen_carriage.h"

#include <deque>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>

namespace apps::pocket {

class MsnConsolePageView final : public ::pocket::msn::MsnPageView {
public:
    explicit MsnConsolePageView(std::ostream& out);

    void setStatusLine(std::string_view text) override;
    void resetTree() override { m_items.clear(); }
    void removePlaceholders() override { }
    ::pocket::msn::TreeItem insertItem(
        ::pocket::msn::TreeRoot root, std::string_view text, int image) override;
    void updateItem(::pocket::msn::TreeItem item, std::string_view text, int image) override;
    void deleteItem(::pocket::msn::TreeItem item) override { m_items.erase(item); }
    void setStatusBitmap(int) override { }
    ::pocket::msn::TreeItem selectedItem() const override { return selected; }
    std::optional<std::string> askText(const ::pocket::msn::TextRequest& request) override;
    void showContactInfo(const ::pocket::msn::ContactInfo& info) override;

    // The item the next contact command works on, and the entry the next
    // dialog returns.
    ::pocket::msn::TreeItem selected = 0;
    std::optional<std::string> nextEntry;

private:
    std::ostream& m_out;
    std::map<::pocket::msn::TreeItem, std::string> m_items;
    ::pocket::msn::TreeItem m_next = 0;
};

class MsnConsoleWindows final : public ::pocket::msn::ChatWindowHost,
                                public ::pocket::msn::PenEditorHost,
                                public ::pocket::ink::InkViewerHost {
public:
    explicit MsnConsoleWindows(std::ostream& out);

    std::unique_ptr<::pocket::msn::ChatView> createChatWindow(int slot) override;
    std::optional<std::string> chooseContact(
        std::string_view caption, const ::pocket::msn::MsnContactTable& contacts) override;
    // The console draws no ink: pen messages can be received, not written.
    ::pocket::ink::InkComposer* createPenEditor(
        const ::pocket::ink::ComposerSetup&, ::pocket::ink::PenCarriage&) override
    {
        return nullptr;
    }
    std::unique_ptr<::pocket::ink::InkViewerView> createViewerView(int slot) override;

    // The input of the next Send, and the contact the next Invite chooses.
    std::map<int, std::string> inputs;
    std::optional<std::string> nextChoice;

private:
    std::ostream& m_out;
};

} // namespace apps::pocket
