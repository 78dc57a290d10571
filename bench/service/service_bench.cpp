// Measures the remote service in one process: the service runs on its own
// event-loop thread with ephemeral loopback ports, and a scripted handheld
// drives it. Every figure is compared with a reference taken in the same run.
//
//   service_bench
//   -> search_ms=... find_ms=... ratio=...
//      list_20000_ms=...
//      upload_mb_per_s=... lockstep_tcp_mb_per_s=... plain_tcp_mb_per_s=...
//      download_mb_per_s=... (308 copy + HTTP GET)

#include "bench/service/bench_service.h"
#include "bench/service/loopback_reference.h"
#include "pc/service/http_web_service.h"
#include "pc/service/remote_service.h"
#include "pc/service/testing/scripted_handheld.h"
#include "pc/service/drive_paths.h"
#include "platform/net_address.h"
#include "platform/poll_event_loop.h"
#include "platform/temp_folder.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace pc::service;
using namespace pc::service::testing;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void makeTree(const fs::path& top, int files)
{
    int perFolder = 100;
    for (int i = 0; i < files; ++i) {
        fs::path folder = top / ("d" + std::to_string(i / (perFolder * 10))) / ("s" + std::to_string(i / perFolder % 10));
        if (i % perFolder == 0)
            fs::create_directories(folder);
        std::string name = (i % 100 == 7 ? "Needle_" : "file_") + std::to_string(i) + ".dat";
        std::ofstream(folder / name).put('x');
    }
}

double timeFind(const fs::path& top)
{
    std::string command = "find '" + top.string() + "' -iname '*needle*' > /dev/null";
    auto start = Clock::now();
    if (std::system(command.c_str()) != 0)
        std::cerr << "find failed\n";
    return msSince(start);
}

// The service with its web server on a real clock, C: mapped onto a
// temporary disk folder.
class BenchService {
public:
    BenchService()
        : m_home(makeHome())
        , loop(clock)
    {
        fs::create_directories(disk());
        drives.setDrive('C', disk().string());
        ServiceFolders folders = ServiceFolders::under(m_home);
        service = bench::makeBenchService(loop, log, paths, folders);
        web = std::make_unique<HttpWebService>(clock, service->webAccess(), accessLog, WebConfig { folders.root, 0, "127.0.0.1" });
        service->setWebService(web.get());
    }
    ~BenchService()
    {
        service.reset();
        web.reset();
        fs::remove_all(m_home);
    }

    void run();

private:
    static fs::path makeHome()
    {
        return platform::TempFolder("quillon-bench").release();
    }
    fs::path disk() const { return m_home / "disk"; }

    proto::PcAnswer ask(ScriptedHandheld& handheld, const proto::PcRequest& request)
    {
        handheld.send(request);
        return handheld.waitAnswer(std::chrono::minutes(5)).value_or(proto::PcAnswer {});
    }

    fs::path m_home;
    platform::SystemClock clock;
    platform::PollEventLoop loop;
    platform::DriveMap drives;
    DrivePaths paths { drives };
    bench::SilentLog log;
    std::ostringstream accessLog;
    std::unique_ptr<RemoteService> service;
    std::unique_ptr<HttpWebService> web;
};

void BenchService::run()
{
    service->start();
    std::thread window([&] { loop.run(); });
    auto handheld = ScriptedHandheld::connect(service->commandPort());
    handheld->send({ 0, 310, "owner\nsecret" });
    handheld->waitAnswer();
    handheld->waitAnswer(); // The first keep-alive probe.

    makeTree(disk() / "tree", 100000);
    timeFind(disk() / "tree"); // Warm the caches for both.
    auto start = Clock::now();
    auto found = ask(*handheld, { 1, 307, "0\n100000\nC:\\tree\n\nneedle" });
    double searchMs = msSince(start);
    double findMs = timeFind(disk() / "tree");
    std::printf("search_ms=%.1f find_ms=%.1f ratio=%.2f found=%d\n", searchMs, findMs, searchMs / findMs, found.first);

    fs::create_directories(disk() / "wide");
    for (int i = 0; i < 20000; ++i)
        std::ofstream(disk() / "wide" / ("entry_" + std::to_string(i) + ".txt")).put('y');
    start = Clock::now();
    auto listed = ask(*handheld, { 2, 306, "C:\\wide\\" });
    std::printf("list_20000_ms=%.1f answer=%s\n", msSince(start), listed.text.c_str());

    const std::size_t uploadBytes = 20u << 20;
    auto upload = platform::connectTcp("127.0.0.1", service->uploadPort());
    ask(*handheld, { 0, 309, std::to_string(uploadBytes) + "\nbench.bin\nowner" });
    start = Clock::now();
    bool uploaded = upload && bench::sendLockStep(upload->fd(), uploadBytes)
        && platform::sendAll(upload->fd(), "FILE_SEND_COMPLETE");
    auto ended = handheld->waitAnswer(std::chrono::seconds(30));
    double uploadRate = uploadBytes / 1e6 / (msSince(start) / 1000);
    std::printf("upload_mb_per_s=%.1f lockstep_tcp_mb_per_s=%.1f plain_tcp_mb_per_s=%.1f%s\n", uploadRate,
        bench::lockStepTcpMbPerSecond(uploadBytes), bench::plainTcpMbPerSecond(uploadBytes),
        uploaded && ended && ended->code == 309 && ended->first == 1 ? "" : " (upload FAILED)");

    const std::size_t downloadBytes = 200u << 20;
    {
        std::ofstream big(disk() / "big.bin", std::ios::binary);
        std::string chunk(1 << 20, 'd');
        for (std::size_t i = 0; i < downloadBytes / chunk.size(); ++i)
            big << chunk;
    }
    start = Clock::now();
    auto prepared = ask(*handheld, { 3, 308, "C:\\big.bin" });
    double copyMs = msSince(start);
    auto reply = httpGet(web->webPort(), "/pda_Download/big.bin");
    double totalMs = msSince(start);
    std::printf("download_mb_per_s=%.1f copy_ms=%.1f http_ms=%.1f size=%d body=%zu\n",
        downloadBytes / 1e6 / (totalMs / 1000), copyMs, totalMs - copyMs, prepared.first,
        reply ? reply->body.size() : 0);

    loop.quit();
    window.join();
}

} // namespace

int main()
{
    BenchService bench;
    bench.run();
    return 0;
}
