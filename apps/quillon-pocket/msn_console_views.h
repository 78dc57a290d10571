#pragma once

// File: apps/quillon-pocket/msn_console_views.h
// The MSN page of the console front end, printed one event a line:
//   status<TAB>msn<TAB>TEXT                the status line, when it changes
//   contact<TAB>msn<TAB>EMAIL<TAB>STATUS<TAB>NAME   a contact drawn anew
//   msn-message<TAB>SLOT<TAB>FROM<TAB>TEXT  a text arrived in chat SLOT
//   info<TAB>msn<TAB>NAME<TAB>EMAIL<TAB>STATE       the information dialog
// Names and texts from the server or a peer are printed with their control
// characters escaped. The chat windows, the contact chooser and the pen
// editor take what the script set before the command. Window thread only.

#include "apps/quillon-pocket/console_pen.h"
#include "platform/event_loop.h"
#include "pocket/ink/ink_viewer.h"
#include "pocket/msn/msn_chat.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_pen_carriage.h"

#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace apps::pocket {

class MsnConsolePageView final : public ::pocket::msn::MsnPageView {
public:
    explicit MsnConsolePageView(std::ostream& out);

    void setStatusLine(std::string_view text) override;
    void resetTree() override { }
    void removePlaceholders() override { }
    ::pocket::msn::TreeItem insertItem(::pocket::msn::TreeRoot, std::string_view, int) override { return ++m_next; }
    void updateItem(::pocket::msn::TreeItem, std::string_view, int) override { }
    void deleteItem(::pocket::msn::TreeItem) override { }
    void setStatusBitmap(int) override { }
    ::pocket::msn::TreeItem selectedItem() const override { return selected; }
    std::optional<std::string> askText(const ::pocket::msn::TextRequest& request) override;
    void showContactInfo(const ::pocket::msn::ContactInfo& info) override;
    void contactChanged(const ::pocket::msn::MsnContact& contact) override;

    // The item the next contact command works on, and the entry the next
    // dialog returns.
    ::pocket::msn::TreeItem selected = 0;
    std::optional<std::string> nextEntry;
    const std::string& statusLine() const { return m_statusLine; }

private:
    std::ostream& m_out;
    std::string m_statusLine;
    ::pocket::msn::TreeItem m_next = 0;
};

// "contact msn EMAIL STATUS NAME": the contacts command prints the same line.
void printMsnContact(std::ostream& out, const ::pocket::msn::MsnContact& contact);

class MsnConsoleWindows final : public ::pocket::msn::ChatWindowHost,
                                public ::pocket::msn::PenEditorHost,
                                public ::pocket::ink::InkViewerHost,
                                public platform::MessageTarget {
public:
    MsnConsoleWindows(std::ostream& out, platform::EventLoop& loop, platform::Ui& ui);
    ~MsnConsoleWindows() override;
    // The carriage that hears when an editor closes.
    void setCarriage(::pocket::msn::MsnPenCarriage* carriage) { m_carriage = carriage; }

    std::unique_ptr<::pocket::msn::ChatView> createChatWindow(int slot) override;
    std::optional<std::string> chooseContact(
        std::string_view caption, const ::pocket::msn::MsnContactTable& contacts) override;
    ::pocket::ink::InkComposer* createPenEditor(
        const ::pocket::ink::ComposerSetup& setup, ::pocket::ink::PenCarriage& carriage) override;
    // Received pen messages are printed when they are filed; their viewer
    // windows draw nothing.
    std::unique_ptr<::pocket::ink::InkViewerView> createViewerView(int slot) override;
    platform::LResult onMessage(int msg, platform::WParam, platform::LParam) override;

    // The open pen editor, if any.
    ::pocket::ink::InkComposer* editor() { return m_composer.get(); }
    // Closes an open editor while its carriage is still there.
    void closeEditor() { release(); }

    // The input of the next Send, and the contact the next Invite chooses.
    std::map<int, std::string> inputs;
    std::optional<std::string> nextChoice;

private:
    static constexpr int kMsgEditorClosed = 1;
    void release();

    std::ostream& m_out;
    platform::EventLoop& m_loop;
    platform::Ui& m_ui;
    ::pocket::msn::MsnPenCarriage* m_carriage = nullptr;
    std::unique_ptr<ConsoleComposerView> m_composerView;
    std::unique_ptr<::pocket::ink::InkComposer> m_composer;
};

} // namespace apps::pocket
