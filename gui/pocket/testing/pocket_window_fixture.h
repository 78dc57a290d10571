#pragma once

// File: gui/pocket/testing/pocket_window_fixture.h
// The fixture of the handheld window's tests: the whole program (PocketGui
// over its core) on the offscreen platform in a temporary home folder, with
// a manual clock, a FakeUi for the message boxes and questions, stand-ins
// for dial-up and the desktop's mail program, and helpers that press the
// main dialog's buttons, find menu entries and answer modal dialogs.

#include "gui/pocket/pocket_gui.h"
#include "gui/pocket/qt_main_dialog.h"
#include "gui/pocket/qt_pocket_window.h"
#include "gui/testing/offscreen_app.h"
#include "platform/registry.h"
#include "platform/testing/fake_ui.h"
#include "platform/testing/manual_clock.h"
#include "pocket/icq/device_ports.h"
#include "pocket/msn/msn_page.h"
#include "pocket/settings/dial_up.h"
#include "pocket/link/pc_pairing.h"
#include "pocket/settings/pda_settings.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace gui::handheld::testing {

class NoDialUp final : public ::pocket::settings::DialUp {
public:
    std::vector<std::string> phonebookEntries() override { return {}; }
    std::optional<std::vector<std::string>> activeConnections() override { return std::nullopt; }
    bool startDial(const std::string&) override { return false; }
    bool hangUp(const std::string&) override { return false; }
};

// The desktop's mail program: keeps the addresses it was asked to write to.
class RecordingMail final : public ::pocket::msn::MailLauncher, public ::pocket::icq::MailComposer {
public:
    void composeTo(std::string_view email) override { addresses.emplace_back(email); }
    void compose(std::string_view address) override { addresses.emplace_back(address); }
    std::vector<std::string> addresses;
};

// Runs `step` on the next modal dialog of type Dialog once it is up (from
// inside its exec()); fails the test when none comes within a few seconds.
template <class Dialog>
void whenModal(std::function<void(Dialog&)> step)
{
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, ticks, step] {
        auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++*ticks > 1000) {
                ADD_FAILURE() << "no modal dialog of the expected kind came up";
                timer->deleteLater();
                timer->stop();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        step(*dialog);
    });
    timer->start();
}

// The texts of a window's labels.
inline QStringList labelTexts(QWidget& widget)
{
    QStringList texts;
    for (auto* label : widget.findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

// The first visible top-level window of this type, or null.
template <class Window>
Window* openWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = dynamic_cast<Window*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

// The first item below a top-level item whose text starts with `prefix`.
inline QTreeWidgetItem* itemStartingWith(QTreeWidget& tree, const QString& prefix)
{
    for (auto* item : tree.findItems(prefix, Qt::MatchStartsWith | Qt::MatchRecursive)) {
        if (item->parent())
            return item;
    }
    return nullptr;
}

class PocketWindowTest : public ::testing::Test {
protected:
    PocketWindowTest()
    {
        gui::testing::offscreenApp();
        m_home = std::filesystem::temp_directory_path()
            / ("pocket_window_test_" + std::to_string(::getpid()) + "_"
                + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_home);
        std::filesystem::create_directories(m_home);
        (void)m_registry->createKey(::pocket::settings::kSettingsKey);
        // The scripted PCs speak the clear protocol only.
        (void)m_registry->setDword(::pocket::settings::kSettingsKey, ::pocket::link::kSecureLinkValue, 0);
    }
    ~PocketWindowTest() override
    {
        m_gui.reset();
        std::filesystem::remove_all(m_home);
    }

    // A registry value of the handheld, before the program starts.
    void setValue(const char* name, const std::string& value)
    {
        ASSERT_TRUE(m_registry->setString(::pocket::settings::kSettingsKey, name, value));
    }

    PocketGui& gui()
    {
        if (!m_gui) {
            m_gui = std::make_unique<PocketGui>(PocketGuiOptions { .home = m_home,
                                                    .screen = m_screen,
                                                    .clock = &m_clock,
                                                    .ui = &m_ui,
                                                    .dialUp = &m_dialUp,
                                                    .desktopMail = { &m_mail, &m_mail },
                                                    .singleInstance = false },
                *m_registry);
            EXPECT_EQ(m_gui->start(), ::pocket::app::StartResult::Running);
        }
        return *m_gui;
    }
    ::pocket::app::Handheld& core() { return gui().handheld(); }
    QtMainDialog& dialog() { return *gui().window().mainDialog(); }

    QPushButton* button(int id) { return qobject_cast<QPushButton*>(dialog().control(id)); }
    // Taps a button of the main dialog, which must be on show.
    void click(int id)
    {
        QPushButton* pressed = button(id);
        ASSERT_NE(pressed, nullptr) << id;
        EXPECT_TRUE(dialog().isControlShown(id)) << id;
        pressed->click();
    }
    // Runs the window thread until `done` holds (or ten seconds pass).
    bool runUntil(const std::function<bool()>& done)
    {
        return gui().loop().runUntil(done, std::chrono::seconds(10));
    }

    // The same, with the manual clock moving on 100 ms per round (at most 20
    // seconds of it), for parts that wait on their timers (ICQ's paced
    // requests).
    bool runTicking(const std::function<bool()>& done)
    {
        for (int round = 0; round < 200 && !done(); ++round) {
            m_clock.advance(std::chrono::milliseconds(100));
            (void)gui().loop().runUntil(done, std::chrono::milliseconds(50));
        }
        return done();
    }

    // The entry with this text in a menu (or one of its submenus).
    static QAction* entry(QMenu* menu, const QString& text)
    {
        for (QAction* action : menu->actions()) {
            if (action->text() == text)
                return action;
            if (action->menu()) {
                if (QAction* inner = entry(action->menu(), text))
                    return inner;
            }
        }
        return nullptr;
    }
    static QStringList texts(QMenu* menu)
    {
        QStringList list;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                list << action->text();
        }
        return list;
    }
    // A frame menu entry by its command.
    QAction* menuAction(int resource, int command)
    {
        for (auto* button : gui().window().menuBarWidget(resource)->findChildren<QToolButton*>()) {
            for (QAction* action : button->menu()->actions()) {
                if (action->data().toInt() == command)
                    return action;
                if (action->menu()) {
                    for (QAction* inner : action->menu()->actions()) {
                        if (inner->data().toInt() == command)
                            return inner;
                    }
                }
            }
        }
        return nullptr;
    }
    // A visible top-level window with this title.
    static QWidget* window(const QString& title)
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && widget->windowTitle() == title)
                return widget;
        }
        return nullptr;
    }

    std::filesystem::path m_home;
    // The handheld's scale; tests of the scaling set it before gui().
    PocketScreen m_screen { 1 };
    platform::testing::ManualClock m_clock;
    platform::testing::FakeUi m_ui;
    NoDialUp m_dialUp;
    RecordingMail m_mail;
    std::unique_ptr<platform::Registry> m_registry = platform::Registry::inMemory();
    std::unique_ptr<PocketGui> m_gui;
};

} // namespace gui::handheld::testing
