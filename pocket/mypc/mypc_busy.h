#pragma once

// File: pocket/mypc/mypc_busy.h
// The busy flag of the My PC tab: set while a search, a download request or
// an upload request waits for the PC. While it is set, new searches,
// downloads and uploads are refused with a message. Cleared by the answers,
// by errors and by the connection-lost reset. Window thread only.

#include "platform/ui.h"

namespace pocket::mypc {

// The title of every message of the My PC tab.
constexpr const char* kMyPcTitle = "Quillon";
constexpr const char* kMyPcBusyText = "현재 다른 명령을 수행중입니다. 잠시만 기다려주세요.";

class MyPcBusy {
public:
    explicit MyPcBusy(platform::Ui& ui)
        : m_ui(ui)
    {
    }

    bool isBusy() const { return m_busy; }
    void set() { m_busy = true; }
    void clear() { m_busy = false; }

    // When busy, shows the busy message and returns true: the caller stops.
    bool refuse()
    {
        if (m_busy)
            m_ui.messageBox(kMyPcTitle, kMyPcBusyText, platform::Icon::Warning);
        return m_busy;
    }

private:
    platform::Ui& m_ui;
    bool m_busy = false;
};

} // namespace pocket::mypc
