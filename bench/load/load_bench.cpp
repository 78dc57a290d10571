// How long a handheld waits for each step of its work on a PC program under
// hostile load, compared with the same steps without it, in one run:
// `quillon --headless` in a temporary home, a scripted handheld that logs
// in, lists a folder, downloads 50 MB and uploads 20 MB, and then the same
// again while 1000 idle command connections (reconnecting whenever the PC
// closes one) and 3 slow-loris web clients hold the PC's ports. Rounds with
// and without the load alternate; each figure is the median of --runs
// rounds.
//
//   load_bench QUILLON_BINARY [--runs N] [--idle N] [--slow N]

#include "bench/load/hostile_load.h"
#include "pc/service/testing/scripted_handheld.h"
#include "platform/net_address.h"
#include "platform/temp_folder.h"
#include "platform/testing/loopback_port.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace pc::service::testing;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kDownloadBytes = 50u * 1024 * 1024;
constexpr std::size_t kUploadBytes = 20u * 1024 * 1024;
constexpr const char* kPassword = "secret";

struct Ports {
    std::uint16_t command = 0;
    std::uint16_t upload = 0;
    std::uint16_t web = 0;
};

std::string pcPathOf(const fs::path& local)
{
    std::string path = "C:" + local.string();
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void raiseDescriptorLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// The PC program as a child process, stopped with SIGTERM.
class PcProgram {
public:
    PcProgram(const std::string& binary, const fs::path& home, const Ports& ports)
    {
        fs::create_directories(home);
        m_pid = ::fork();
        if (m_pid == 0) {
            int quiet = ::open((home / "quillon.out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int nothing = ::open("/dev/null", O_RDONLY);
            ::dup2(nothing, 0);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            ::setenv("QUILLON_PASSWORD", kPassword, 1);
            std::string c = std::to_string(ports.command), u = std::to_string(ports.upload),
                        w = std::to_string(ports.web);
            ::execl(binary.c_str(), "quillon", "--headless", "--start", "--home", home.c_str(), "--id", "owner",
                "--command-port", c.c_str(), "--upload-port", u.c_str(), "--web-port", w.c_str(),
                static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~PcProgram()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
    }
    bool isRunning() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = -1;
};

bool waitForPort(std::uint16_t port)
{
    for (int i = 0; i < 500; ++i) {
        if (platform::connectTcp("127.0.0.1", port))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The next answer that is not a keep-alive probe (answered as the handheld does).
std::optional<proto::PcAnswer> answerTo(ScriptedHandheld& handheld, const proto::PcRequest& request)
{
    handheld.send(request);
    for (;;) {
        auto answer = handheld.waitAnswer(std::chrono::minutes(2));
        if (!answer || answer->code != 328)
            return answer;
        handheld.send({ 0, 328, "" });
    }
}

struct Handheld {
    const Ports& ports;
    fs::path files;
    std::string upload;
    std::unique_ptr<ScriptedHandheld> link;

    bool logIn()
    {
        link = ScriptedHandheld::connect(ports.command, "127.0.0.1");
        if (!link)
            return false;
        auto answer = answerTo(*link, { 0, 310, std::string("owner\n") + kPassword });
        return answer && answer->text.rfind("YES", 0) == 0;
    }
    bool list()
    {
        auto answer = answerTo(*link, { 10, 306, pcPathOf(files) + "\\" });
        if (!answer || answer->code != 306)
            return false;
        if (answer->text.rfind(".", 0) == 0)
            return true;
        auto reply = httpGet(ports.web, "/serverfolder");
        return reply && reply->status == 200;
    }
    bool download()
    {
        auto answer = answerTo(*link, { 0, 323, pcPathOf(files / "big.bin") });
        if (!answer || answer->first != static_cast<std::int32_t>(kDownloadBytes))
            return false;
        auto reply = httpGet(ports.web, "/pda_Download/big.bin");
        return reply && reply->status == 200 && reply->body.size() == kDownloadBytes;
    }
    bool sendUpload()
    {
        auto channel = ScriptedUpload::connect(ports.upload, "127.0.0.1");
        if (!channel)
            return false;
        auto answer = answerTo(*link, { 0, 309, std::to_string(kUploadBytes) + "\nup.bin\nowner" });
        if (!answer || answer->first != 0)
            return false;
        for (std::size_t at = 0, block = 0; at < upload.size(); at += 1024, ++block) {
            channel->sendBlock(std::string_view(upload).substr(at, 1024));
            if (!channel->waitAcks(block + 1, std::chrono::minutes(2)))
                return false;
        }
        channel->sendBlock("FILE_SEND_COMPLETE");
        auto done = link->waitAnswer(std::chrono::minutes(2));
        while (done && done->code == 328)
            done = link->waitAnswer(std::chrono::minutes(2));
        return done && done->code == 309 && done->first == 1;
    }
};

using Step = std::pair<const char*, std::function<bool(Handheld&)>>;

// Milliseconds per step for one round; empty when a step failed.
std::map<std::string, double> oneRound(Handheld& handheld)
{
    const Step steps[] = {
        { "login", [](Handheld& h) { return h.logIn(); } },
        { "list", [](Handheld& h) { return h.list(); } },
        { "download 50 MB", [](Handheld& h) { return h.download(); } },
        { "upload 20 MB", [](Handheld& h) { return h.sendUpload(); } },
    };
    std::map<std::string, double> times;
    for (const auto& [name, run] : steps) {
        auto start = Clock::now();
        if (!run(handheld)) {
            std::cerr << "step failed: " << name << "\n";
            return {};
        }
        times[name] = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    handheld.link.reset();
    return times;
}

using Rounds = std::map<std::string, std::vector<double>>;

void addRound(Rounds& rounds, Handheld& handheld)
{
    for (const auto& [name, ms] : oneRound(handheld))
        rounds[name].push_back(ms);
    // Let the PC see the handheld's connections close.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

std::map<std::string, double> medians(Rounds& rounds)
{
    std::map<std::string, double> result;
    for (auto& [name, values] : rounds) {
        std::sort(values.begin(), values.end());
        result[name] = values[values.size() / 2];
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: load_bench QUILLON_BINARY [--runs N] [--idle N] [--slow N]\n";
        return 2;
    }
    int runs = 5, idle = 1000, slow = 3;
    for (int i = 2; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (option == "--runs")
            runs = value;
        else if (option == "--idle")
            idle = value;
        else if (option == "--slow")
            slow = value;
    }
    ::signal(SIGPIPE, SIG_IGN);
    raiseDescriptorLimit();
    platform::TempFolder work("quillon-load-bench");
    fs::path files = work.path() / "files";
    fs::create_directories(files);
    {
        std::string chunk(1024 * 1024, 'd');
        std::ofstream out(files / "big.bin", std::ios::binary);
        for (std::size_t i = 0; i < kDownloadBytes / chunk.size(); ++i)
            out << chunk;
        for (int i = 0; i < 40; ++i)
            std::ofstream(files / ("note" + std::to_string(i) + ".txt")) << "note";
    }
    Ports ports { platform::testing::freeLoopbackPort(), platform::testing::freeLoopbackPort(),
        platform::testing::freeLoopbackPort() };
    PcProgram program(argv[1], work.path() / "home", ports);
    if (!waitForPort(ports.command) || !waitForPort(ports.web)) {
        std::cerr << "quillon did not start; see " << (work.path() / "home" / "quillon.out") << "\n";
        return 1;
    }
    Handheld handheld { ports, files, std::string(kUploadBytes, 'u'), nullptr };

    // Rounds without and with load alternate, so that whatever else the
    // machine does weighs on both alike.
    Rounds quiet;
    Rounds busy;
    std::uint64_t connects = 0;
    for (int i = 0; i < runs; ++i) {
        addRound(quiet, handheld);
        bench::load::HostileLoad load({ ports.command, ports.web }, idle, slow);
        load.start();
        std::this_thread::sleep_for(std::chrono::seconds(2)); // The crowd gathers.
        addRound(busy, handheld);
        connects += load.connectsMade();
        load.stop();
    }
    auto unloaded = medians(quiet);
    auto loaded = medians(busy);
    if (!program.isRunning() || unloaded.size() != 4 || loaded.size() != 4) {
        std::cerr << "a step failed or the PC program ended\n";
        return 1;
    }

    std::printf("handheld waits, median of %d rounds (load: %d idle command connections, %d slow-loris web "
                "clients, %llu connects made)\n",
        runs, idle, slow, static_cast<unsigned long long>(connects));
    std::printf("%-16s %12s %12s %8s\n", "step", "unloaded ms", "loaded ms", "ratio");
    bool underTwice = true;
    for (const char* name : { "login", "list", "download 50 MB", "upload 20 MB" }) {
        double ratio = loaded[name] / std::max(unloaded[name], 0.001);
        underTwice = underTwice && ratio < 2.0;
        std::printf("%-16s %12.1f %12.1f %8.2f\n", name, unloaded[name], loaded[name], ratio);
    }
    std::printf("goal (every step under 2x): %s\n", underTwice ? "met" : "missed");
    return 0;
}
