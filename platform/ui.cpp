#include "platform/ui.h"

namespace platform {

Answer dismissAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::YesNo:
        return Answer::No;
    case Buttons::OkCancel:
    case Buttons::YesNoCancel:
        break;
    }
    return Answer::Cancel;
}

bool offers(Buttons buttons, Answer answer)
{
    switch (buttons) {
    case Buttons::Ok:
        return answer == Answer::Ok;
    case Buttons::OkCancel:
        return answer == Answer::Ok || answer == Answer::Cancel;
    case Buttons::YesNo:
        return answer == Answer::Yes || answer == Answer::No;
    case Buttons::YesNoCancel:
        return answer == Answer::Yes || answer == Answer::No || answer == Answer::Cancel;
    }
    return false;
}

std::string_view answerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok:
        return "ok";
    case Answer::Cancel:
        return "cancel";
    case Answer::Yes:
        return "yes";
    case Answer::No:
        return "no";
    }
    return "cancel";
}

} // namespace platform
