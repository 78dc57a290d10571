#pragma once

// File: gui/qt_ui.h
// The Ui port with Qt message boxes: the title, the text, the icon and the
// buttons the caller asks for, modal over the parent window. GUI thread only.

#include "platform/ui.h"

class QWidget;

namespace gui {

class QtUi final : public platform::Ui {
public:
    explicit QtUi(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }

    using platform::Ui::question;
    void messageBox(std::string_view title, std::string_view text, platform::Icon icon) override;
    platform::Answer question(std::string_view title, std::string_view text, platform::Buttons buttons,
        platform::Icon icon) override;

private:
    QWidget* m_parent;
};

} // namespace gui
