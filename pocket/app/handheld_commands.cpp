// The user's commands of the handheld, each kind through its table: the
// frame's menus, the main dialog's buttons, the messenger pages' menus and
// the My PC menus.

#include "pocket/app/handheld.h"

#include "pocket/app/frame_layout.h"

#include <algorithm>

namespace pocket::app {

struct Handheld::ButtonEntry {
    int id;
    void (*run)(Handheld& handheld);
};

const Handheld::ButtonEntry Handheld::kButtons[] = {
    // "화면변경" of the My PC and e-mail views.
    { kScreenChangePc, [](Handheld& h) { h.m_frame->toggleScreen(); } },
    { kScreenChangeMail, [](Handheld& h) { h.m_frame->toggleScreen(); } },
    // The web tab: "View" and "Doc" switch between the page view and the
    // document view.
    { kWebViewButton, [](Handheld& h) { h.m_web->viewer.showPageView(); } },
    { kDocButton, [](Handheld& h) { h.m_web->viewer.showDocumentView(); } },
    { kGoButton, [](Handheld& h) { h.m_web->viewer.go(); } },
    { kStopButton, [](Handheld& h) { h.m_web->viewer.stop(); } },
    { kRefreshButton, [](Handheld& h) { h.m_web->viewer.refresh(); } },
    { kHomeButton, [](Handheld& h) { h.m_web->viewer.home(); } },
    { kSaveButton, [](Handheld& h) { h.m_web->viewer.savePage(); } },
    // "P" and "N": the pages of the search results on their screen, else
    // of the web view (the pages opened, or the document's).
    { kPrevPageButton, [](Handheld& h) { h.turnPage(-1); } },
    { kNextPageButton, [](Handheld& h) { h.turnPage(1); } },
    // The My PC view between its tree and the search results.
    { kResultsSwitch,
        [](Handheld& h) {
            const bool results = h.m_frame->screen(kViewMyPc) == Screen::Results;
            h.m_frame->showScreen(kViewMyPc, results ? Screen::Main : Screen::Results);
        } },
    // The e-mail tab.
    { kMailRefresh, [](Handheld& h) { h.m_mail->box.check(); } },
    { kMailView, [](Handheld& h) { h.readSelectedMail(); } },
    { kMailDelete, [](Handheld& h) { h.deleteSelectedMail(); } },
    { kMailSave, [](Handheld& h) { h.m_mail->reader.storeInInbox(); } },
    { kMailListTab, [](Handheld& h) { h.showMailScreen(false); } },
    { kMailContentTab, [](Handheld& h) { h.showMailScreen(true); } },
    { kMailWrite, [](Handheld& h) { h.m_views.dialogs.showComposer(); } },
    // The header box of the mail content, shown or hidden.
    { kMailHeaderToggle,
        [](Handheld& h) { h.m_frame->setControlHidden(kMailHeader, !h.m_frame->isControlHidden(kMailHeader)); } },
};

bool Handheld::onMenuCommand(int id)
{
    return m_frame->onCommand(id);
}

bool Handheld::onButton(int id)
{
    if (viewOfButton(id) != 0) {
        m_frame->onViewButton(id);
        return true;
    }
    const auto* entry = std::find_if(std::begin(kButtons), std::end(kButtons), [id](const auto& e) { return e.id == id; });
    if (entry == std::end(kButtons))
        return false;
    entry->run(*this);
    return true;
}

void Handheld::onMsnCommand(int id)
{
    // The account may have changed in the options since the last command.
    m_msn->session.setAccount({ m_settings.msnId, m_settings.msnPassword });
    m_msn->page.onCommand(id);
}

void Handheld::signOnMessenger(int view, bool signOn)
{
    if (view == kViewMsn)
        onMsnCommand(signOn ? msn::command::kLogin : msn::command::kLogout);
    else if (view == kViewIcq)
        (void)onIcqCommand(signOn ? icq::command::kConnect : icq::command::kLogout, {});
}

MessengerState Handheld::messengerState(int view) const
{
    if (view == kViewMsn) {
        const auto& session = m_msn->session;
        if (session.ownStatus() >= 0)
            return MessengerState::Online;
        return session.isSigningOn() ? MessengerState::SigningOn : MessengerState::Offline;
    }
    if (view == kViewIcq) {
        const auto& session = m_icq->session;
        if (session.state() == icq::SessionState::Idle)
            return MessengerState::Offline;
        return session.isSignedOn() ? MessengerState::Online : MessengerState::SigningOn;
    }
    return MessengerState::Offline;
}

bool Handheld::onIcqCommand(int id, std::string_view selected)
{
    if (!m_icq->page.onCommand(id, selected))
        return false;
    // "펜 메세지" may have opened the carriage's editor.
    if (id == icq::command::kPenMessage) {
        if (auto* editor = m_icq->pen.editor())
            m_views.dialogs.showIcqPenEditor(*editor);
    }
    return true;
}

void Handheld::onIcqWindowPen(int slot)
{
    const bool wasOpen = m_icq->pen.editor() != nullptr;
    m_icq->messenger.onWindowPen(slot);
    if (auto* editor = m_icq->pen.editor(); editor && !wasOpen)
        m_views.dialogs.showIcqPenEditor(*editor);
}

void Handheld::onMyPcCommand(mypc::TreeItem& item, mypc::TreeCommand command)
{
    m_mypc->tab.onCommand(item, command);
}

void Handheld::onSearchResultCommand(const mypc::SearchRow& row, mypc::TreeCommand command)
{
    m_mypc->tab.onResultCommand(row, command);
}

void Handheld::onProgressCancel()
{
    (void)m_mypc->tab.cancelPressed();
}

const mail::MailListEntry* Handheld::selectedMail()
{
    const std::string name = m_views.mail.selectedMail();
    if (name.empty())
        return nullptr;
    const auto& rows = m_mail->box.rows();
    auto found = std::find_if(rows.begin(), rows.end(), [&](const auto& row) { return row.name == name; });
    return found == rows.end() ? nullptr : &*found;
}

void Handheld::readSelectedMail()
{
    m_mail->reader.read(selectedMail());
}

void Handheld::deleteSelectedMail()
{
    if (const auto* entry = selectedMail())
        m_mail->box.deleteMail(*entry);
}

void Handheld::turnPage(int step)
{
    if (m_frame->screen(kViewMyPc) == Screen::Results) {
        if (step < 0)
            m_mypc->search.previous();
        else
            m_mypc->search.next();
        return;
    }
    if (step < 0)
        m_web->viewer.previousPage();
    else
        m_web->viewer.nextPage();
}

void Handheld::chooseMailFormat(int format)
{
    if (format == m_settings.mailFormat)
        return;
    m_settings.mailFormat = format;
    (void)m_store.storeMailFormat(m_settings);
}

void Handheld::showMailScreen(bool content)
{
    m_frame->showScreen(kViewMail, content ? Screen::Alternate : Screen::Main);
}

} // namespace pocket::app
