#include "platform/tls/file_digest.h"

#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <unistd.h>

namespace platform {
namespace {

TEST(FileDigest, HashesThePrefixOnly)
{
    TempFolder temp("file_digest_test");
    auto path = temp.path() / "f";
    std::ofstream(path, std::ios::binary) << "abcdef";
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // Known SHA-256 values of "abc" and of nothing.
    EXPECT_EQ(sha256OfPrefix(fd, 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256OfPrefix(fd, 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256OfPrefix(fd, 7), std::nullopt); // Longer than the file.
    std::atomic<bool> stop { true };
    EXPECT_EQ(sha256OfPrefix(fd, 3, &stop), std::nullopt); // Told to stop.
    ::close(fd);
}

} // namespace
} // namespace platform
