#pragma once

// File: gui/pocket/pocket_mypc.h
// The My PC view of the handheld window: the tree of control 1080 over
// pocket::mypc::MyPcTree (the handheld's "PDA" and the PC's drives), its
// tap-and-hold menus "PCD", "PCF", "PDAD" and "PDAF" through MyPcTab, the
// progress dialog of downloads and uploads, and the search result list.
// Expanding a PC folder asks the PC for its list; expanding a handheld
// folder reads the device root. GUI thread only.

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QTreeWidget;

namespace platform {
class EventLoop;
class HttpFetch;
class Ui;
}

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::link {
class PcLink;
}

namespace pocket::mypc {
class MyPcTree;
class MyPcUpload;
}

namespace pocket::settings {
struct PdaSettings;
}

namespace gui::handheld {

// What the tab's commands ask of other views.
struct MyPcViewHooks {
    std::function<void()> openLogin;
    std::function<void(const std::string& pcPath)> viewPcFile;
    std::function<void(const std::string& handheldPath)> viewHandheldFile;
    // "메일 첨부전송": a new mail with this PC or handheld file attached.
    std::function<void(const std::string& path)> attachToMail;
};

class PocketMyPc {
public:
    PocketMyPc(platform::EventLoop& loop, platform::Ui& ui, ::pocket::link::PcLink& link,
        const ::pocket::settings::PdaSettings& settings, const ::pocket::device::DeviceRoot& device,
        platform::HttpFetch& fetch, QTreeWidget& tree, MyPcViewHooks hooks);
    ~PocketMyPc();

    // The PC link's reset and log-in.
    void resetTree();
    void addDrives(const std::vector<std::string>& drives);

    ::pocket::mypc::MyPcTree& tree();
    // The upload to the PC, which mail attachments from the handheld use too.
    ::pocket::mypc::MyPcUpload& upload();
    // Redraws the widget from the model now instead of after the current event.
    void redraw();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace gui::handheld
