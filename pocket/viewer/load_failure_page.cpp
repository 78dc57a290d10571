#include "pocket/viewer/load_failure_page.h"

#include "platform/decimal_number.h"

#include "platform/html_text.h"

namespace pocket::viewer {

namespace {

constexpr std::string_view kHttpPrefix = "HTTP ";

// The status of a page loader's "HTTP 400: http://..." error; 0 when none.
int httpStatusOf(std::string_view context)
{
    if (!context.starts_with(kHttpPrefix))
        return 0;
    context.remove_prefix(kHttpPrefix.size());
    return platform::leadingDecimal<int>(context);
}

std::string statusMeaning(int status)
{
    switch (status) {
    case 400:
        return "PC의 웹 서버가 요청을 거절하였습니다 (PC에 로그인한 주소가 아니거나 잘못된 요청입니다)";
    case 401:
        return "인증이 필요합니다";
    case 403:
        return "접근이 금지되어 있습니다";
    case 404:
        return "페이지가 없습니다";
    case 500:
        return "서버 오류입니다";
    case 501:
        return "서버가 지원하지 않는 요청입니다";
    default:
        return "서버가 오류로 응답하였습니다";
    }
}

} // namespace

std::string loadFailureCause(const platform::Error& error)
{
    if (int status = httpStatusOf(error.context); status != 0)
        return "HTTP " + std::to_string(status) + " - " + statusMeaning(status);
    switch (error.code) {
    case platform::ErrorCode::NotFound:
        return "파일이 없습니다";
    case platform::ErrorCode::Timeout:
        return "응답 시간이 초과되었습니다";
    case platform::ErrorCode::Unavailable:
        return "서버에 연결할 수 없습니다 (" + error.context + ")";
    case platform::ErrorCode::Protocol:
        return "페이지를 받을 수 없습니다 (" + error.context + ")";
    default:
        return "페이지를 읽을 수 없습니다 (" + error.context + ")";
    }
}

std::string loadFailurePage(std::string_view address, const platform::Error& error)
{
    return "<html><head><meta charset=\"utf-8\"></head><body>\n<h3>" + std::string(kLoadFailureTitle) + "</h3>\n<p>"
        + platform::htmlEscape(loadFailureCause(error)) + "</p>\n<p>주소: " + platform::htmlEscape(address) + "</p>\n</body></html>\n";
}

} // namespace pocket::viewer
