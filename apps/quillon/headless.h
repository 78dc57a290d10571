#pragma once

// File: apps/quillon/headless.h
// The PC program in a terminal: prepares the home and service folders, starts
// the server when asked (--start) and runs until SIGINT or SIGTERM. The end of
// standard input does not stop it.

#include "apps/quillon/options.h"

#include <functional>
#include <iosfwd>

namespace apps::quillon {

// Blocks until the program is asked to end.
using StopWaiter = std::function<void()>;

// Blocks SIGINT and SIGTERM in the calling thread and every thread it starts
// afterwards, so that waitForStopSignal() can take them. Call first in main().
void holdStopSignals();
void waitForStopSignal();

// Returns the process exit status.
int runHeadless(const PcOptions& options, std::ostream& out, std::ostream& err, const StopWaiter& waitForStop);

} // namespace apps::quillon
