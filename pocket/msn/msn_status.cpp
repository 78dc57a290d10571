#include "pocket/msn/msn_status.h"

namespace pocket::msn {

namespace {

    struct WordCode {
        std::string_view word;
        MsnStatusCode code;
    };

    constexpr WordCode kWords[] = {
        { "NLN", status::kOnline },
        { "BLK", status::kBlocked },
        { "FLN", status::kOffline },
        { "HDN", status::kHidden },
        { "BRB", status::kBeRightBack },
        { "BSY", status::kBusy },
        { "AWY", status::kAway },
        { "IDL", status::kIdle },
        { "PHN", status::kOnPhone },
        { "LUN", status::kAtLunch },
    };

} // namespace

MsnStatusCode statusFromWord(std::string_view word)
{
    for (const auto& entry : kWords)
        if (entry.word == word)
            return entry.code;
    return status::kUnknown;
}

MsnStatusCode ownStatusFromWord(std::string_view word)
{
    return word == "BLK" ? status::kUnknown : statusFromWord(word);
}

std::optional<MsnStatusCode> presenceFromWord(std::string_view word)
{
    if (word == "BLK" || word == "FLN" || word == "HDN")
        return std::nullopt;
    MsnStatusCode code = statusFromWord(word);
    if (code == status::kUnknown)
        return std::nullopt;
    return code;
}

std::string_view wordForStatus(MsnStatusCode code)
{
    for (const auto& entry : kWords)
        if (entry.code == code && entry.word != "BLK" && entry.word != "FLN")
            return entry.word;
    return {};
}

std::string ownStatusLine(MsnStatusCode code, std::string_view loginId)
{
    std::string_view text;
    switch (code) {
    case status::kOnline:
        text = "온라인";
        break;
    case status::kOffline:
        text = "오프라인";
        break;
    case status::kHidden:
        text = "오프라인으로 표시";
        break;
    case status::kBusy:
        text = "다른 용무 중";
        break;
    case status::kIdle:
        text = "자리비움";
        break;
    case status::kBeRightBack:
        text = "곧 돌아오겠음";
        break;
    case status::kAway:
        text = "자리비움";
        break;
    case status::kOnPhone:
        text = "통화중";
        break;
    case status::kAtLunch:
        text = "식사중";
        break;
    default:
        text = "알 수 없음";
        break;
    }
    return std::string(loginId) + " (" + std::string(text) + ")";
}

std::string_view treeStatusText(MsnStatusCode code)
{
    switch (code) {
    case status::kHidden:
        return "오프라인으로 표시";
    case status::kOffline:
        return "오프라인";
    case status::kOnline:
        return "온라인";
    case status::kBeRightBack:
        return "곧 돌아오겠음";
    case status::kBusy:
        return "다른 용무중";
    case status::kAway:
        return "자리비움";
    case status::kIdle:
        return "자리비움";
    case status::kOnPhone:
        return "통화 중";
    case status::kAtLunch:
        return "식사 중";
    default:
        return "알수없음";
    }
}

std::string_view infoStatusText(MsnStatusCode code)
{
    switch (code) {
    case status::kOffline:
        return "오프라인";
    case status::kHidden:
        return "오프라인으로 표시";
    case status::kOnline:
        return "온라인";
    case status::kBeRightBack:
        return "곧 돌아오겠음";
    case status::kBusy:
        return "바쁨";
    case status::kAway:
        return "자리비움";
    case status::kIdle:
        return "자리비움";
    case status::kOnPhone:
        return "통화중";
    case status::kAtLunch:
        return "식사중";
    default:
        return "알 수 없음";
    }
}

int treeImageIndex(MsnStatusCode code)
{
    switch (code) {
    case status::kOnline:
        return 0;
    case status::kHidden:
        return 1;
    case status::kBusy:
    case status::kOnPhone:
        return 2;
    case status::kBeRightBack:
    case status::kAway:
    case status::kIdle:
    case status::kAtLunch:
        return 3;
    default:
        return 4;
    }
}

int statusBitmap(MsnStatusCode code)
{
    switch (code) {
    case status::kOnline:
        return 150;
    case status::kBlocked:
    case status::kOffline:
    case status::kHidden:
        return 153;
    case status::kBusy:
    case status::kOnPhone:
        return 152;
    case status::kBeRightBack:
    case status::kAway:
    case status::kIdle:
    case status::kAtLunch:
        return 154;
    default:
        return 151;
    }
}

} // namespace pocket::msn
