#include "pc/web/registry_content_types.h"

#include <gtest/gtest.h>

namespace pc::web {
namespace {

TEST(RegistryContentTypes, MimeTypesFirstThenTheRegistryStore)
{
    auto registry = platform::Registry::inMemory();
    ASSERT_TRUE(registry->createKey("HKCR\\.hwp"));
    ASSERT_TRUE(registry->setString("HKCR\\.hwp", "Content Type", "application/x-hwp"));
    ASSERT_TRUE(registry->createKey("HKCR\\.htm"));
    ASSERT_TRUE(registry->setString("HKCR\\.htm", "Content Type", "text/x-registry"));
    ASSERT_TRUE(registry->createKey("HKCR\\.long"));
    ASSERT_TRUE(registry->setString("HKCR\\.long", "Content Type", std::string(300, 't')));
    ASSERT_TRUE(registry->createKey("HKCR\\.notype"));

    MimeTypesFile mimeTypes = MimeTypesFile::fromText("text/html htm html\n");
    RegistryContentTypes registryTypes(*registry);
    FirstFoundContentTypes types({ &mimeTypes, &registryTypes });
    CContentTypeCache cache(types);

    EXPECT_EQ(cache.contentTypeFor(".htm"), "text/html");
    EXPECT_EQ(cache.contentTypeFor(".HWP"), "application/x-hwp");
    EXPECT_EQ(cache.contentTypeFor(".long"), std::string(259, 't'));
    EXPECT_EQ(cache.contentTypeFor(".notype"), "text/plain");
    EXPECT_EQ(cache.cachedCount(), 3u);
}

} // namespace
} // namespace pc::web
