#pragma once

// File: gui/qt_ui.h
// The Ui port with Qt message boxes: the title, the text, the icon and the
// buttons the caller asks for, modal over the parent window. The first QtUi
// of an application loads Qt's Korean texts (qt_translations.h), so that the
// standard buttons and dialogs of both programs speak the interface's
// language. GUI thread only.

#include "platform/ui.h"

#include <optional>

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
    platform::Answer question(std::string_view title, std::string_view text, platform::Buttons buttons,
        platform::Icon icon, platform::Answer defaultAnswer) override;

private:
    platform::Answer ask(std::string_view title, std::string_view text, platform::Buttons buttons,
        platform::Icon icon, std::optional<platform::Answer> defaultAnswer);

    QWidget* m_parent;
};

} // namespace gui
