#include "pc/convert/document_converter_set.h"
#include "pc/convert/hwp_control.h"
#include "pc/convert/testing/office_fixture.h"
#include "platform/profile.h"

namespace pc::convert::testing {
namespace {

class RecordingControl final : public DispatchObject {
public:
    RecordingControl(std::vector<std::string>& log, int openResult)
        : m_log(log)
        , m_openResult(openResult)
    {
    }
    DispatchResult<Variant> invoke(DispId id, InvokeKind kind, const Arguments& arguments) override
    {
        std::string line = (kind == InvokeKind::Method ? "M " : "? ") + std::to_string(id) + " (";
        for (std::size_t i = 0; i < arguments.size(); ++i)
            line += (i ? ", " : "") + arguments[i].describe();
        m_log.push_back(line + ")");
        return Variant::i2(static_cast<std::int16_t>(id == kHwpControlOpen ? m_openResult : 1));
    }

private:
    std::vector<std::string>& m_log;
    int m_openResult;
};

class HwpControlTest : public ::testing::Test {
protected:
    void provide(int openResult)
    {
        registry.add(
            kHwpControlClassId, [this, openResult]() -> DispatchResult<std::shared_ptr<DispatchObject>> {
                return std::shared_ptr<DispatchObject>(std::make_shared<RecordingControl>(log, openResult));
            });
    }

    DispatchRegistry registry;
    std::vector<std::string> log;
    HwpControlConverter converter { registry, "/srv/Quillon" };
};

TEST_F(HwpControlTest, OpensAndWritesPageImagesIntoTheDocumentFolder)
{
    provide(1);
    EXPECT_TRUE(converter.convert("/d/memo.hwp", "memo.hwp"));
    EXPECT_EQ(log,
        (std::vector<std::string> { "M 37 (I2 1)", "M 36 (BSTR[\"/d/memo.hwp\"])",
            "M 18 (BSTR \"/srv/Quillon/memo/memo0\", BSTR \"gif\", I2 24, I2 96, I2 3)" }));
}

TEST_F(HwpControlTest, FailedOpenOrMissingControlFails)
{
    EXPECT_FALSE(converter.convert("/d/memo.hwp", "memo.hwp"));
    provide(0);
    EXPECT_FALSE(converter.convert("/d/memo.hwp", "memo.hwp"));
    EXPECT_EQ(log.size(), 2u) << "no page images after a failed open";
}

class HwpControlLibreOfficeTest : public OfficeFixture { };

TEST_F(HwpControlLibreOfficeTest, WithoutTheWordProcessorPagesComeFromTheControl)
{
    platform::Profile winIni(folder() / "win.ini");
    DocumentConverterSet converters(root(), winIni, office->config());
    auto source = writeSource("memo.hwp", rtfPages({ "First page", "Second page" }));
    EXPECT_TRUE(converters.convertHwp(source, "memo.hwp"));
    for (const char* page : { "memo0.gif", "memo1.gif" }) {
        std::string gif = readFile(root() / "memo" / page);
        EXPECT_EQ(gif.substr(0, 6), "GIF89a") << page;
    }
    EXPECT_FALSE(std::filesystem::exists(root() / "memo" / "memo2.gif"));
}

} // namespace
} // namespace pc::convert::testing
