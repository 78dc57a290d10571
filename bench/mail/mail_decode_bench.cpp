// Decodes a generated corpus of 2000 messages with the MIME decoder and with
// Python's email package in the same run, and prints messages per second
// for both and their ratio. Usage: mail_decode_bench [count] [rounds]

#include "bench/mail/message_generator.h"
#include "pc/mail/mime_message.h"
#include "platform/temp_folder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string asRetrAnswer(const std::string& message)
{
    std::string out = "+OK message follows\r\n";
    out.reserve(message.size() + 64);
    bool lineStart = true;
    for (char c : message) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n';
    }
    return out + ".\r\n";
}

double decodeRound(const std::vector<std::string>& answers, std::size_t& checksum)
{
    auto start = std::chrono::steady_clock::now();
    for (const std::string& answer : answers) {
        auto decoded = pc::mail::decodeMessageText(answer, "pop.example.com", "uid");
        if (decoded) {
            checksum += decoded->message.body.size() + decoded->message.subject.size();
            for (const auto& attachment : decoded->attachments)
                checksum += decoded->data(attachment).size();
        }
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double runPython(const fs::path& folder, int rounds)
{
    std::string command = std::string("python3 ") + QUILLON_PYTHON_DECODER + " " + folder.string() + " "
        + std::to_string(rounds);
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return 0;
    char line[512] = {};
    std::string output;
    while (std::fgets(line, sizeof line, pipe))
        output += line;
    ::pclose(pipe);
    std::printf("python: %s", output.c_str());
    auto at = output.find("per_second=");
    return at == std::string::npos ? 0 : std::atof(output.c_str() + at + 11);
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    auto messages = bench::mail::generateMessages(count);

    fs::path folder = platform::TempFolder("mail_decode_bench").release();
    std::size_t totalBytes = 0;
    std::vector<std::string> answers;
    answers.reserve(messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%05zu.eml", i);
        std::ofstream(folder / name, std::ios::binary) << messages[i];
        totalBytes += messages[i].size();
        answers.push_back(asRetrAnswer(messages[i]));
    }
    std::printf("corpus: %zu messages, %.1f MB, one in five with an attachment\n", messages.size(),
        static_cast<double>(totalBytes) / 1e6);

    std::size_t checksum = 0;
    double best = 1e30;
    for (int r = 0; r < rounds; ++r)
        best = std::min(best, decodeRound(answers, checksum));
    double ours = static_cast<double>(messages.size()) / best;
    std::printf("quillon: messages=%zu seconds=%.6f per_second=%.1f (checksum %zu)\n", messages.size(), best, ours,
        checksum);

    double python = runPython(folder, rounds);
    if (python > 0)
        std::printf("ratio: quillon is %.1fx Python's email package\n", ours / python);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return python > 0 ? 0 : 1;
}
