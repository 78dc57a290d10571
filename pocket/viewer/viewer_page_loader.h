#pragma once

// File: pocket/viewer/viewer_page_loader.h
// Where the HTML view gets its bytes: http addresses through the HTTP
// stand-in (platform::HttpFetch, 512-byte blocks), handheld paths
// ("\Windows\pda_hello.html") from the device root. A page's images and
// links resolve against its address (viewer_address.h) and load the same
// way. Blocking: the GUI calls it from a worker or accepts the wait; one load
// at a time per loader. An http load is bounded in size and in time, as the
// handheld's other fetches from the PC are: a server that trickles a byte now
// and then ends with Timeout at the deadline.

#include "platform/http_fetch.h"
#include "platform/result.h"
#include "pocket/link/fetch_to_file.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace pocket::device {
class DeviceRoot;
}

namespace pocket::viewer {

struct LoadedPage {
    std::string address;     // The address that was loaded.
    std::string contentType; // From the server, or guessed from the extension.
    std::string content;
};

class PageLoader {
public:
    // Pages and resources larger than this are refused rather than held.
    static constexpr std::size_t kMaxPageBytes = 16 * 1024 * 1024;

    // The bounds of each http load: kMaxPageBytes within the deadline of the
    // handheld's fetches.
    static constexpr platform::FetchLimits kFetchLimits { link::kFetchDeadline, kMaxPageBytes };

    PageLoader(platform::HttpFetch& fetch, const device::DeviceRoot& device,
        const platform::FetchLimits& limits = kFetchLimits);

    // Errors: NotFound (a missing handheld file or HTTP 404), Protocol (an
    // HTTP status other than 2xx, or too large), Timeout (the deadline
    // passed), and the fetch's own errors.
    platform::IoResult<LoadedPage> load(std::string_view address);
    // A reference of the page at `pageAddress`.
    platform::IoResult<LoadedPage> loadResource(std::string_view pageAddress, std::string_view reference);

private:
    platform::HttpFetch& m_fetch;
    const device::DeviceRoot& m_device;
    platform::FetchLimits m_limits;
};

// The content type of a file by its extension ("text/html" for .htm/.html,
// "text/plain" for .txt, image types, else "application/octet-stream").
std::string contentTypeForName(std::string_view name);

// Writes the start page "\Windows\pda_hello.html" when the device has none,
// as installing the program does.
platform::IoResult<void> installStartPage(const device::DeviceRoot& device);

} // namespace pocket::viewer
