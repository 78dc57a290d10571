#pragma once

// File: apps/quillon-pocket/console_pen.h
// Pen messages from the console: the pen editor's window as a view that
// draws nothing, and the sending of an ink file through the editor the
// messenger opened (the peer must answer the check first; the file's
// strokes then stand for the drawing and "Send" is pressed). Window thread
// only.

#include "pocket/ink/ink_canvas.h"
#include "pocket/ink/ink_composer.h"

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>

namespace apps::pocket {

// The pen editor's window: nothing to draw; "closed" once the editor ends.
class ConsoleComposerView final : public ::pocket::ink::InkComposerView {
public:
    ::pocket::ink::InkCanvas& canvas() override { return m_canvas; }
    void setStatus(std::string_view text) override { status = text; }
    void setSendEnabled(bool) override { }
    void setNewEnabled(bool) override { }
    void setProgressVisible(bool) override { }
    void setProgress(int) override { }
    void showPalette(::pocket::ink::Palette, bool) override { }
    void showToolbar(const ::pocket::ink::ToolbarLook&) override { }
    void close() override;

    // Told when the editor closes (sent, given up or quit).
    std::function<void()> onClosed;
    std::string status;

private:
    class NoCanvas final : public ::pocket::ink::InkCanvas {
    public:
        void drawLine(::pocket::ink::InkPoint, ::pocket::ink::InkPoint, int, ::pocket::ink::Rgb) override { }
        void clear() override { }
    };
    NoCanvas m_canvas;
};

struct PenSend {
    // The editor the messenger opened, or nothing once it has gone.
    std::function<::pocket::ink::InkComposer*()> editor;
    // Runs the loop until the condition holds; false on time-out.
    std::function<bool(const std::function<bool()>&)> waitFor;
    ::pocket::ink::LocalTime now;
    std::string_view network;
    std::string_view peer;
};

// Sends `file` through the editor: waits for the peer's answer, then sends
// and waits for the end. Prints "pen-sent NETWORK PEER PATH" with the file
// the carriage sent, or the reason to `err`.
void sendInkFile(const PenSend& send, const std::filesystem::path& file, std::ostream& out, std::ostream& err);

} // namespace apps::pocket
