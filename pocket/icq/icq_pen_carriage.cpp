#include "pocket/icq/icq_pen_carriage.h"

#include "pocket/icq/icq_title.h"
#include "pocket/ink/ink_paths.h"

#include <algorithm>

namespace pocket::icq {

namespace {

constexpr char kMark = 0x07;
constexpr char kStart = '0';
constexpr char kChunk = '1';
constexpr char kEnd = '2';
constexpr char kCancel = '3';
constexpr char kProbe = '4';
constexpr char kReady = '6';
constexpr char kChunkTaken = '7';
constexpr char kCapable = '8';

// The star of the probe text, in CP949, as peers expect it.
constexpr std::string_view kProbeStar = "\xA1\xDA";

} // namespace

bool isPenCarriage(std::string_view body)
{
    return body.size() >= 2 && body[0] == kMark && body[1] == kMark;
}

IcqPenCarriage::IcqPenCarriage(PenCarriageSetup setup, CarriageSender& sender, PenEditorHost& editors,
    ink::PenReceptions& receptions, ink::PenInbox& inbox, platform::Ui& ui, platform::EventLoop& loop)
    : m_setup(std::move(setup))
    , m_sender(sender)
    , m_editors(editors)
    , m_receptions(receptions)
    , m_inbox(inbox)
    , m_ui(ui)
    , m_loop(loop)
{
    // A probe without an address would tell the peer to "visit ." and no more.
    if (m_setup.webAddress.empty())
        m_setup.webAddress = ink::kDefaultPenAddress;
}

IcqPenCarriage::~IcqPenCarriage() = default;

bool IcqPenCarriage::isEditorOpen() const
{
    return m_composer && !m_composer->isClosed();
}

bool IcqPenCarriage::openEditor(std::string_view peer, std::string_view ownNumber)
{
    if (isEditorOpen()) {
        m_ui.messageBox(kIcqTitle, pen_text::kAlreadyWriting, platform::Icon::Warning);
        return false;
    }
    closeFile();
    m_sending = false;
    m_peer = std::string(peer);
    m_composer.reset();
    m_composerView = m_editors.createComposerView();
    if (!m_composerView)
        return false;
    ink::ComposerSetup setup { ink::Network::Icq, m_peer, std::string(ownNumber), m_setup.deviceRoot };
    m_composer = std::make_unique<ink::InkComposer>(std::move(setup), *m_composerView, m_ui, *this, m_loop);
    m_composer->open();
    return true;
}

void IcqPenCarriage::reset()
{
    if (isEditorOpen())
        m_composer->onQuit();
}

void IcqPenCarriage::sendMessage(std::string_view number, char digit, std::string_view data)
{
    std::string text { kMark, kMark, digit };
    text += data;
    (void)m_sender.sendCarriage(number, text);
    // Every carriage message but the probe restarts the editor's answer
    // timer; the editor keeps it only while it is sending.
    if (digit != kProbe && isEditorOpen())
        m_composer->restartAnswerTimer();
}

bool IcqPenCarriage::isPenPeer(std::string_view sender) const
{
    return isEditorOpen() && sender == m_peer;
}

void IcqPenCarriage::probe(std::string_view peerId)
{
    std::string text(kProbeStar);
    text += pen_text::kProbeInvitation;
    text += m_setup.webAddress;
    text += '.';
    sendMessage(peerId, kProbe, text);
}

void IcqPenCarriage::cancelProbe()
{
    m_sending = false;
}

void IcqPenCarriage::send(std::string_view peerId, const ink::StoredInk& ink)
{
    m_peer = std::string(peerId);
    m_ink = ink;
    m_sending = true;
    m_bytesSent = 0;
    closeFile();
    sendMessage(peerId, kStart);
}

void IcqPenCarriage::cancelSend()
{
    if (m_sending)
        sendMessage(m_peer, kCancel);
    m_sending = false;
    closeFile();
}

void IcqPenCarriage::closeFile()
{
    if (m_file.is_open())
        m_file.close();
    m_file.clear();
}

bool IcqPenCarriage::reopenAt(std::uint64_t offset)
{
    closeFile();
    if (!m_ink)
        return false;
    m_file.open(m_ink->hostPath, std::ios::binary);
    if (!m_file)
        return false;
    std::error_code error;
    m_fileSize = std::filesystem::file_size(m_ink->hostPath, error);
    if (error)
        m_fileSize = 0;
    m_file.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(m_file);
}

void IcqPenCarriage::sendNextChunk()
{
    if (!m_sending || !isEditorOpen())
        return;
    // The first chunk is read after "Ready"; a failure there has its own title.
    const bool first = m_bytesSent == 0;
    const std::string_view title = first ? ink::composer_text::kSendFailedTitle : std::string_view("Quillon");
    char buffer[kPenChunkBytes];
    for (;;) {
        m_file.read(buffer, sizeof buffer);
        const auto got = static_cast<std::size_t>(m_file.gcount());
        if (!m_file.bad()) {
            if (got == 0) {
                sendMessage(m_peer, kEnd);
                closeFile();
                m_sending = false;
                m_composer->onSent();
                return;
            }
            m_bytesSent += got;
            m_file.clear(m_file.rdstate() & ~std::ios::failbit & ~std::ios::eofbit);
            sendMessage(m_peer, kChunk, std::string_view(buffer, got));
            m_composer->onProgress(m_bytesSent, m_fileSize);
            return;
        }
        closeFile();
        if (!m_composer->askResend(title)) {
            m_sending = false;
            return;
        }
        if (!reopenAt(m_bytesSent)) {
            m_sending = false;
            m_composer->onReopenFailed(title);
            return;
        }
    }
}

void IcqPenCarriage::onMessage(std::string_view sender, std::string_view body)
{
    if (!isPenCarriage(body) || body.size() < 3)
        return;
    switch (body[2]) {
    case kProbe:
        sendMessage(sender, kCapable);
        break;
    case kCapable:
        if (isPenPeer(sender))
            m_composer->onPeerReady();
        break;
    case kReady:
        if (isPenPeer(sender) && m_sending) {
            m_composer->onTransferAccepted();
            m_bytesSent = 0;
            if (!reopenAt(0)) {
                m_sending = false;
                m_composer->onFileUnopenable();
                return;
            }
            sendNextChunk();
        }
        break;
    case kChunkTaken:
        if (isPenPeer(sender) && m_sending) {
            m_composer->onTransferAccepted();
            sendNextChunk();
        }
        break;
    case kStart:
        receiveStart(sender);
        break;
    case kChunk:
        receiveChunk(sender, body);
        break;
    case kEnd:
        receiveEnd(sender);
        break;
    case kCancel:
        m_receptions.cancel(ink::Network::Icq, sender);
        break;
    default:
        break;
    }
}

void IcqPenCarriage::receiveStart(std::string_view sender)
{
    const auto now = platform::toLocalTime(m_loop.clock().now());
    auto path = ink::timedInkPath(ink::receiveFolder(ink::Network::Icq), sender, now);
    if (!m_receptions.begin(ink::Network::Icq, sender, std::move(path)))
        return; // No answer: the sender's editor times out.
    sendMessage(sender, kReady);
}

void IcqPenCarriage::receiveChunk(std::string_view sender, std::string_view body)
{
    if (!m_receptions.pathOf(ink::Network::Icq, sender))
        return;
    // The chunk lands in a zeroed 1024-byte slot, of which 300 bytes are
    // written: a short chunk is padded with zero bytes.
    std::string slot(kPenSlotBytes, '\0');
    const auto data = body.substr(3, kPenSlotBytes);
    std::copy(data.begin(), data.end(), slot.begin());
    if (!m_receptions.append(ink::Network::Icq, sender, std::string_view(slot).substr(0, kPenChunkBytes))) {
        m_receptions.cancel(ink::Network::Icq, sender);
        return;
    }
    sendMessage(sender, kChunkTaken);
}

void IcqPenCarriage::receiveEnd(std::string_view sender)
{
    if (!m_receptions.pathOf(ink::Network::Icq, sender))
        return;
    const std::string padding(kPenChunkBytes, '\0');
    if (!m_receptions.append(ink::Network::Icq, sender, padding)) {
        m_receptions.cancel(ink::Network::Icq, sender);
        return;
    }
    auto path = m_receptions.finish(ink::Network::Icq, sender);
    if (path)
        (void)m_inbox.received(ink::Network::Icq, sender, *path);
}

} // namespace pocket::icq
