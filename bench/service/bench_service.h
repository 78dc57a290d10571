#pragma once

// File: bench/service/bench_service.h
// The PC's service as the benchmarks run it: the owner "owner"/"secret", a
// log nobody reads, and every port on loopback.

#include "pc/service/remote_service.h"

#include <memory>
#include <string>
#include <string_view>

namespace bench {

class SilentLog final : public pc::service::ServiceLog {
public:
    void appendLog(std::string_view) override { }
};

// The service over `folders` (made here), its paths through `paths`.
inline std::unique_ptr<pc::service::RemoteService> makeBenchService(platform::EventLoop& loop,
    pc::service::ServiceLog& log, const pc::service::PcPaths& paths, const pc::service::ServiceFolders& folders)
{
    using namespace pc::service;
    folders.create();
    ServiceDependencies deps;
    deps.log = &log;
    deps.paths = &paths;
    deps.folders = folders;
    deps.credentials = [] { return Credentials { "owner", "secret" }; };
    deps.mailClientKind = [] { return 1; };
    deps.lookUpPcAddress = [] { return std::string("127.0.0.1"); };
    return std::make_unique<RemoteService>(loop, deps, ServiceConfig { "127.0.0.1", 0, 0 });
}

} // namespace bench
