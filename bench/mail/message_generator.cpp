#include "bench/mail/message_generator.h"

#include "platform/codec/base64.h"

#include <random>

namespace bench::mail {
namespace {

// "회의 일정 안내" in EUC-KR, and a Korean sentence in UTF-8.
const std::string kEucKrSubject = "\xC8\xB8\xC0\xC7 \xC0\xCF\xC1\xA4 \xBE\xC8\xB3\xBB";
const std::string kUtf8Sentence = "다음 주 월요일 오전 10시에 회의가 있습니다. 참석 부탁드립니다. ";

std::string encodedWord(const std::string& charset, const std::string& bytes)
{
    return "=?" + charset + "?B?" + platform::codec::encodeBase64(bytes) + "?=";
}

std::string header(std::size_t index, const std::string& contentType)
{
    std::string h;
    h += "Return-Path: <sender" + std::to_string(index) + "@example.co.kr>\r\n";
    h += "Received: from mail.example.co.kr (mail.example.co.kr [192.0.2.1])\r\n\tby pop.example.com; "
         "Tue, 5 Mar 2002 10:11:14 +0900\r\n";
    h += "Message-ID: <" + std::to_string(index) + ".1015290674@example.co.kr>\r\n";
    h += "From: " + encodedWord("euc-kr", "\xC8\xAB\xB1\xE6\xB5\xBF") + " <hong@example.co.kr>\r\n";
    h += "To: kim@example.com, " + encodedWord("utf-8", "이영희") + " <lee@example.com>\r\n";
    h += "Subject: " + encodedWord("euc-kr", kEucKrSubject) + " " + std::to_string(index) + "\r\n";
    h += "Date: Tue, 5 Mar 2002 10:11:12 +0900\r\nMIME-Version: 1.0\r\n";
    h += "Content-Type: " + contentType + "\r\n";
    return h;
}

std::string paragraphs(std::size_t bytes)
{
    std::string text;
    while (text.size() < bytes)
        text += kUtf8Sentence + "\r\n";
    return text;
}

std::string base64Lines(const std::string& bytes)
{
    return platform::codec::encodeBase64(bytes, platform::codec::Base64Lines::Mime) + "\r\n";
}

} // namespace

std::vector<std::string> generateMessages(std::size_t count, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> textSize(500, 8000);
    std::uniform_int_distribution<std::size_t> attachmentSize(10000, 120000);
    std::vector<std::string> messages;
    messages.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string text = paragraphs(textSize(random));
        std::string message;
        switch (i % 5) {
        case 0:
        case 1:
            message = header(i, "text/plain; charset=utf-8") + "Content-Transfer-Encoding: base64\r\n\r\n"
                + base64Lines(text);
            break;
        case 2:
        case 3: {
            std::string b = "----=_NextPart_" + std::to_string(i);
            message = header(i, "multipart/alternative;\r\n\tboundary=\"" + b + "\"") + "\r\n";
            message += "--" + b + "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                + base64Lines(text);
            message += "--" + b + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                + base64Lines("<html><body><div>" + text + "</div></body></html>");
            message += "--" + b + "--\r\n";
            break;
        }
        default: {
            std::string b = "=_mixed_" + std::to_string(i);
            std::string data(attachmentSize(random), '\0');
            for (char& c : data)
                c = static_cast<char>(random() & 0xFF);
            message = header(i, "multipart/mixed; boundary=\"" + b + "\"") + "\r\n";
            message += "--" + b + "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                + base64Lines(text);
            message += "--" + b + "\r\nContent-Type: application/octet-stream; name=\"" + encodedWord("euc-kr", kEucKrSubject)
                + ".bin\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\""
                + encodedWord("euc-kr", kEucKrSubject) + ".bin\"\r\n\r\n" + base64Lines(data);
            message += "--" + b + "--\r\n";
            break;
        }
        }
        messages.push_back(std::move(message));
    }
    return messages;
}

} // namespace bench::mail
