#pragma once

// File: pocket/ink/testing/fake_viewer_host.h
// An InkViewerHost for tests: each viewer window records its title, whether
// it is shown, and what was drawn on it.

#include "pocket/ink/ink_viewer.h"
#include "pocket/ink/testing/recording_canvas.h"

#include <map>
#include <memory>
#include <string>

namespace pocket::ink::testing {

struct ViewerWindow {
    std::string title;
    bool shown = false;
    bool closed = false;
    RecordingCanvas canvas;
};

class FakeViewerHost final : public InkViewerHost {
public:
    std::unique_ptr<InkViewerView> createViewerView(int slot) override
    {
        windows[slot] = std::make_shared<ViewerWindow>();
        return std::make_unique<View>(windows[slot]);
    }

    // The window most recently created for each slot; it stays readable
    // after the viewer has gone.
    std::map<int, std::shared_ptr<ViewerWindow>> windows;

private:
    class View final : public InkViewerView {
    public:
        explicit View(std::shared_ptr<ViewerWindow> window)
            : m_window(std::move(window))
        {
        }
        InkCanvas& canvas() override { return m_window->canvas; }
        void setTitle(std::string_view title) override { m_window->title = title; }
        void show() override { m_window->shown = true; }
        void close() override { m_window->closed = true; }

    private:
        std::shared_ptr<ViewerWindow> m_window;
    };
};

} // namespace pocket::ink::testing
