#include "pocket/icq/icq_messenger.h"

#include "platform/codepage.h"
#include "pocket/icq/contact_file.h"

namespace pocket::icq {

namespace {

constexpr std::uint16_t kFamilyBuddy = 0x03;
constexpr std::uint16_t kFamilyMessage = 0x04;
constexpr std::uint16_t kFamilyExtension = 0x15;
constexpr std::uint16_t kBuddyOnline = 0x0B;
constexpr std::uint16_t kBuddyOffline = 0x0C;
constexpr std::uint16_t kMessageIncoming = 0x07;
constexpr std::uint16_t kMessageAck = 0x0B;
constexpr std::uint16_t kMessageInk = 0x20;
constexpr std::uint16_t kExtensionAnswer = 0x03;

constexpr std::uint8_t kResultSuccess = 0x0A;
constexpr std::uint8_t kResultFailure = 0x32;
constexpr std::uint16_t kInfoOwnBasic = 0x00C8;
constexpr std::uint16_t kFoundOnline = 1;

bool isUserFound(std::uint16_t subtype)
{
    return subtype == 0x0190 || subtype == 0x019A || subtype == 0x01A4 || subtype == 0x01AE;
}

bool isLastUserAnswer(std::uint16_t subtype)
{
    return subtype == 0x019A || subtype == 0x01AE;
}

// The four texts of a basic-info answer, as sent; nothing when any of them
// is cut short.
struct BasicInfo {
    std::string nick;
    std::string firstName;
    std::string lastName;
    std::string email;
};

std::optional<BasicInfo> readBasicInfo(ByteReader& reader)
{
    auto nick = reader.lengthText16le();
    auto first = reader.lengthText16le();
    auto last = reader.lengthText16le();
    auto email = reader.lengthText16le();
    if (!nick || !first || !last || !email)
        return std::nullopt;
    return BasicInfo { std::move(*nick), std::move(*first), std::move(*last), std::move(*email) };
}

} // namespace

std::string withText(std::string_view pattern, std::string_view text)
{
    std::string out(pattern);
    for (std::string_view marker : { "%s", "%d" }) {
        if (auto at = out.find(marker); at != std::string::npos) {
            out.replace(at, marker.size(), text);
            break;
        }
    }
    return out;
}

IcqMessenger::IcqMessenger(IcqSession& session, MessengerPorts ports)
    : m_session(session)
    , m_ui(ports.ui)
    , m_page(ports.page)
    , m_deviceContacts(ports.deviceContacts)
    , m_mail(ports.mail)
    , m_tree(ports.tree)
    , m_windows(ports.windows)
    , m_infoPacer(ports.loop)
{
    m_session.setListener(this);
}

IcqMessenger::~IcqMessenger()
{
    m_session.setListener(nullptr);
}

std::string IcqMessenger::fromWire(std::string_view bytes) const
{
    return decodeLocalText(bytes, m_codePage);
}

std::string IcqMessenger::toWire(std::string_view text) const
{
    return platform::fromUtf8(text, m_codePage);
}

void IcqMessenger::onLoginStarting()
{
    m_windows.clear();
    m_infoSequence = 2;
    m_asked.clear();
    m_ownNick.clear();
    m_ownFirstName.clear();
    m_ownLastName.clear();
    m_ownEmail.clear();
}

std::vector<std::string> IcqMessenger::onSignedOn()
{
    m_contacts.clear();
    for (const auto& number : readContactNumbers(m_session.contactFile(), ContactList::kMaxContacts))
        m_contacts.add(number);
    m_tree.rebuild(m_contacts);
    redrawStatusLine();
    return m_contacts.numbers();
}

void IcqMessenger::onReset()
{
    m_infoPacer.stop();
    m_contacts.clear();
    m_tree.reset(m_contacts);
    redrawStatusLine();
}

void IcqMessenger::onSnac(const SnacHeader& header, std::string_view data)
{
    if (header.family == kFamilyBuddy && header.subtype == kBuddyOnline)
        onContactOnline(data);
    else if (header.family == kFamilyBuddy && header.subtype == kBuddyOffline)
        onContactOffline(data);
    else if (header.family == kFamilyMessage && header.subtype == kMessageIncoming)
        onIncomingMessage(data);
    else if (header.family == kFamilyMessage && header.subtype == kMessageInk)
        m_ui.messageBox("", messenger_text::kInkReceive, platform::Icon::None);
    else if (header.family == kFamilyExtension && header.subtype == kExtensionAnswer)
        onMetaAnswer(data);
    // 04,0B acknowledgements and everything else are not used.
    (void)kMessageAck;
}

void IcqMessenger::onContactOnline(std::string_view data)
{
    auto notice = readOnlineNotice(data);
    if (!notice)
        return;
    IcqContact* contact = m_contacts.find(notice->number);
    // An unknown number joins the list for this session only.
    if (!contact)
        contact = m_contacts.add(notice->number);
    if (!contact)
        return; // The list is full.
    contact->presenceSeen = true;
    contact->status = notice->status;
    contact->externalIp = notice->externalIp;
    contact->internalIp = notice->internalIp;
    contact->directPort = notice->port;
    contact->connectionType = notice->connectionType;
    contact->protocolVersion = notice->protocolVersion;
    contact->directCookie = notice->cookie;
    contactChanged(*contact);
}

void IcqMessenger::onContactOffline(std::string_view data)
{
    auto number = readOfflineNotice(data);
    IcqContact* contact = number ? m_contacts.find(*number) : nullptr;
    if (!contact)
        return;
    contact->presenceSeen = true;
    contact->status = kStatusOffline;
    contactChanged(*contact);
}

void IcqMessenger::contactChanged(IcqContact& contact)
{
    m_tree.redraw(contact);
    m_page.contactChanged(contact);
    if (auto slot = m_windows.find(contact.number))
        m_windows.view(*slot)->setTitle(windowTitle(contact.number, m_windows.isUnknownSender(*slot)));
}

void IcqMessenger::onIncomingMessage(std::string_view data)
{
    auto message = readIncomingMessage(data);
    if (!message)
        return;
    if (message->channel == 2) {
        const auto originalType = message->type;
        if (message->pluginName) {
            auto type = pluginType(*message->pluginName);
            if (!type)
                m_ui.messageBox(kIcqTitle, withText(messenger_text::kUnsupportedPlugin, *message->pluginName),
                    platform::Icon::Warning);
            message->type = type.value_or(0);
        }
        if (originalType < 0x80) {
            (void)m_session.sendFrame(buildMessageAck(m_session.sequence(), message->cookie, message->sender,
                message->sequence, originalType, message->flags));
        }
        if (message->pluginName && !pluginType(*message->pluginName))
            return;
    }
    handleMessage(std::move(*message));
}

void IcqMessenger::handleMessage(IncomingMessage message)
{
    if (isPenCarriage(message.body)) {
        if (m_pen)
            m_pen->onMessage(message.sender, message.body);
        return;
    }
    if (message.type == kTypeText) {
        showReceived(message.sender, decodeMessageText(message.body, message.charset, m_codePage));
    } else if (message.type == kTypeUrl) {
        showReceived(message.sender, fromWire(splitFields(messageText(message.body)).front()));
    } else if (!isSilentType(message.type)) {
        m_ui.messageBox(kIcqTitle, withText(messenger_text::kUnprocessedType, std::to_string(message.type)),
            platform::Icon::Warning);
    }
}

void IcqMessenger::showReceived(const std::string& sender, std::string_view text)
{
    const IcqContact* contact = m_contacts.find(sender);
    const std::string name = contact ? contact->displayName() : sender;
    const std::string shown(platform::cutCodePoints(text, kMaxShownChars));
    const std::string line = "\r\n" + name + " : " + shown;
    auto slot = m_windows.find(sender);
    if (!slot) {
        slot = m_windows.open(sender, contact == nullptr);
        if (!slot) {
            // Every window is taken: the message is shown rather than lost.
            m_ui.messageBox(kIcqTitle, line.substr(2), platform::Icon::Information);
            return;
        }
        m_windows.view(*slot)->setTitle(windowTitle(sender, contact == nullptr));
    }
    m_windows.view(*slot)->appendLog(line);
    m_windows.view(*slot)->messageReceived(sender, shown);
    m_windows.view(*slot)->bringUp();
}

std::string IcqMessenger::windowTitle(std::string_view number, bool unknownSender) const
{
    const IcqContact* contact = m_contacts.find(number);
    if (!contact || unknownSender)
        return "ICQ - " + std::string(number) + " (" + std::string(messenger_text::kUnknownOnlineUser) + ")";
    return "ICQ - " + contact->displayName() + " (" + std::string(statusText(contact->status)) + ")";
}

void IcqMessenger::onMetaAnswer(std::string_view data)
{
    auto answer = readMetaAnswer(data);
    if (!answer)
        return;
    if (answer->type == kMetaOfflineMessage) {
        if (auto message = readOfflineMessage(answer->body))
            handleMessage(std::move(*message));
    } else if (answer->type == kMetaEndOfOffline) {
        onEndOfOfflineMessages();
    } else if (answer->type == kMetaInfoAnswer) {
        onInfoAnswer(*answer);
    }
}

void IcqMessenger::onEndOfOfflineMessages()
{
    if (!m_session.sendFrame(buildDeleteOfflineMessages(m_session.sequence(), m_session.ownUin())))
        return;
    requestOwnInfo();
    m_infoPacer.start(m_contacts.numbers(), [this](const std::string& number) {
        requestInfo(number);
        return m_session.isOpen();
    });
}

void IcqMessenger::onInfoAnswer(const MetaAnswer& answer)
{
    ByteReader reader(answer.body);
    auto subtype = reader.u16le();
    auto result = reader.byte();
    if (!result)
        return;
    if (*result == kResultSuccess && *subtype == kInfoOwnBasic) {
        auto info = readBasicInfo(reader);
        if (!info)
            return;
        m_ownNick = fromWire(info->nick);
        m_ownFirstName = fromWire(info->firstName);
        m_ownLastName = fromWire(info->lastName);
        m_ownEmail = fromWire(info->email);
        m_tree.rebuild(m_contacts);
        redrawStatusLine();
    } else if (*result == kResultSuccess && isUserFound(*subtype)) {
        reader.skip(2);
        auto number = reader.u32le();
        IcqContact* contact = number ? m_contacts.find(std::to_string(*number)) : nullptr;
        if (!contact)
            return;
        auto info = readBasicInfo(reader);
        if (!info)
            return;
        contact->nick = fromWire(info->nick);
        contact->firstName = fromWire(info->firstName);
        contact->lastName = fromWire(info->lastName);
        contact->email = fromWire(info->email);
        (void)reader.byte(); // Authorization.
        // Then whether the user is online (1). Some servers send no 03,0B
        // for contacts already online at sign-on; this is how the handheld
        // learns of them.
        if (reader.u16le() == kFoundOnline && !contact->presenceSeen && contact->isOffline())
            contact->status = kStatusOnline;
        contactChanged(*contact);
    } else if (*result == kResultFailure && isLastUserAnswer(*subtype)) {
        onUserNotFound(answer.sequence);
    }
}

void IcqMessenger::onUserNotFound(std::uint16_t sequence)
{
    auto asked = m_asked.find(sequence);
    if (asked == m_asked.end())
        return;
    const AskedInfo info = asked->second;
    m_asked.erase(asked);
    // Servers in the wild answer "not found" for users who exist: a stored
    // contact is never deleted for it, and a just-added one only on the
    // user's word.
    if (!info.justAdded || !m_contacts.find(info.number))
        return;
    const std::string question
        = withText(messenger_text::kNoSuchUser, info.number) + std::string(messenger_text::kAskRemove);
    if (m_ui.question(kIcqTitle, question, platform::Buttons::OkCancel, platform::Icon::Question)
        == platform::Answer::Ok)
        removeContact(info.number);
}

void IcqMessenger::requestInfo(std::string_view number, bool justAdded)
{
    auto uin = parseUin(number);
    if (!uin)
        return;
    const auto sequence = m_infoSequence++;
    // Only the recent requests can still be answered.
    if (m_asked.size() >= ContactList::kMaxContacts * 2)
        m_asked.erase(m_asked.begin());
    m_asked[sequence] = { std::string(number), justAdded };
    (void)m_session.sendFrame(
        buildInfoRequest(m_session.sequence(), m_session.ownUin(), sequence, kMetaUserInfo, *uin));
}

void IcqMessenger::requestOwnInfo()
{
    const auto sequence = m_infoSequence++;
    (void)m_session.sendFrame(buildInfoRequest(m_session.sequence(), m_session.ownUin(), sequence, kMetaOwnInfo,
        m_session.ownUin()));
}

bool IcqMessenger::sendText(std::string_view number, std::string_view wireText)
{
    return m_session.sendFrame(buildTextMessage(m_session.sequence(), m_session.ownUin(), number, wireText));
}

bool IcqMessenger::sendCarriage(std::string_view number, std::string_view text)
{
    return sendText(number, text);
}

} // namespace pocket::icq
