#pragma once

// File: pocket/mail/testing/mail_fixture.h
// The fixture of the mail client's tests: a PcLink logged in to a scripted
// PC on loopback, in a temporary device root, with recording views, the
// transfer worker, the web viewer, the mail box, reader and sender.

#include "platform/http_fetch.h"
#include "platform/poll_event_loop.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/device/device_root.h"
#include "pocket/link/pc_link.h"
#include "pocket/link/testing/fake_views.h"
#include "pocket/link/testing/loopback.h"
#include "pocket/mail/mail_box.h"
#include "pocket/mail/mail_reader.h"
#include "pocket/mail/mail_sender.h"
#include "pocket/mypc/mypc_transfer.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/viewer/web_viewer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace pocket::mail::testing {

using namespace std::chrono_literals;
using platform::Answer;

class RecordingMailView final : public MailView {
public:
    void clearList() override { rows.clear(); }
    void insertRow(const MailListEntry& entry, bool) override { rows.insert(rows.begin(), entry.name); }
    void setRowRead(const std::string& name) override { read.push_back(name); }
    void removeRow(const std::string& name) override { std::erase(rows, name); }
    void showMail(const std::string& h, bool attachments, const std::string& t) override
    {
        header = h;
        hasAttachments = attachments;
        title = t;
    }
    std::string selectedMail() const override { return selected; }
    void setFetchProgress(int percent) override { progress.push_back(percent); }
    std::vector<std::string> rows;
    std::vector<int> progress;
    std::string selected;
    std::vector<std::string> read;
    std::string header;
    bool hasAttachments = false;
    std::string title;
};

// The transfer worker's progress dialog: the titles it was opened with.
class RecordingProgress final : public mypc::ProgressView {
public:
    void openProgress(const std::string& title) override { opened.push_back(title); }
    void setTotalLine(const std::string&) override { }
    void setDoneLine(const std::string&) override { }
    void setBar(int) override { }
    void closeProgress() override { }
    std::vector<std::string> opened;
};

class RecordingHtmlView final : public viewer::HtmlView {
public:
    void navigate(const std::string& url) override { address = url; }
    void refresh() override { }
    void stop() override { ++stops; }
    std::string currentAddress() const override { return address; }
    std::string address;
    int stops = 0;
};

class RecordingTab final : public viewer::WebTabView {
public:
    void addAddress(const std::string& a) override { addresses.push_back(a); }
    void setAddressText(const std::string& a) override { text = a; }
    std::string addressText() const override { return text; }
    void focusAddress() override { focused = true; }
    void showWebTab() override { webTab = true; }
    void setWaitCursor(bool) override { }
    std::vector<std::string> addresses;
    std::string text;
    bool focused = false;
    bool webTab = false;
};

class MailClientTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::remove_all(m_root);
        m_device.prepare();
        std::filesystem::create_directories(m_root / "Program Files" / "Quillon");
        m_settings.serverIp = "127.0.0.1";
        m_settings.pcPort = m_pc.port();
        m_settings.myId = "kim";
        m_settings.saveMailPath = "\\Program Files\\Quillon\\MailCheck";
        m_settings.sndMailPath = "\\Program Files\\Quillon\\send";
        m_settings.saveFilePath = "\\Program Files\\Quillon\\files";
        m_link.prepare();
        ASSERT_TRUE(m_link.connect());
        m_peer = m_pc.accept();
        ASSERT_GE(m_peer, 0);
        answer(0, 310, "YES\\C:");
        ASSERT_TRUE(m_loop.runUntil([&] { return m_link.isLoggedIn(); }, 5s));
        m_ui.clear();
    }
    void TearDown() override
    {
        ::close(m_peer);
        std::filesystem::remove_all(m_root);
    }

    void answer(int first, int code, std::string text) { link::testing::sendAll(m_peer, link::testing::answerRecord(first, code, std::move(text))); }
    std::string received() { return link::testing::receiveUntilNul(m_peer); }
    void waitForMessage()
    {
        std::size_t before = m_ui.callCount();
        ASSERT_TRUE(m_loop.runUntil([&] { return m_ui.callCount() > before; }, 5s));
    }
    std::string localFile(std::string_view handheld)
    {
        return readLocalFile(m_device.toLocal(handheld)).value_or("<missing>");
    }

    std::filesystem::path m_root = std::filesystem::temp_directory_path() / ("pocket-mail-" + std::to_string(::getpid()));
    platform::testing::ManualClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    platform::testing::FakeUi m_ui;
    link::testing::LoopbackListener m_pc;
    link::testing::FakePcLinkView m_linkView;
    device::DeviceRoot m_device { m_root };
    settings::PdaSettings m_settings;
    link::PcLink m_link { m_loop, m_ui, m_settings, m_linkView };
    RecordingProgress m_progress;
    mypc::TransferRunner m_transfer { m_loop, m_ui, m_settings, m_device, m_progress };
    RecordingMailView m_view;
    RecordingTab m_tab;
    RecordingHtmlView m_web;
    RecordingHtmlView m_mailBody;
    int m_logins = 0;
    MailContext m_context { m_loop, m_ui, m_link, m_settings, m_device, m_transfer, m_view, [this] { ++m_logins; } };
    platform::HttpFetch m_fetch;
    viewer::WebViewer m_viewer { m_link, m_settings, m_device, m_ui, m_transfer, m_tab, m_web, m_mailBody, m_fetch };
    MailBox m_box { m_context, m_fetch };
    MailReader m_reader { m_context, m_viewer };
    MailSender m_sender { m_context };
    int m_peer = -1;
};

} // namespace pocket::mail::testing
