#include "pocket/device/device_root.h"

#include <system_error>

namespace pocket::device {

DeviceRoot::DeviceRoot(std::filesystem::path root)
    : m_root(std::move(root))
{
}

std::filesystem::path DeviceRoot::toLocal(std::string_view handheldPath) const
{
    std::filesystem::path local = m_root;
    std::size_t start = 0;
    while (start <= handheldPath.size()) {
        std::size_t end = handheldPath.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = handheldPath.size();
        std::string_view part = handheldPath.substr(start, end - start);
        if (!part.empty() && part != "." && part != "..")
            local /= std::string(part);
        start = end + 1;
    }
    return local;
}

void DeviceRoot::prepare() const
{
    std::error_code ignored;
    std::filesystem::create_directories(m_root, ignored);
    for (const char* folder : { "Program Files", "My Documents", "Windows" })
        std::filesystem::create_directory(m_root / folder, ignored);
}

} // namespace pocket::device
