#pragma once

// File: gui/qt_message_box.h
// The Qt message box of the Ui port (qt_ui.h): title, text, icon and
// buttons as the caller asks. Made here so that tools can show the very box
// a question shows (the screenshots) without running it.

#include "platform/ui.h"

#include <QMessageBox>

#include <memory>
#include <optional>

namespace gui {

std::unique_ptr<QMessageBox> makeMessageBox(std::string_view title, std::string_view text,
    platform::Buttons buttons, platform::Icon icon, QWidget* parent,
    std::optional<platform::Answer> defaultAnswer = std::nullopt);

} // namespace gui
