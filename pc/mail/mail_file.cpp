#include "pc/mail/mail_file.h"

namespace pc::mail {

std::string buildMailHeaderBlock(const MailFileHeader& header)
{
    std::string_view list = header.attachmentList;
    if (list.starts_with('/'))
        list.remove_prefix(1);
    std::string out(list);
    out += "//";
    out += "From : " + header.from + " \r\n";
    out += "To : " + header.to + " \r\n";
    out += "Cc : " + header.cc + " \r\n";
    out += "Title : " + header.subject + " \r\n";
    out += "Time : " + header.time + " \r\n";
    out += "Pop3 : " + header.server + " \r\n";
    return out;
}

std::string buildMailFile(std::string_view headerBlock, std::string_view body)
{
    std::string out;
    out.reserve(headerBlock.size() + body.size() + 24);
    out += headerBlock;
    out += "Body : <pre>";
    out += body;
    out += "</pre>[END]";
    return out;
}

std::string mailListLine(std::string_view subject, std::string_view from, std::string_view server,
    std::string_view uid)
{
    std::string out;
    out.reserve(subject.size() + from.size() + server.size() + uid.size() + 4);
    out.append(subject).append("\t").append(from).append("\t").append(server).append("\t").append(uid);
    out += '\n';
    return out;
}

} // namespace pc::mail
