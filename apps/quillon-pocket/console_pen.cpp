#include "apps/quillon-pocket/console_pen.h"

#include "platform/terminal_text.h"
#include "pocket/ink/ink_file.h"

#include <ostream>

namespace apps::pocket {

void ConsoleComposerView::close()
{
    if (onClosed)
        onClosed();
}

void sendInkFile(const PenSend& send, const std::filesystem::path& file, std::ostream& out, std::ostream& err)
{
    auto message = ::pocket::ink::readInkFile(file);
    if (!message) {
        err << "pen: " << file.string() << ": " << ::pocket::ink::readErrorText(message.error()) << std::endl;
        return;
    }
    // The editor asks the peer first; the drawing can go once it answered.
    auto* editor = send.editor();
    if (!editor) {
        err << "pen: no pen message window opened" << std::endl;
        return;
    }
    (void)send.waitFor([&] {
        auto* e = send.editor();
        return !e || e->isReady() || e->isClosed();
    });
    editor = send.editor();
    if (!editor || !editor->isReady()) {
        err << "pen: " << send.peer << " takes no pen messages now" << std::endl;
        return;
    }
    editor->loadMessage(std::move(*message));
    editor->onSend(send.now);
    const auto stored = editor->storedInk();
    if (!stored || editor->isReady()) {
        err << "pen: the message could not be written" << std::endl;
        return;
    }
    (void)send.waitFor([&] {
        auto* e = send.editor();
        return !e || e->isClosed() || e->isReady();
    });
    editor = send.editor();
    if (editor && !editor->isClosed()) {
        err << "pen: not sent" << std::endl;
        return;
    }
    out << "pen-sent\t" << send.network << "\t" << platform::terminalSafe(send.peer) << "\t"
        << platform::terminalSafe(stored->hostPath.string()) << std::endl;
}

} // namespace apps::pocket
