#include "pc/convert/libreoffice.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pc::convert {
namespace {

// Waits up to five seconds for a process (not necessarily a child) to end.
bool endsWithinDeadline(pid_t pid)
{
    int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return errno == ESRCH;
    pollfd ended { fd, POLLIN, 0 };
    bool done = ::poll(&ended, 1, 5000) == 1;
    ::close(fd);
    return done;
}

// An soffice that hands the work to a helper and hangs, as one stuck on a
// damaged document does: the helper must not outlive the deadline.
TEST(LibreOffice, ConversionPastItsDeadlineLeavesNoHelperBehind)
{
    auto work = platform::TempFolder::create("quillon-office-timeout");
    ASSERT_TRUE(work);
    std::filesystem::path pidFile = work->path() / "helper.pid";
    std::filesystem::path fake = work->path() / "soffice";
    std::ofstream(fake) << "#!/bin/sh\n"
                        << "sh -c 'echo $$ > \"" << pidFile.string() << "\"; while :; do :; done' \"$1\" &\n"
                        << "wait\n";
    ::chmod(fake.c_str(), 0755);
    std::ofstream(work->path() / "doc.doc") << "text";

    LibreOfficeConfig config;
    config.soffice = fake.string();
    config.profileFolder = work->path() / "profile";
    config.timeout = std::chrono::milliseconds(500);
    LibreOffice office(config);
    auto result = office.convert(work->path() / "doc.doc", "pdf", "pdf", work->path());
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, platform::ErrorCode::Timeout);

    std::ifstream in(pidFile);
    pid_t helper = 0;
    in >> helper;
    ASSERT_GT(helper, 0);
    bool gone = endsWithinDeadline(helper);
    if (!gone)
        ::kill(helper, SIGKILL); // Do not leave it spinning when the test fails.
    EXPECT_TRUE(gone);
}

TEST(LibreOffice, MissingProgramIsNotFound)
{
    LibreOfficeConfig config;
    config.soffice = "/nonexistent/soffice";
    LibreOffice office(config);
    EXPECT_FALSE(office.isAvailable());
    auto result = office.convert("/tmp/a.doc", "pdf", "pdf", "/tmp");
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().code, platform::ErrorCode::NotFound);
    EXPECT_TRUE(programExists("sh"));
    EXPECT_FALSE(programExists("no-such-program-here"));
}

} // namespace
} // namespace pc::convert
