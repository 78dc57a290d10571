#include "platform/trusted_authorities.h"

#include <cstdlib>

namespace platform {

std::string extraCaFile()
{
    const char* file = std::getenv(kCaFileVariable);
    return file ? std::string(file) : std::string();
}

} // namespace platform
