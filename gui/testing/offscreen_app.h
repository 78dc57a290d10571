#pragma once

// File: gui/testing/offscreen_app.h
// One QApplication per test binary on the offscreen platform, so widget
// tests run without a display. Call offscreenApp() before making widgets.

#include <QApplication>

#include <cstdlib>

namespace gui::testing {

inline QApplication& offscreenApp()
{
    static int argc = 1;
    static char name[] = "quillon_gui_tests";
    static char* argv[] = { name, nullptr };
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *app;
}

} // namespace gui::testing
