#include "pc/convert/office_bridge_wire.h"

#include "platform/codec/percent_encoding.h"

namespace pc::convert {

namespace {

std::string field(std::string_view text)
{
    return platform::codec::percentEncode(text);
}

} // namespace

std::string convertRequestLine(
    const std::filesystem::path& source, const std::filesystem::path& target, std::string_view format)
{
    return "convert\t" + field(source.string()) + "\t" + field(target.string()) + "\t" + field(format) + "\n";
}

std::string quitRequestLine()
{
    return "quit\n";
}

BridgeReply parseBridgeReply(std::string_view line)
{
    std::vector<std::string> fields;
    while (true) {
        std::size_t tab = line.find('\t');
        fields.push_back(platform::codec::percentDecode(line.substr(0, tab)));
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    BridgeReply reply;
    const std::string& word = fields.front();
    if (word == "ready" && fields.size() == 1)
        reply.kind = BridgeReply::Kind::Ready;
    else if (word == "ok")
        reply.kind = BridgeReply::Kind::Ok;
    else if (word == "fail" && fields.size() == 2)
        reply.kind = BridgeReply::Kind::Fail;
    else if (word == "gone" && fields.size() == 1)
        reply.kind = BridgeReply::Kind::Gone;
    else
        return reply;
    reply.fields.assign(fields.begin() + 1, fields.end());
    return reply;
}

} // namespace pc::convert
