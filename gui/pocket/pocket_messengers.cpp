#include "gui/pocket/pocket_messengers.h"

#include "gui/ink/qt_ink_composer_window.h"
#include "gui/pocket/qt_icq_tree.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/qt_msn_chat_window.h"
#include "gui/pocket/qt_msn_tree.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "pocket/app/frame_router.h"
#include "pocket/device/contact_store.h"
#include "pocket/icq/desktop_mail_composer.h"
#include "pocket/icq/icq_link.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/icq/icq_session.h"
#include "pocket/ink/ink_composer.h"
#include "pocket/ink/pen_inbox.h"
#include "pocket/link/socket_client.h"
#include "pocket/msn/msn_chats.h"
#include "pocket/msn/msn_page.h"
#include "pocket/msn/msn_pen_carriage.h"
#include "pocket/msn/msn_session.h"
#include "pocket/msn/socket_msn_link.h"
#include "pocket/settings/pda_settings.h"

#include <QEvent>
#include <QPointer>

#include <optional>
#include <random>

namespace gui::handheld {

namespace app = ::pocket::app;
namespace link = ::pocket::link;
namespace settings = ::pocket::settings;
namespace msn = ::pocket::msn;
namespace icq = ::pocket::icq;

namespace {

    // The device's contact store as the ICQ messenger sees it.
    class DeviceContactsAdapter final : public icq::DeviceContacts {
    public:
        explicit DeviceContactsAdapter(::pocket::device::ContactStore& store)
            : m_store(store)
        {
        }
        bool addContact(const icq::DeviceContact& c) override
        {
            return m_store.addContact(
                { c.email, c.firstName, c.lastName, c.displayFirst, c.displayLast }, c.network);
        }

    private:
        ::pocket::device::ContactStore& m_store;
    };

    // The pen editor's windows; the last one made is shown once its composer exists.
    class ComposerWindows final : public icq::PenEditorHost {
    public:
        explicit ComposerWindows(platform::Clock& clock)
            : m_clock(clock)
        {
        }
        std::unique_ptr<::pocket::ink::InkComposerView> createComposerView() override
        {
            auto window = std::make_unique<gui::ink::QtInkComposerWindow>(m_clock);
            m_last = window.get();
            return window;
        }
        // Called after the carriage opened its editor.
        void showEditor(::pocket::ink::InkComposer* composer)
        {
            if (!composer || !m_last)
                return;
            m_last->setComposer(composer);
            m_last->show();
            m_last->raise();
        }

    private:
        platform::Clock& m_clock;
        QPointer<gui::ink::QtInkComposerWindow> m_last;
    };

    // The MSN pen editor: one composer window at a time, owned here while it is
    // open. When the window hides, the carriage hears of it and both go, after
    // the call that closed it has returned.
    class MsnPenEditors final : public QObject, public msn::PenEditorHost, public platform::MessageTarget {
    public:
        static constexpr int kMsgEditorClosed = 1;

        MsnPenEditors(platform::EventLoop& loop, platform::Clock& clock, platform::Ui& ui)
            : m_loop(loop)
            , m_clock(clock)
            , m_ui(ui)
        {
        }
        ~MsnPenEditors() override { release(); }
        void setCarriage(msn::MsnPenCarriage* carriage) { m_carriage = carriage; }

        ::pocket::ink::InkComposer* createPenEditor(
            const ::pocket::ink::ComposerSetup& setup, ::pocket::ink::PenCarriage& carriage) override
        {
            release();
            m_window = std::make_unique<gui::ink::QtInkComposerWindow>(m_clock);
            m_composer
                = std::make_unique<::pocket::ink::InkComposer>(setup, *m_window, m_ui, carriage, m_loop);
            m_window->setComposer(m_composer.get());
            m_window->installEventFilter(this);
            m_window->show();
            return m_composer.get();
        }

        platform::LResult onMessage(int msg, platform::WParam, platform::LParam) override
        {
            if (msg == kMsgEditorClosed && m_window && m_window->isHidden())
                release();
            return 0;
        }

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Hide && m_window && watched == m_window.get())
                m_loop.post(this, kMsgEditorClosed);
            return false;
        }

    private:
        void release()
        {
            if (!m_composer)
                return;
            if (m_carriage)
                m_carriage->onEditorClosed();
            m_window->removeEventFilter(this);
            m_composer.reset();
            m_window.reset();
        }

        platform::EventLoop& m_loop;
        platform::Clock& m_clock;
        platform::Ui& m_ui;
        msn::MsnPenCarriage* m_carriage = nullptr;
        std::unique_ptr<gui::ink::QtInkComposerWindow> m_window;
        std::unique_ptr<::pocket::ink::InkComposer> m_composer;
    };

    struct HostSetting {
        std::string host = "localhost";
        std::optional<std::uint16_t> port;
    };

    // "HOST" or "HOST:PORT".
    HostSetting hostSetting(platform::Registry& registry, const char* name)
    {
        HostSetting setting;
        auto value = registry.getString(settings::kSettingsKey, name);
        if (!value || value->empty())
            return setting;
        setting.host = *value;
        const auto colon = value->rfind(':');
        if (colon != std::string::npos && colon + 1 < value->size()) {
            const std::string digits = value->substr(colon + 1);
            if (digits.size() <= 5 && digits.find_first_not_of("0123456789") == std::string::npos) {
                const unsigned long port = std::stoul(digits);
                if (port > 0 && port <= 65535) {
                    setting.host = value->substr(0, colon);
                    setting.port = static_cast<std::uint16_t>(port);
                }
            }
        }
        return setting;
    }

} // namespace

struct PocketMessengers::Parts {
    Parts(platform::EventLoop& loop, platform::Clock& clock, platform::Ui& ui, platform::Registry& registry,
        settings::PdaSettings& settings, std::filesystem::path deviceRoot, QtMainDialog& dialog,
        ::pocket::ink::PenInbox& inbox)
        : loop(loop)
        , ui(ui)
        , registry(registry)
        , settings(settings)
        , deviceRoot(std::move(deviceRoot))
        , dialog(dialog)
        , inbox(inbox)
        , receptions(this->deviceRoot)
        , composers(clock)
        , msnEditors(loop, clock, ui)
        , msnLinks(loop, ui)
        , contacts(this->deviceRoot, ui)
        , deviceContacts(contacts)
        , icqClient(loop, ui)
    {
    }

    platform::EventLoop& loop;
    platform::Ui& ui;
    platform::Registry& registry;
    settings::PdaSettings& settings;
    std::filesystem::path deviceRoot;
    QtMainDialog& dialog;
    ::pocket::ink::PenInbox& inbox;
    ::pocket::ink::PenReceptions receptions;
    ComposerWindows composers;
    MsnPenEditors msnEditors;
    QtMsnChatWindows chatWindows;

    msn::SocketMsnLinkFactory msnLinks;
    ::pocket::device::ContactStore contacts;
    msn::XdgMailLauncher msnMail;
    std::unique_ptr<msn::MsnSession> msnSession;
    std::unique_ptr<QtMsnTree> msnTree;
    std::unique_ptr<msn::MsnPage> msnPage;
    std::unique_ptr<msn::MsnChats> msnChats;
    std::unique_ptr<msn::MsnPenCarriage> msnPen;

    DeviceContactsAdapter deviceContacts;
    icq::DesktopMailComposer icqMail;
    link::SocketClient icqClient;
    std::unique_ptr<icq::SocketIcqLink> icqLink;
    std::unique_ptr<QtIcqTree> icqTree;
    std::unique_ptr<icq::IcqSession> icqSession;
    std::unique_ptr<icq::IcqMessenger> icqMessenger;
    std::unique_ptr<icq::IcqPenCarriage> icqPen;
    std::mt19937 random { std::random_device {}() };
};

PocketMessengers::PocketMessengers(platform::EventLoop& loop, platform::Clock& clock, platform::Ui& ui,
    platform::Registry& registry, settings::PdaSettings& settings, std::filesystem::path deviceRoot,
    QtMainDialog& dialog, ::pocket::ink::PenInbox& inbox)
    : m_parts(
        std::make_unique<Parts>(loop, clock, ui, registry, settings, std::move(deviceRoot), dialog, inbox))
{
}

PocketMessengers::~PocketMessengers()
{
    if (!m_prepared)
        return;
    // The messenger listens to the session, the session reads the link.
    Parts& p = *m_parts;
    p.icqSession->setListener(nullptr);
    p.icqMessenger->setPenCarriage(nullptr);
    p.icqPen.reset();
    p.icqMessenger.reset();
    p.icqSession.reset();
    p.icqLink.reset();
    p.msnSession->setSwitchboardHandler(nullptr);
    p.msnPage->setChatStarter(nullptr);
    p.msnEditors.setCarriage(nullptr);
    p.msnChats->setPenCarriage(nullptr);
    p.msnPen.reset();
    p.chatWindows.setChats(nullptr);
    p.msnChats.reset();
    p.msnPage.reset();
    p.msnSession.reset();
}

void PocketMessengers::prepare(app::FrameRouter& router)
{
    if (m_prepared)
        return;
    m_prepared = true;
    Parts& p = *m_parts;

    msn::MsnConfig msnConfig;
    const auto msnHost = hostSetting(p.registry, kMsnServerValue);
    msnConfig.dispatchHost = msnHost.host;
    msnConfig.port = msnHost.port.value_or(msnConfig.port);
    p.msnSession = std::make_unique<msn::MsnSession>(p.loop, p.ui, p.msnLinks, msnConfig);
    p.msnSession->setAccount({ p.settings.msnId, p.settings.msnPassword });
    p.msnTree = std::make_unique<QtMsnTree>(*p.dialog.msnTree(), *p.msnSession);
    p.msnPage
        = std::make_unique<msn::MsnPage>(*p.msnSession, *p.msnTree, p.ui, p.loop, p.contacts, p.msnMail);
    p.msnTree->setPage(p.msnPage.get());
    p.msnTree->beforeCommand = [&p] {
        p.msnSession->setAccount({ p.settings.msnId, p.settings.msnPassword });
    };
    // The session tells the page what changed through the main dialog.
    p.msnSession->setPage(&router, p.msnTree.get());
    router.forward(msn::msg::kRedraw, msn::msg::kRedraw, *p.msnPage);
    router.forward(msn::msg::kDeleteContact, msn::msg::kCopyToContacts, *p.msnPage);
    // Chats and pen messages over MSN switchboards.
    p.msnChats = std::make_unique<msn::MsnChats>(
        msn::ChatContext { p.loop, p.ui, p.msnLinks, *p.msnSession, p.chatWindows, nullptr, msnConfig.port });
    p.chatWindows.setChats(p.msnChats.get());
    p.msnSession->setSwitchboardHandler(p.msnChats.get());
    p.msnPage->setChatStarter(p.msnChats.get());
    p.msnPen = std::make_unique<msn::MsnPenCarriage>(*p.msnChats, *p.msnSession, p.msnEditors, p.receptions,
        p.inbox, p.ui, msn::PenSetup { p.deviceRoot });
    p.msnChats->setPenCarriage(p.msnPen.get());
    p.msnEditors.setCarriage(p.msnPen.get());
    p.msnPage->initialise();

    icq::SessionSetup setup;
    const auto icqHost = hostSetting(p.registry, kIcqServerValue);
    setup.loginHost = icqHost.host;
    setup.loginPort = icqHost.port.value_or(setup.loginPort);
    setup.deviceRoot = p.deviceRoot;
    setup.random = [&p] { return static_cast<std::uint16_t>(p.random() & 0xffff); };
    // The ICQ link reports to the main dialog, which hands 5025 and 5026 on.
    p.icqLink = std::make_unique<icq::SocketIcqLink>(p.icqClient, router);
    p.icqTree = std::make_unique<QtIcqTree>(*p.dialog.icqTree());
    p.icqSession = std::make_unique<icq::IcqSession>(setup, *p.icqLink, p.ui, *p.icqTree, p.loop);
    p.icqMessenger = std::make_unique<icq::IcqMessenger>(*p.icqSession,
        icq::MessengerPorts {
            p.ui, *p.icqTree, *p.icqTree, *p.icqTree, p.deviceContacts, p.icqMail, p.loop });
    p.icqSession->setListener(p.icqMessenger.get());
    p.icqPen = std::make_unique<icq::IcqPenCarriage>(icq::PenCarriageSetup { p.deviceRoot, {} },
        *p.icqMessenger, p.composers, p.receptions, p.inbox, p.ui, p.loop);
    p.icqMessenger->setPenCarriage(p.icqPen.get());
    p.icqTree->setMessenger(p.icqMessenger.get());
    p.icqTree->account = [&p] { return std::pair { p.settings.icqId, p.settings.icqPassword }; };
    p.icqTree->penOpened = [&p] { p.composers.showEditor(p.icqPen->editor()); };
    router.forward(link::kMsgIcqReadable, link::kMsgIcqClosed, *p.icqSession);
    p.icqTree->resetRoots();
    p.icqMessenger->redrawStatusLine();
}

void PocketMessengers::setCodePage(const std::string& codePage)
{
    if (m_prepared)
        m_parts->icqMessenger->setCodePage(codePage);
}

void PocketMessengers::close()
{
    if (!m_prepared)
        return;
    if (m_parts->msnSession->isOnline())
        m_parts->msnSession->logout();
    m_parts->icqSession->reset();
}

void PocketMessengers::setMsnStatusLine(const std::string& text)
{
    if (m_prepared)
        m_parts->msnTree->setStatusLine(text);
}

void PocketMessengers::signOutMsn()
{
    if (m_prepared && m_parts->msnSession->isOnline())
        m_parts->msnSession->logout();
}

void PocketMessengers::resetIcq()
{
    if (m_prepared)
        m_parts->icqSession->reset();
}

msn::MsnSession* PocketMessengers::msnSession()
{
    return m_parts->msnSession.get();
}

icq::IcqSession* PocketMessengers::icqSession()
{
    return m_parts->icqSession.get();
}

icq::IcqMessenger* PocketMessengers::icqMessenger()
{
    return m_parts->icqMessenger.get();
}

QtMsnTree* PocketMessengers::msnTree()
{
    return m_parts->msnTree.get();
}

QtIcqTree* PocketMessengers::icqTree()
{
    return m_parts->icqTree.get();
}

} // namespace gui::handheld
