#include "pc/convert/gif_pages.h"

#include "pc/convert/gif_encoder.h"
#include "platform/temp_folder.h"
#include "platform/files.h"

namespace pc::convert {

platform::IoResult<void> renderPageAsGif(const LibreOffice& office, const std::filesystem::path& pdf,
    int page, int dpi, const std::filesystem::path& file)
{
    auto work = TRY(platform::TempFolder::create("quillon-page"));
    std::filesystem::path ppm = work.path() / "page.ppm";
    TRY(office.renderPage(pdf, page, dpi, PageImageFormat::Ppm, ppm));
    auto bytes = TRY(platform::readWholeFile(ppm));
    auto image = parsePpm(bytes);
    if (!image)
        return platform::Error { platform::ErrorCode::Protocol, "unreadable page image " + ppm.string(), 0 };
    return platform::writeFileAtomically(file, encodeGif(*image), 0644);
}

} // namespace pc::convert
