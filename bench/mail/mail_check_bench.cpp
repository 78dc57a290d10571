// A mail check of many new messages from Dovecot on loopback, timed, and the
// same fetch with `curl pop3://` (one connection, every message RETRieved
// into a file) for reference, in the same run. Then a second check, which
// finds nothing new. Usage: mail_check_bench [count]

#include "bench/mail/message_generator.h"
#include "pc/mail/mail_check.h"
#include "pc/mail/pop3_client.h"
#include "platform/temp_folder.h"
#include "tests/fixtures/mail/dovecot_server.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// CPU seconds of this process (user and system), steadier than wall time on
// a shared machine.
double cpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

fs::path temporaryFolder()
{
    return platform::TempFolder("mail_check_bench").release();
}

std::uintmax_t folderBytes(const fs::path& folder)
{
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            total += entry.file_size();
    }
    return total;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t count = argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) : 1000;
    auto server = tests::fixtures::DovecotServer::start({ { "kim", "secret" } });
    if (!server) {
        std::fprintf(stderr, "%s\n", server.error().c_str());
        return 1;
    }
    auto messages = bench::mail::generateMessages(count);
    std::uintmax_t bytes = 0;
    for (const auto& message : messages) {
        bytes += message.size();
        if (auto delivered = (*server)->deliver("kim", message); !delivered) {
            std::fprintf(stderr, "%s\n", delivered.error().c_str());
            return 1;
        }
    }
    // Dovecot indexes the new mailbox at the first log-in; neither side pays that.
    {
        pc::mail::Pop3Client warm("127.0.0.1", (*server)->port(), "kim", "secret");
        if (!warm.connect() || warm.stat() != static_cast<int>(count) || !warm.uidl(static_cast<int>(count))) {
            std::fprintf(stderr, "Dovecot does not list the %zu messages\n", count);
            return 1;
        }
    }
    std::printf("%zu messages, %.1f MB delivered to Dovecot\n", count, static_cast<double>(bytes) / 1e6);

    fs::path folder = temporaryFolder();
    pc::mail::MailStore store(folder / "boxes", folder / "Quillon");
    pc::mail::MailUser user { "owner", { { "127.0.0.1:" + std::to_string((*server)->port()), "kim", "secret" } } };
    pc::mail::Pop3Options options;
    auto start = Clock::now();
    double cpuStart = cpuSeconds();
    auto result = pc::mail::runMailCheck(store, user, options);
    double check = secondsSince(start);
    double checkCpu = cpuSeconds() - cpuStart;
    std::size_t lines = 0;
    for (char c : result.mailList)
        lines += c == '\n';
    std::printf("quillon check:        %.3f s, %.3f s CPU  (%zu new, answer \"%.12s\", %.1f MB stored)\n", check,
        checkCpu, lines - 1,
        pc::mail::checkAnswerText(result).c_str(), static_cast<double>(folderBytes(folder / "boxes")) / 1e6);

    start = Clock::now();
    auto again = pc::mail::runMailCheck(store, user, options);
    std::printf("quillon check again:  %.3f s  (answer \"%s\")\n", secondsSince(start),
        pc::mail::checkAnswerText(again).c_str());

    fs::path curlFolder = folder / "curl";
    fs::create_directories(curlFolder);
    std::string command = "curl -s -u kim:secret \"pop3://127.0.0.1:" + std::to_string((*server)->port()) + "/[1-"
        + std::to_string(count) + "]\" -o \"" + curlFolder.string() + "/#1\"";
    start = Clock::now();
    rusage before {};
    ::getrusage(RUSAGE_CHILDREN, &before);
    int status = std::system(command.c_str());
    double curl = secondsSince(start);
    rusage after {};
    ::getrusage(RUSAGE_CHILDREN, &after);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    double curlCpu = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) - seconds(before.ru_stime);
    std::printf("curl pop3:// RETR:    %.3f s, %.3f s CPU  (exit %d, %.1f MB stored)\n", curl, curlCpu, status,
        static_cast<double>(folderBytes(curlFolder)) / 1e6);
    std::printf("quillon / curl:       %.2f\n", curl > 0 ? check / curl : 0.0);
    fs::remove_all(folder);
    return 0;
}
