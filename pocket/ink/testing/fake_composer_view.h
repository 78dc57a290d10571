#pragma once

// File: pocket/ink/testing/fake_composer_view.h
// The pen editor's window for tests: records what the composer told it.

#include "pocket/ink/ink_composer.h"
#include "pocket/ink/testing/recording_canvas.h"

#include <string>
#include <vector>

namespace pocket::ink::testing {

struct FakeComposerView final : InkComposerView {
    InkCanvas& canvas() override { return drawn; }
    void setStatus(std::string_view text) override { statuses.emplace_back(text); }
    void setSendEnabled(bool enabled) override { sendEnabled = enabled; }
    void setNewEnabled(bool) override { }
    void setProgressVisible(bool) override { }
    void setProgress(int percent) override { progress.push_back(percent); }
    void showPalette(Palette, bool) override { }
    void showToolbar(const ToolbarLook&) override { }
    void close() override { closed = true; }

    // The status line as it reads now.
    std::string status() const { return statuses.empty() ? std::string() : statuses.back(); }

    RecordingCanvas drawn;
    std::vector<std::string> statuses;
    bool sendEnabled = false;
    std::vector<int> progress;
    bool closed = false;
};

} // namespace pocket::ink::testing
