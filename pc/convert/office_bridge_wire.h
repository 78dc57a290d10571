#pragma once

// File: pc/convert/office_bridge_wire.h
// The lines the server and the office bridge (tools/office-bridge) exchange
// over the bridge's standard input and output: one message per line, fields
// separated by tabs, every field percent-encoded, so that tabs, line breaks
// and any other bytes in paths and names travel safely.
//
//     bridge:  ready | fail REASON             once, when LibreOffice is up
//     server:  convert SOURCE TARGET FORMAT    FORMAT as `soffice --convert-to` takes it
//     bridge:  ok [SHEET ...] | fail REASON | gone
//     server:  quit
//
// "gone" says LibreOffice ended while the bridge waited for work; nothing was
// tried, and the request may be sent again to a new bridge.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pc::convert {

struct BridgeReply {
    enum class Kind {
        Ready,
        Ok,
        Fail,
        Gone,
        Malformed,
    };
    Kind kind = Kind::Malformed;
    // Ok: the names of a spreadsheet's sheets, in order. Fail: the reason.
    std::vector<std::string> fields;
};

std::string convertRequestLine(
    const std::filesystem::path& source, const std::filesystem::path& target, std::string_view format);
std::string quitRequestLine();

// A line from the bridge, without its "\n".
BridgeReply parseBridgeReply(std::string_view line);

} // namespace pc::convert
