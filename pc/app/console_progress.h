#pragma once

// File: pc/app/console_progress.h
// The progress window of searches and uploads in the headless program: a
// line "진행 N%" each time the bar passes another tenth, so that a long
// upload writes ten lines rather than one per block. Window thread only;
// the stream (shared with the log) outlives the object.

#include "pc/service/service_ports.h"

#include <iosfwd>
#include <string>

namespace pc::app {

class ConsoleProgress final : public service::ProgressView {
public:
    explicit ConsoleProgress(std::ostream& out);

    void openProgress() override;
    void setProgress(int percent) override;
    void stepProgress() override;
    void closeProgress() override;

    // The line for a position: "진행 30%".
    static std::string lineFor(int percent);

private:
    std::ostream& m_out;
    int m_position = 0; // 0 to 100, as the bar would show it.
    int m_shownTenths = 0; // Tenths already written since the window opened.
};

} // namespace pc::app
