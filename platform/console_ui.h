#pragma once

// File: platform/console_ui.h
// The Ui of both programs' console modes. A message box is the line
// "[title] text"; a question prints the same line, then a prompt naming the
// answers ("? yes/no"), and reads one answer per line ("yes", "no", "ok",
// "cancel", or their first letter; case is ignored). A line that is no offered
// answer asks again; the end of input answers as a dismissed dialog would
// (Cancel, else No). Thread-safe; the streams outlive the object.

#include "platform/ui.h"

#include <iosfwd>
#include <optional>
#include <mutex>

namespace platform {

class ConsoleUi final : public Ui {
public:
    ConsoleUi(std::istream& in, std::ostream& out);

    using Ui::question;
    void messageBox(std::string_view title, std::string_view text, Icon icon) override;
    Answer question(std::string_view title, std::string_view text, Buttons buttons, Icon icon) override;

private:
    std::istream& m_in;
    std::ostream& m_out;
    std::mutex m_mutex;
};

// Reads one typed answer ("Yes", "n", " cancel ") if the buttons offer it.
std::optional<Answer> parseAnswer(std::string_view typed, Buttons buttons);

} // namespace platform
