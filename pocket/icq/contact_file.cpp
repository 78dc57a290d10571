#include "pocket/icq/contact_file.h"

#include "pocket/device/device_root.h"
#include "pocket/settings/pda_settings.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace pocket::icq {

namespace {

constexpr std::size_t kMaxDigits = 10;

std::string readAll(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

std::filesystem::path contactFilePath(const std::filesystem::path& deviceRoot, std::uint32_t ownUin)
{
    return device::DeviceRoot(deviceRoot).toLocal(std::string(settings::kServiceHome) + "\\icq_" + std::to_string(ownUin));
}

void ensureContactFile(const std::filesystem::path& file)
{
    std::error_code ignored;
    if (std::filesystem::exists(file, ignored))
        return;
    std::filesystem::create_directories(file.parent_path(), ignored);
    std::ofstream created(file, std::ios::binary | std::ios::app);
}

bool isIcqNumber(std::string_view text)
{
    return !text.empty() && text.size() <= kMaxDigits
        && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> readContactNumbers(const std::filesystem::path& file, std::size_t limit)
{
    const std::string content = readAll(file);
    std::vector<std::string> numbers;
    std::size_t start = 0;
    for (std::size_t slash = content.find('/'); slash != std::string::npos && numbers.size() < limit;
         slash = content.find('/', start)) {
        std::string_view number(content.data() + start, slash - start);
        if (isIcqNumber(number))
            numbers.emplace_back(number);
        start = slash + 1;
    }
    return numbers;
}

bool appendContactNumber(const std::filesystem::path& file, std::string_view number)
{
    const auto numbers = readContactNumbers(file, SIZE_MAX);
    if (std::find(numbers.begin(), numbers.end(), number) != numbers.end())
        return true;
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << number << '/';
    return static_cast<bool>(out);
}

bool rewriteContactFile(const std::filesystem::path& file, const std::vector<std::string>& numbers)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    for (const auto& number : numbers)
        out << number << '/';
    return static_cast<bool>(out);
}

} // namespace pocket::icq
