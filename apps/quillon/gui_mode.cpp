#include "apps/quillon/gui_mode.h"

#include "apps/quillon/headless.h"
#include "apps/quillon/program_setup.h"
#include "gui/korean_font.h"
#include "gui/pc/qt_main_window.h"
#include "gui/pc/qt_progress_window.h"
#include "gui/pc/qt_shell_dialogs.h"
#include "gui/qt_event_loop.h"
#include "gui/qt_ui.h"
#include "pc/app/daily_log_file.h"
#include "pc/app/desktop_launcher.h"
#include "pc/app/log_pane.h"
#include "pc/app/locked_stream.h"
#include "pc/app/program_start.h"
#include "pc/service/service_folders.h"
#include "platform/net_address.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace apps::quillon {

bool hasDisplay()
{
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY" }) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

int runGui(const PcOptions& options, int& argc, char** argv, std::ostream& err)
{
    auto home = prepareProgramHome(options, err);
    if (!home)
        return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillon");
    QApplication::setQuitOnLastWindowClosed(false); // The tray keeps it running.
    gui::useKoreanFont(app);

    // The loop outlives everything that watches through it.
    platform::SystemClock clock;
    gui::QtEventLoop loop(clock);
    gui::QtUi ui;
    pc::app::ProgramStart start(*home, ui);
    if (start.run(pc::app::StartSwitch::None, selfPath()) != pc::app::StartOutcome::OpenWindow)
        return 1;

    gui::pc::QtMainWindow view;
    ui.setParent(&view);
    pc::app::LogPane pane(loop, view);
    pc::app::DailyLogFile log(pane, clock, pc::service::ServiceFolders::under(*home).logs);
    gui::pc::QtProgressWindow progress(&view);
    // The web server's access log goes to standard output, one line each.
    pc::app::LockedStream accessLog(std::cout);
    auto config = shellConfigFor(options, *home, false);
    auto shell = pc::app::PcShell::create(loop, log, ui, accessLog, config, &progress);
    if (!shell) {
        err << "quillon: " << platform::describe(shell.error()) << "\n";
        return 1;
    }

    if (!options.id.empty())
        (*shell)->loginDialog().setIdOption(options.id);
    pc::app::XdgLauncher launcher;
    pc::app::UpdateCheck updateCheck((*shell)->profile(), ui, launcher, *home);
    gui::pc::QtShellDialogs dialogs(ui, &view);
    pc::app::MainWindowPorts ports { &view, &dialogs, &launcher, &ui, &log, [&] { return updateCheck.run(); },
        [] { return platform::pcAddress(); } };
    pc::app::MainWindow window(**shell, loop, ports, *home);
    view.setController(&window);
    // exit() rather than quit(): the windows are not asked again.
    view.setOnClosed([] { QCoreApplication::exit(0); });
    window.setStartNow(options.start);
    (void)start.instance().listenForActivation(loop, [&] { window.activate(); });

    // SIGINT and SIGTERM stop the server and end the program.
    std::thread waiter([&] {
        waitForStopSignal();
        QMetaObject::invokeMethod(&app, [&] { window.closeForShutdown(); });
    });

    window.open();
    view.show();
    int status = app.exec();
    (*shell)->stopServer();
    view.setController(nullptr);
    // The waiter still waits for a signal that will not come.
    waiter.detach();
    return status;
}

} // namespace apps::quillon
