#include "pc/convert/page_images.h"

#include <algorithm>
#include <thread>

namespace pc::convert {

namespace {

constexpr int kMinPagesToSplit = 8;

platform::Error failure(std::string context)
{
    return platform::Error { platform::ErrorCode::Protocol, std::move(context), 0 };
}

// pdftoppm draws one page at a time; two of them share the pages of a long
// document (the machine's cores are what bounds a 150-slide deck).
platform::IoResult<void> renderAll(const LibreOffice& office, const std::filesystem::path& pdf, int pages,
    int width, const std::filesystem::path& prefix)
{
    if (pages < kMinPagesToSplit || std::thread::hardware_concurrency() < 2)
        return office.renderPagesToWidth(pdf, 1, pages, width, prefix);
    int half = pages / 2;
    platform::IoResult<void> second = platform::IoResult<void>();
    std::thread helper([&] { second = office.renderPagesToWidth(pdf, half + 1, pages, width, prefix); });
    auto first = office.renderPagesToWidth(pdf, 1, half, width, prefix);
    helper.join();
    if (!first)
        return first;
    return second;
}

} // namespace

std::string slideImageName(int number)
{
    return "슬라이드" + std::to_string(number) + ".jpg";
}

platform::IoResult<int> writeSlideImages(
    const LibreOffice& office, const std::filesystem::path& pdf, const std::filesystem::path& folder, int width)
{
    int pages = TRY(office.pageCount(pdf));
    if (pages < 1)
        return failure("no pages");
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder / "pages", error);
    if (error)
        return platform::Error { platform::ErrorCode::IoError, "cannot create " + folder.string(), 0 };
    TRY(renderAll(office, pdf, pages, width, folder / "pages" / "page"));
    int written = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "pages", error)) {
        int number = renderedPageNumber(entry.path().filename().string(), "page", ".jpg");
        if (number <= 0 || number > pages)
            continue;
        std::error_code moveError;
        std::filesystem::rename(entry.path(), folder / slideImageName(number), moveError);
        if (moveError)
            return platform::Error { platform::ErrorCode::IoError, "cannot name page " + std::to_string(number), 0 };
        ++written;
    }
    std::filesystem::remove_all(folder / "pages", error);
    if (written != pages)
        return failure("pdftoppm drew " + std::to_string(written) + " of " + std::to_string(pages) + " pages");
    return pages;
}

} // namespace pc::convert
