#pragma once

// File: platform/ui.h
// The Ui port: how subsystem code shows a message box or asks a question. The
// GUI implements it with dialogs, the console front ends with ConsoleUi, and
// tests with testing::FakeUi, which records calls and answers from a script.
// Called on the window thread.

#include <string>
#include <string_view>

namespace platform {

enum class Icon {
    None,
    Information,
    Warning, // The exclamation mark.
    Question,
    Error,
};

enum class Buttons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
};

enum class Answer {
    Ok,
    Cancel,
    Yes,
    No,
};

class Ui {
public:
    virtual ~Ui() = default;

    virtual void messageBox(std::string_view title, std::string_view text, Icon icon) = 0;
    virtual Answer question(std::string_view title, std::string_view text, Buttons buttons, Icon icon) = 0;
    // A question whose default button (the one Enter presses) gives
    // `defaultAnswer`, for questions whose first button loses something.
    // Front ends without a default button ask the plain question.
    virtual Answer question(std::string_view title, std::string_view text, Buttons buttons, Icon icon,
        Answer defaultAnswer)
    {
        (void)defaultAnswer;
        return question(title, text, buttons, icon);
    }

    // The usual question, with the question-mark icon.
    Answer question(std::string_view title, std::string_view text, Buttons buttons)
    {
        return question(title, text, buttons, Icon::Question);
    }
};

// The answer a dismissed dialog gives: Cancel where there is one, else No,
// else Ok.
Answer dismissAnswer(Buttons buttons);

// Whether a dialog with these buttons can give this answer.
bool offers(Buttons buttons, Answer answer);

std::string_view answerName(Answer answer); // "ok", "cancel", "yes", "no"

} // namespace platform
