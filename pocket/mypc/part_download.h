#pragma once

// File: pocket/mypc/part_download.h
// A download written as "<name>.part" beside its destination and renamed to
// the destination only once the body is whole, so that a broken or refused
// transfer never replaces a file the user has.
//
// A resumable download (a PC file) also keeps "<name>.part.info" with what
// the part belongs to: the URL, the whole size and the version the web
// server named (its Last-Modified, when the response showed it to be one
// version). A download cut by a dropped connection keeps both; the next
// download of the same URL asks for the rest only (Range and If-Range) and
// appends it when the server answers with exactly that rest, of that size.
// Every other answer starts again from zero without splicing two files:
// 200 (another version, a changed file, a server without ranges) rewrites
// the part; 416 (the part reaches beyond the file) and a 206 of another
// range or size discard it, and the caller fetches the whole body again.
//
//     PartDownload part(destination, url, true);
//     fetch.get(url, write, {}, part.resumePoint(), [&](auto& head) { return part.onHead(head) == PartDownload::Head::Write; });
//
// Used by the transfer worker on its thread only.

#include "platform/http_fetch.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace pocket::mypc {

class PartDownload {
public:
    PartDownload(std::filesystem::path destination, std::string url, bool resumable);

    static std::filesystem::path partPathOf(const std::filesystem::path& destination);
    static std::filesystem::path infoPathOf(const std::filesystem::path& destination);

    // The range to ask for: the rest of a kept part of this URL, else the
    // whole body (from 0). A part of something else is discarded.
    platform::FetchRange resumePoint();

    enum class Head {
        Write, // Write the body (appended to the kept part, or from zero).
        Restart, // Useless answer (416, another range): fetch again from zero.
        Fail, // An error status or a part that cannot be written.
    };
    Head onHead(const platform::HttpResponse& head);

    bool write(std::string_view block);
    // Bytes of the body so far, the kept part's included.
    std::uint64_t received() const { return m_received; }

    // The body is complete: the part becomes the destination.
    bool finish();
    // The transfer broke: a resumable part of a known version stays for the
    // next try, anything else goes.
    void keepIfResumable();
    void discard();

private:
    bool openPart(bool append);
    void writeInfo(std::uint64_t total, const std::string& version);

    std::filesystem::path m_destination;
    std::filesystem::path m_part;
    std::filesystem::path m_info;
    std::string m_url;
    bool m_resumable;
    platform::FetchRange m_asked;
    std::uint64_t m_keptTotal = 0; // The whole size the kept part belongs to.
    std::uint64_t m_received = 0;
    bool m_versionKnown = false; // The info file names this part's version.
    std::ofstream m_file;
};

// "bytes first-last/total" of a Content-Range; false when it is not one.
struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint64_t total = 0;
};
bool parseContentRange(std::string_view value, ContentRange& range);

} // namespace pocket::mypc
