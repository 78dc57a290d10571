#pragma once

// File: pocket/icq/testing/fake_views.h
// Views and device ports of the ICQ page that record what they were told.

#include "pocket/icq/contact_tree.h"
#include "pocket/icq/device_ports.h"
#include "pocket/icq/icq_messenger.h"
#include "pocket/icq/icq_pen_carriage.h"
#include "pocket/icq/message_windows.h"
#include "pocket/ink/testing/fake_composer_view.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pocket::icq::testing {

struct TreeItem {
    TreeGroup group = TreeGroup::Online;
    std::string label;
    int image = -1;
};

class FakeTree final : public ContactTreeView {
public:
    void resetRoots() override
    {
        items.clear();
        ++resets;
    }
    void setPlaceholder(TreeGroup group, bool shown) override { placeholders[group] = shown; }
    void insertItem(TreeGroup group, int item, std::string_view label, int image) override
    {
        items[item] = { group, std::string(label), image };
        ++inserts;
    }
    void updateItem(int item, std::string_view label, int image) override
    {
        items[item].label = label;
        items[item].image = image;
        ++updates;
    }
    void removeItem(int item) override { items.erase(item); }

    std::vector<std::string> labels(TreeGroup group) const
    {
        std::vector<std::string> out;
        for (const auto& [id, item] : items) {
            if (item.group == group)
                out.push_back(item.label);
        }
        return out;
    }

    std::map<int, TreeItem> items;
    std::map<TreeGroup, bool> placeholders;
    int resets = 0;
    int inserts = 0;
    int updates = 0;
};

struct WindowState {
    std::string title;
    std::string log;
    bool shown = false;
    bool closed = false;
    int inputClears = 0;
    int focuses = 0;
};

class FakeWindowHost final : public MessageWindowHost {
public:
    std::unique_ptr<MessageWindowView> createMessageWindow(int slot) override
    {
        windows[slot] = std::make_shared<WindowState>();
        return std::make_unique<View>(windows[slot]);
    }
    std::map<int, std::shared_ptr<WindowState>> windows;

private:
    class View final : public MessageWindowView {
    public:
        explicit View(std::shared_ptr<WindowState> state)
            : m_state(std::move(state))
        {
        }
        void setTitle(std::string_view title) override { m_state->title = title; }
        void appendLog(std::string_view text) override { m_state->log += text; }
        void clearLog() override { m_state->log.clear(); }
        void clearInput() override { ++m_state->inputClears; }
        void focusInput() override { ++m_state->focuses; }
        void bringUp() override { m_state->shown = true; }
        void close() override { m_state->closed = true; }

    private:
        std::shared_ptr<WindowState> m_state;
    };
};

struct FakePage final : IcqPageView {
    void setStatusLine(std::string_view text) override { statusLine = text; }
    void setOwnStatusBitmap(int value) override { bitmap = value; }
    std::string statusLine;
    int bitmap = 0;
};

struct FakeDeviceContacts final : DeviceContacts {
    bool addContact(const DeviceContact& contact) override
    {
        added.push_back(contact);
        return true;
    }
    std::vector<DeviceContact> added;
};

struct FakeMail final : MailComposer {
    void compose(std::string_view address) override { addresses.emplace_back(address); }
    std::vector<std::string> addresses;
};

using FakeComposerWindow = ink::testing::FakeComposerView;

struct FakePenEditors final : PenEditorHost {
    std::unique_ptr<ink::InkComposerView> createComposerView() override
    {
        auto window = std::make_unique<FakeComposerWindow>();
        last = window.get();
        return window;
    }
    FakeComposerWindow* last = nullptr; // Owned by the carriage.
};

} // namespace pocket::icq::testing
