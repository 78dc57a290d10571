#include "pocket/ink/ink_composer.h"

#include "pocket/ink/ink_drawing.h"
#include "pocket/ink/ink_file.h"

#include <algorithm>

namespace pocket::ink {

namespace {
constexpr std::string_view kTitle = "Quillon";
} // namespace

InkComposer::InkComposer(ComposerSetup setup, InkComposerView& view, platform::Ui& ui, PenCarriage& carriage,
    platform::EventLoop& loop)
    : m_setup(std::move(setup))
    , m_view(view)
    , m_ui(ui)
    , m_carriage(carriage)
    , m_loop(loop)
{
}

InkComposer::~InkComposer()
{
    m_loop.killTimer(*this, kCheckTimer);
    m_loop.killTimer(*this, kAnswerTimer);
}

void InkComposer::onTimer(int id)
{
    if (id == kCheckTimer)
        onCheckTick();
    else if (id == kAnswerTimer)
        onAnswerTimeout();
}

void InkComposer::open()
{
    m_state = State::Checking;
    m_ticks = 0;
    m_view.setStatus(composer_text::kChecking);
    m_view.setSendEnabled(false);
    m_view.setNewEnabled(false);
    m_view.setProgressVisible(false);
    m_view.setProgress(0);
    m_view.canvas().clear();
    m_view.showToolbar(toolbarLook(m_recorder.colour(), m_recorder.thickness()));
    m_loop.setTimer(*this, kCheckTimer, kCheckIntervalMs);
    m_carriage.probe(m_setup.peerId);
}

void InkComposer::onPen(const PenEvent& event)
{
    if (isClosed())
        return;
    const auto outcome = m_recorder.handle(event);
    if (outcome.line)
        m_view.canvas().drawLine(outcome.line->from, outcome.line->to, outcome.line->width, outcome.line->colour);
    if (outcome.openPalette)
        m_view.showPalette(*outcome.openPalette, true);
}

void InkComposer::chooseColour(InkToken colour)
{
    m_recorder.chooseColour(colour);
    m_view.showPalette(Palette::Colour, false);
    m_view.showToolbar(toolbarLook(m_recorder.colour(), m_recorder.thickness()));
}

void InkComposer::chooseThickness(InkToken thickness)
{
    m_recorder.chooseThickness(thickness);
    m_view.showPalette(Palette::Thickness, false);
    m_view.showToolbar(toolbarLook(m_recorder.colour(), m_recorder.thickness()));
}

void InkComposer::closePalette(Palette palette)
{
    m_recorder.closePalette(palette);
    m_view.showPalette(palette, false);
}

void InkComposer::onNew()
{
    if (m_state == State::Sending || isClosed())
        return;
    m_recorder.clear();
    m_view.canvas().clear();
}

void InkComposer::loadMessage(InkMessage message)
{
    if (m_state != State::Ready)
        return;
    m_recorder.load(std::move(message));
    repaint();
}

void InkComposer::repaint()
{
    m_view.canvas().clear();
    // A recorded message always has sound stroke heads.
    (void)drawInk(m_recorder.message(), m_view.canvas());
}

void InkComposer::onCheckTick()
{
    if (m_state != State::Checking)
        return;
    ++m_ticks;
    if (m_ticks >= kCloseTick) {
        m_carriage.cancelProbe();
        close();
        return;
    }
    if (m_ticks == kGiveUpTick)
        m_view.setStatus(composer_text::kCannotSend);
    else
        m_view.setStatus(m_ticks % 2 == 1 ? composer_text::kCheckBlink : std::string_view());
}

void InkComposer::onPeerReady(std::string_view status)
{
    if (m_state != State::Checking)
        return;
    m_loop.killTimer(*this, kCheckTimer);
    m_state = State::Ready;
    m_view.setStatus(status);
    setEditable(true);
}

void InkComposer::restartAnswerTimer()
{
    if (m_state == State::Sending)
        m_loop.setTimer(*this, kAnswerTimer, kAnswerTimeoutMs);
}

void InkComposer::onTransferAccepted()
{
    if (m_state != State::Sending)
        return;
    m_loop.killTimer(*this, kAnswerTimer);
    m_view.setStatus(composer_text::kWrite);
}

void InkComposer::onSend(const LocalTime& now)
{
    if (m_state != State::Ready)
        return;
    setEditable(false);
    m_view.setProgress(0);
    m_view.setProgressVisible(true);

    const auto folder = sentFolder(m_setup.network, m_setup.peerId);
    StoredInk ink { {}, timedInkPath(folder, m_setup.ownId, now) };
    ink.hostPath = hostPath(m_setup.deviceRoot, ink.handheldPath);
    std::error_code ignored;
    std::filesystem::create_directories(ink.hostPath.parent_path(), ignored);
    if (auto written = writeInkFile(ink.hostPath, m_recorder.message()); !written) {
        m_ui.messageBox(kTitle, writeErrorText(written.error()), platform::Icon::Warning);
        // The drawing stays, and the user may try again.
        m_view.setProgressVisible(false);
        setEditable(true);
        return;
    }
    m_stored = ink;
    m_state = State::Sending;
    m_loop.setTimer(*this, kAnswerTimer, kAnswerTimeoutMs);
    if (m_setup.network == Network::Icq)
        m_view.setStatus(composer_text::kWaitingForPeer);
    m_carriage.send(m_setup.peerId, ink);
}

void InkComposer::onAnswerTimeout()
{
    m_loop.killTimer(*this, kAnswerTimer);
    if (m_state != State::Sending)
        return;
    m_state = State::Ready;
    m_view.setStatus(composer_text::kNoAnswer);
    m_view.setProgressVisible(false);
    setEditable(true);
}

void InkComposer::onProgress(std::uint64_t bytesSent, std::uint64_t fileSize)
{
    if (m_state != State::Sending)
        return;
    const auto percent = fileSize == 0 ? 100 : std::min<std::uint64_t>(100, bytesSent * 100 / fileSize);
    m_view.setProgress(static_cast<int>(percent));
}

void InkComposer::onSent()
{
    if (m_state == State::Sending)
        close();
}

void InkComposer::onFileUnopenable(std::string_view title)
{
    reportFileTrouble(title, composer_text::kFileDamaged);
}

void InkComposer::reportFileTrouble(std::string_view title, std::string_view text)
{
    m_loop.killTimer(*this, kAnswerTimer);
    m_ui.messageBox(title, text, platform::Icon::Warning);
    m_state = State::Ready;
    m_view.setProgressVisible(false);
    setEditable(true);
}

bool InkComposer::askResend(std::string_view title)
{
    if (m_ui.question(title, composer_text::kResend, platform::Buttons::OkCancel) == platform::Answer::Ok)
        return true;
    m_loop.killTimer(*this, kAnswerTimer);
    m_state = State::Ready;
    m_view.setProgressVisible(false);
    setEditable(true);
    return false;
}

void InkComposer::onReopenFailed(std::string_view title)
{
    reportFileTrouble(title, composer_text::kReopenDamaged);
}

void InkComposer::onQuit()
{
    if (m_state == State::Checking)
        m_carriage.cancelProbe();
    else if (m_state == State::Sending)
        m_carriage.cancelSend();
    close();
}

void InkComposer::setEditable(bool enabled)
{
    m_view.setSendEnabled(enabled);
    m_view.setNewEnabled(enabled);
}

void InkComposer::close()
{
    if (isClosed())
        return;
    m_state = State::Closed;
    m_loop.killTimer(*this, kCheckTimer);
    m_loop.killTimer(*this, kAnswerTimer);
    m_recorder.clear();
    m_view.close();
}

} // namespace pocket::ink
