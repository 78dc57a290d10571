// Moves one large file (1 GiB unless given in MiB) both ways on loopback in
// one run, the PC's service on its own event-loop thread:
//
//   upload:   the lock-step exchange of the clear link (1024-byte blocks,
//             each acknowledged), the private link's windowed upload (TLS,
//             64 KiB frames, 1 MiB window, the handheld's own sender) and a
//             plain loopback TCP copy as the ceiling;
//   download: a 308 staging and a GET from the clear web server, and the
//             same through the private link (https with the pinned key),
//             both written to a file with the handheld's fetch.
//
//   transfer_bench [MiB]
//   -> upload_mb_per_s legacy=... private=... plain_tcp=... private/legacy=... private/plain=...
//      download_mb_per_s clear=... private=... private/clear=...

#include "bench/service/bench_service.h"
#include "bench/service/loopback_reference.h"
#include "pc/service/drive_paths.h"
#include "pc/service/http_web_service.h"
#include "pc/service/remote_service.h"
#include "pc/service/testing/scripted_handheld.h"
#include "platform/http_fetch.h"
#include "platform/net_address.h"
#include "platform/poll_event_loop.h"
#include "platform/temp_folder.h"
#include "platform/tls/secure_link.h"
#include "platform/tls/tls_identity.h"
#include "platform/tls/tls_relay.h"
#include "pocket/mypc/window_sender.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
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

double mbPerSecond(std::size_t bytes, Clock::time_point start)
{
    return bytes / 1e6 / std::chrono::duration<double>(Clock::now() - start).count();
}

class TransferBench {
public:
    explicit TransferBench(std::size_t bytes);
    ~TransferBench();
    int run();

private:
    void makeSource();
    std::unique_ptr<ScriptedHandheld> logIn(std::unique_ptr<ScriptedHandheld> handheld);
    platform::IoResult<platform::SocketFd> privateSocket(std::uint16_t port);
    double legacyUpload(ScriptedHandheld& handheld);
    double privateUpload(ScriptedHandheld& handheld);
    double download(ScriptedHandheld& handheld, bool pinned);
    proto::PcAnswer ask(ScriptedHandheld& handheld, const proto::PcRequest& request);

    std::size_t m_bytes;
    fs::path m_home;
    platform::SystemClock m_clock;
    platform::PollEventLoop m_loop { m_clock };
    platform::DriveMap m_drives;
    DrivePaths m_paths { m_drives };
    bench::SilentLog m_log;
    std::ostringstream m_accessLog;
    platform::TlsIdentity m_identity;
    std::unique_ptr<platform::TlsRelay> m_serverRelay;
    std::unique_ptr<platform::TlsRelay> m_clientRelay;
    std::unique_ptr<platform::SecureLinkServer> m_link;
    std::unique_ptr<RemoteService> m_service;
    std::unique_ptr<HttpWebService> m_web;
};

TransferBench::TransferBench(std::size_t bytes)
    : m_bytes(bytes)
    , m_home(platform::TempFolder("quillon-transfer-bench").release())
    , m_identity(std::move(platform::TlsIdentity::loadOrCreate(m_home / "identity").value()))
    , m_serverRelay(std::move(platform::TlsRelay::forServer(m_identity).value()))
    , m_clientRelay(std::move(platform::TlsRelay::forClient().value()))
    , m_link(std::make_unique<platform::SecureLinkServer>(m_serverRelay.get(), platform::SecureLinkMode::Allowed))
{
    fs::create_directories(m_home / "disk");
    m_drives.setDrive('C', (m_home / "disk").string());
    ServiceFolders folders = ServiceFolders::under(m_home);
    m_service = bench::makeBenchService(m_loop, m_log, m_paths, folders);
    m_service->setSecureLink(m_link.get());
    WebConfig web { folders.root, 0, "127.0.0.1" };
    web.secureLink = m_link.get();
    m_web = std::make_unique<HttpWebService>(m_clock, m_service->webAccess(), m_accessLog, web);
    m_service->setWebService(m_web.get());
}

TransferBench::~TransferBench()
{
    m_service.reset();
    m_web.reset();
    fs::remove_all(m_home);
}

void TransferBench::makeSource()
{
    // Bytes that no layer could compress or skip.
    std::ofstream file(m_home / "disk" / "big.bin", std::ios::binary);
    std::string chunk(1 << 20, '\0');
    std::uint64_t state = 88172645463325252ull;
    for (std::size_t done = 0; done < m_bytes; done += chunk.size()) {
        for (std::size_t i = 0; i < chunk.size(); i += 8) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            std::memcpy(chunk.data() + i, &state, 8);
        }
        file.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), m_bytes - done)));
    }
    file.close();
    // On disk before anything is timed: the kernel writes dirty pages back
    // some 30 s after they were made, which would fall into a transfer.
    int fd = ::open((m_home / "disk" / "big.bin").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

proto::PcAnswer TransferBench::ask(ScriptedHandheld& handheld, const proto::PcRequest& request)
{
    handheld.send(request);
    return handheld.waitAnswer(std::chrono::minutes(10)).value_or(proto::PcAnswer {});
}

std::unique_ptr<ScriptedHandheld> TransferBench::logIn(std::unique_ptr<ScriptedHandheld> handheld)
{
    if (!handheld)
        return nullptr;
    ask(*handheld, { 0, 310, "owner\nsecret" });
    handheld->waitAnswer(); // The first keep-alive probe.
    return handheld;
}

platform::IoResult<platform::SocketFd> TransferBench::privateSocket(std::uint16_t port)
{
    auto tcp = platform::connectTcp("127.0.0.1", port);
    if (!tcp)
        return tcp.error();
    auto link = m_clientRelay->connect(std::move(*tcp), std::chrono::seconds(10));
    if (!link)
        return link.error();
    return std::move(link->clear);
}

double TransferBench::legacyUpload(ScriptedHandheld& handheld)
{
    auto upload = platform::connectTcp("127.0.0.1", m_service->uploadPort());
    ask(handheld, { 0, 309, std::to_string(m_bytes) + "\nlegacy.bin\nowner" });
    auto start = Clock::now();
    bool sent = upload && bench::sendLockStep(upload->fd(), m_bytes)
        && platform::sendAll(upload->fd(), "FILE_SEND_COMPLETE");
    auto ended = handheld.waitAnswer(std::chrono::minutes(10));
    double rate = mbPerSecond(m_bytes, start);
    bool whole = sent && ended && ended->first == 1 && fs::file_size(m_home / "Quillon" / "pda_Upload" / "legacy.bin") == m_bytes;
    fs::remove(m_home / "Quillon" / "pda_Upload" / "legacy.bin");
    return whole ? rate : -rate;
}

double TransferBench::privateUpload(ScriptedHandheld& handheld)
{
    pocket::mypc::WindowSender sender;
    auto upload = privateSocket(m_service->uploadPort());
    auto answer = ask(handheld, { 0, 309, std::to_string(m_bytes) + "\nprivate.bin\nowner\nwindow" });
    auto held = proto::parseHeldAnswer(answer.text);
    if (!upload || !held || !sender.open(m_home / "disk" / "big.bin"))
        return 0;
    auto start = Clock::now();
    auto first = sender.start(*held);
    bool ok = first && platform::sendAll(upload->fd(), *first);
    std::vector<char> buffer(4096);
    while (ok && !sender.endSent()) {
        auto frames = sender.nextFrames();
        ok = frames && (frames->empty() || platform::sendAll(upload->fd(), *frames));
        if (ok && !sender.endSent()) {
            ssize_t got = ::recv(upload->fd(), buffer.data(), buffer.size(), 0);
            ok = got > 0 && sender.onReceived(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
        }
    }
    auto ended = handheld.waitAnswer(std::chrono::minutes(10));
    double rate = mbPerSecond(m_bytes, start);
    bool whole = ok && ended && ended->first == 1 && fs::file_size(m_home / "Quillon" / "pda_Upload" / "private.bin") == m_bytes;
    fs::remove(m_home / "Quillon" / "pda_Upload" / "private.bin");
    return whole ? rate : -rate;
}

double TransferBench::download(ScriptedHandheld& handheld, bool pinned)
{
    platform::HttpFetch fetch;
    if (pinned) {
        std::string pin = platform::curlPinOfFingerprint(m_identity.fingerprint());
        fetch.setPinLookup([pin](const std::string&, long) { return pin; });
    }
    const fs::path target = m_home / "fetched.bin";
    auto start = Clock::now();
    auto staged = ask(handheld, { 3, 308, "C:\\big.bin" });
    std::ofstream file(target, std::ios::binary | std::ios::trunc);
    auto response = fetch.get("http://127.0.0.1:" + std::to_string(m_web->webPort()) + "/pda_Download/big.bin",
        [&](std::string_view block) { return static_cast<bool>(file.write(block.data(), static_cast<std::streamsize>(block.size()))); });
    file.close();
    double rate = mbPerSecond(m_bytes, start);
    bool whole = staged.first == static_cast<std::int32_t>(m_bytes) && response && response->status == 200
        && fs::file_size(target) == m_bytes;
    fs::remove(target);
    return whole ? rate : -rate;
}

int TransferBench::run()
{
    makeSource();
    m_service->start();
    std::thread window([&] { m_loop.run(); });

    double plain = bench::plainTcpMbPerSecond(m_bytes);
    auto clear = logIn(ScriptedHandheld::connect(m_service->commandPort()));
    double legacy = clear ? legacyUpload(*clear) : 0;
    double clearDownload = clear ? download(*clear, false) : 0;
    clear.reset();

    auto secured = privateSocket(m_service->commandPort());
    auto secure = secured ? logIn(ScriptedHandheld::adopt(secured->release(), "127.0.0.1")) : nullptr;
    auto offered = secure ? ask(*secure, { 1, proto::kCodeLinkFeatures, "upload-window" }) : proto::PcAnswer {};
    double windowed = offered.code == proto::kCodeLinkFeatures ? privateUpload(*secure) : 0;
    double privateDownload = secure ? download(*secure, true) : 0;

    std::printf("upload_mb_per_s legacy=%.1f private=%.1f plain_tcp=%.1f private/legacy=%.1f private/plain=%.2f\n",
        legacy, windowed, plain, windowed / legacy, windowed / plain);
    std::printf("download_mb_per_s clear=%.1f private=%.1f private/clear=%.2f\n", clearDownload, privateDownload,
        privateDownload / clearDownload);
    std::printf("(a negative figure: that transfer did not end whole)\n");
    m_loop.quit();
    window.join();
    return legacy > 0 && windowed > 0 && clearDownload > 0 && privateDownload > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024;
    TransferBench bench(mebibytes << 20);
    return bench.run();
}
