#include "gui/qt_ui.h"

#include "gui/qt_message_box.h"
#include "gui/qt_string.h"
#include "gui/qt_translations.h"

#include <QCoreApplication>

#include <QMessageBox>

namespace gui {

namespace {

QMessageBox::Icon qtIcon(platform::Icon icon)
{
    switch (icon) {
    case platform::Icon::Information:
        return QMessageBox::Information;
    case platform::Icon::Warning:
        return QMessageBox::Warning;
    case platform::Icon::Question:
        return QMessageBox::Question;
    case platform::Icon::Error:
        return QMessageBox::Critical;
    case platform::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(platform::Buttons buttons)
{
    switch (buttons) {
    case platform::Buttons::Ok:
        return QMessageBox::Ok;
    case platform::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case platform::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case platform::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton qtButton(platform::Answer answer)
{
    switch (answer) {
    case platform::Answer::Ok:
        return QMessageBox::Ok;
    case platform::Answer::Cancel:
        return QMessageBox::Cancel;
    case platform::Answer::Yes:
        return QMessageBox::Yes;
    case platform::Answer::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

} // namespace

std::unique_ptr<QMessageBox> makeMessageBox(std::string_view title, std::string_view text,
    platform::Buttons buttons, platform::Icon icon, QWidget* parent, std::optional<platform::Answer> defaultAnswer)
{
    auto box = std::make_unique<QMessageBox>(qtIcon(icon), toQString(title), toQString(text), qtButtons(buttons),
        parent);
    if (defaultAnswer && platform::offers(buttons, *defaultAnswer))
        box->setDefaultButton(qtButton(*defaultAnswer));
    return box;
}

QtUi::QtUi(QWidget* parent)
    : m_parent(parent)
{
    if (auto* app = QCoreApplication::instance())
        loadQtKoreanTranslations(*app);
}

void QtUi::messageBox(std::string_view title, std::string_view text, platform::Icon icon)
{
    makeMessageBox(title, text, platform::Buttons::Ok, icon, m_parent)->exec();
}

platform::Answer QtUi::question(std::string_view title, std::string_view text, platform::Buttons buttons,
    platform::Icon icon)
{
    return ask(title, text, buttons, icon, std::nullopt);
}

platform::Answer QtUi::question(std::string_view title, std::string_view text, platform::Buttons buttons,
    platform::Icon icon, platform::Answer defaultAnswer)
{
    return ask(title, text, buttons, icon, defaultAnswer);
}

platform::Answer QtUi::ask(std::string_view title, std::string_view text, platform::Buttons buttons,
    platform::Icon icon, std::optional<platform::Answer> defaultAnswer)
{
    switch (makeMessageBox(title, text, buttons, icon, m_parent, defaultAnswer)->exec()) {
    case QMessageBox::Ok:
        return platform::Answer::Ok;
    case QMessageBox::Yes:
        return platform::Answer::Yes;
    case QMessageBox::No:
        return platform::Answer::No;
    case QMessageBox::Cancel:
        return platform::Answer::Cancel;
    default:
        return platform::dismissAnswer(buttons);
    }
}

} // namespace gui
