#include "gui/pocket/pocket_gui.h"

#include "gui/pocket/pocket_scaling.h"
#include "gui/pocket/qt_pocket_window.h"
#include "gui/qt_translations.h"
#include "platform/home.h"
#include "platform/registry.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>

namespace gui::handheld {

namespace frame = ::pocket::app;

bool hasDisplay()
{
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" }) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

int runPocketGui(std::span<const std::string_view> args, int argc, char** argv)
{
    std::string_view homeOption;
    PocketScreen screen;
    bool scaleGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--home" && i + 1 < args.size())
            homeOption = args[++i];
        else if (args[i].starts_with("--home="))
            homeOption = args[i].substr(7);
        else if (args[i] == "--scale" && i + 1 < args.size()) {
            // The emulated screen's pixels per device pixel, 1 to 4.
            const std::string_view value = args[++i];
            if (value.size() != 1 || value[0] < '1' || value[0] > '4') {
                std::cerr << "quillon-pocket: --scale takes 1 to 4" << std::endl;
                return 2;
            }
            screen.scale = value[0] - '0';
            scaleGiven = true;
        } else {
            std::cerr << "quillon-pocket: unknown option " << args[i] << std::endl;
            return 2;
        }
    }
    auto home = platform::prepareHome(platform::Program::Pocket, homeOption);
    if (!home) {
        std::cerr << "quillon-pocket: " << platform::describe(home.error()) << std::endl;
        return 1;
    }
    auto registry = platform::Registry::open(*home / "registry.txt");
    if (!registry) {
        std::cerr << "quillon-pocket: " << platform::describe(registry.error()) << std::endl;
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    // Qt's own buttons and choosers in Korean, before any window is made.
    loadQtKoreanTranslations(app);
    if (!scaleGiven)
        screen.scale = defaultScale(QGuiApplication::primaryScreen());
    PocketGui gui({ .home = *home, .screen = screen }, **registry);
    switch (gui.start()) {
    case frame::StartResult::AlreadyRunning:
        return 0;
    case frame::StartResult::Failed:
        return 1;
    case frame::StartResult::Running:
        break;
    }
    gui.window().show();
    return app.exec();
}

} // namespace gui::handheld
