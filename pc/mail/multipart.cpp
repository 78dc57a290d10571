#include "pc/mail/multipart.h"

#include "pc/mail/charset.h"
#include "pc/mail/text_util.h"
#include "platform/codec/base64.h"
#include "platform/codec/quoted_printable.h"

namespace pc::mail {
namespace {

// Finds "--boundary" at the start of a line, at or behind `from`.
std::size_t findDelimiter(std::string_view body, std::string_view delimiter, std::size_t from)
{
    while (true) {
        std::size_t at = body.find(delimiter, from);
        if (at == std::string_view::npos || at == 0 || body[at - 1] == '\n')
            return at;
        from = at + 1;
    }
}

std::string decodeTransfer(std::string_view body, std::string_view encoding)
{
    std::string word = transferEncodingWord(encoding);
    if (word == "base64")
        return platform::codec::decodeBase64Lenient(body);
    if (word == "quoted")
        return platform::codec::decodeQuotedPrintable(body);
    return std::string(body);
}

// The boundary of a part's own multipart body. A message part (a forwarded
// mail) carries it in the header of the message it encloses.
std::string partBoundary(const MimePart& part, std::string_view header, std::string_view body)
{
    std::string boundary = mimeParameter(header, "boundary");
    if (boundary.empty() && part.type == "message") {
        std::size_t end = body.find("\r\n\r\n");
        boundary = mimeParameter(body.substr(0, end), "boundary");
    }
    return boundary;
}

void splitInto(std::string_view body, std::string_view boundary, int depth, std::vector<MimePart>& parts)
{
    std::string delimiter = "--" + std::string(boundary);
    std::size_t at = findDelimiter(body, delimiter, 0);
    while (at != std::string_view::npos) {
        std::size_t begin = at + delimiter.size();
        if (body.substr(begin, 2) == "--")
            return;
        std::size_t next = findDelimiter(body, delimiter, begin);
        std::string_view text = body.substr(begin, next == std::string_view::npos ? body.npos : next - begin);
        std::size_t separator = text.find("\r\n\r\n");
        std::string_view header = text.substr(0, separator);
        std::string_view partBody = separator == std::string_view::npos ? std::string_view() : text.substr(separator + 4);

        MimePart part = decodePart(header, partBody);
        std::string nested = partBoundary(part, header, partBody);
        bool leaf = part.type == "text" || part.type.empty() || nested.empty() || depth >= kMaxMultipartDepth;
        if (leaf)
            parts.push_back(std::move(part));
        else
            splitInto(partBody, nested, depth + 1, parts);
        at = next;
    }
}

} // namespace

MimePart decodePart(std::string_view header, std::string_view body)
{
    MimePart part;
    ContentType type = ContentType::parse(mimeField(header, "Content-Type:"));
    part.type = type.type;
    part.subtype = type.subtype;
    part.encoding = toLowerAscii(mimeField(header, "Content-Transfer-Encoding:"));
    part.disposition = toLowerAscii(mimeField(header, "Content-Disposition:"));
    part.name = mimeFileNameParameter(header, "name");
    part.fileName = mimeFileNameParameter(header, "filename");
    part.charset = mimeParameter(header, "charset");

    bool inline_ = part.disposition.find("inline") != std::string::npos;
    bool textLike = part.type == "text" || part.type.empty();
    if (part.name.empty() && part.fileName.empty())
        part.isAttachment = false;
    else
        part.isAttachment = inline_ ? !textLike : true;

    if (part.isAttachment) {
        // The line break before a delimiter belongs to the delimiter
        // (RFC 2046 §5.1.1); it is not part of the attached file.
        std::string_view data = body;
        if (data.ends_with("\r\n"))
            data.remove_suffix(2);
        part.data = decodeTransfer(data, part.encoding);
    } else {
        part.text = toPcCodePage(decodeTransfer(body, part.encoding), part.charset);
    }
    return part;
}

std::vector<MimePart> splitMultipart(std::string_view body, std::string_view boundary)
{
    std::vector<MimePart> parts;
    if (!boundary.empty())
        splitInto(body, boundary, 0, parts);
    return parts;
}

} // namespace pc::mail
