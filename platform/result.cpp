#include "platform/result.h"

#include <cerrno>
#include <cstring>

namespace platform {

Error errorFromErrno(std::string context, int errnoValue)
{
    ErrorCode code = ErrorCode::IoError;
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        code = ErrorCode::NotFound;
        break;
    case EACCES:
    case EPERM:
        code = ErrorCode::PermissionDenied;
        break;
    case ETIMEDOUT:
    case EAGAIN:
        code = ErrorCode::Timeout;
        break;
    case EPIPE:
    case ECONNRESET:
    case ENOTCONN:
        code = ErrorCode::Closed;
        break;
    case EINVAL:
        code = ErrorCode::InvalidArgument;
        break;
    default:
        break;
    }
    return Error { code, std::move(context), errnoValue };
}

std::string describe(const Error& error)
{
    if (error.systemError == 0)
        return error.context;
    return error.context + ": " + std::strerror(error.systemError);
}

} // namespace platform
