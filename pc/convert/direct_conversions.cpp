#include "pc/convert/direct_conversions.h"

#include "pc/convert/page_images.h"
#include "pc/convert/result_placement.h"
#include "platform/temp_folder.h"
#include "platform/trace.h"

namespace pc::convert {

namespace {

bool traced(const platform::Error& error, std::string_view what)
{
    platform::trace(std::string(what) + ": " + platform::describe(error));
    return false;
}

} // namespace

std::string jpegFormat(int width)
{
    return "jpg::" + std::to_string(width);
}

bool convertPdfPages(const LibreOffice& office, const std::filesystem::path& source,
    const std::filesystem::path& folder)
{
    auto work = platform::TempFolder::create("quillon-pdf");
    if (!work)
        return traced(work.error(), "pdf");
    std::filesystem::path pages = work->path() / "pages";
    if (auto written = writeSlideImages(office, source, pages, office.config().pageWidth); !written)
        return traced(written.error(), "pdf " + source.string());
    if (auto placed = placeResult(pages, folder); !placed)
        return traced(placed.error(), "pdf");
    return true;
}

bool convertImageToJpeg(const LibreOffice& office, const std::filesystem::path& source,
    const std::filesystem::path& target)
{
    auto work = platform::TempFolder::create("quillon-image");
    if (!work)
        return traced(work.error(), "image");
    auto jpeg = office.convert(source, jpegFormat(office.config().pageWidth), "jpg", work->path());
    if (!jpeg)
        return traced(jpeg.error(), "image " + source.string());
    if (auto placed = placeResult(*jpeg, target); !placed)
        return traced(placed.error(), "image");
    return true;
}

} // namespace pc::convert
