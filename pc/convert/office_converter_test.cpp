#include "pc/convert/office_converter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace pc::convert {
namespace {

// Records every call as "<object> <kind> 0x<id> (<arguments>)"; gets and
// methods that return an object hand out the next object in the chain
// (application → collection → document).
class RecordingObject final : public DispatchObject {
public:
    RecordingObject(std::vector<std::string>& log, std::string name, int depth)
        : m_log(log)
        , m_name(std::move(name))
        , m_depth(depth)
    {
    }

    DispatchResult<Variant> invoke(DispId id, InvokeKind kind, const Arguments& arguments) override
    {
        char head[64];
        const char* kindName = kind == InvokeKind::Method ? "M" : kind == InvokeKind::PropertyGet ? "G" : "P";
        std::snprintf(head, sizeof head, "%s %s 0x%X (", m_name.c_str(), kindName, static_cast<unsigned>(id));
        std::string line = head;
        for (std::size_t i = 0; i < arguments.size(); ++i)
            line += (i ? ", " : "") + arguments[i].describe();
        m_log.push_back(line + ")");
        if (failOn == id)
            return DispatchError { DispatchErrorCode::Exception, "refused" };
        bool handsOutObject = (m_depth == 0 && kind == InvokeKind::PropertyGet)
            || (m_depth == 1 && kind == InvokeKind::Method);
        if (handsOutObject) {
            auto next = std::make_shared<RecordingObject>(m_log, m_depth == 0 ? "docs" : "doc", m_depth + 1);
            next->failOn = failOn;
            return Variant::object(next);
        }
        return Variant();
    }

    DispId failOn = -1;

private:
    std::vector<std::string>& m_log;
    std::string m_name;
    int m_depth;
};

class OfficeConverterTest : public ::testing::Test {
protected:
    void provide(const char* progId, DispId failOn = -1)
    {
        registry.add(progId, [this, failOn]() -> DispatchResult<std::shared_ptr<DispatchObject>> {
            auto app = std::make_shared<RecordingObject>(log, "app", 0);
            app->failOn = failOn;
            return std::shared_ptr<DispatchObject>(app);
        });
    }

    DispatchRegistry registry;
    std::vector<std::string> log;
    OfficeConverter converter { registry, "/srv/Quillon" };
};

TEST_F(OfficeConverterTest, WordCallsAsRecorded)
{
    provide("Word.Application");
    EXPECT_TRUE(converter.convertWord("/home/u/docs/report.doc", "report.doc"));
    std::string m = "missing";
    std::string missing9 = m;
    for (int i = 1; i < 9; ++i)
        missing9 += ", " + m;
    EXPECT_EQ(log,
        (std::vector<std::string> { "app P 0x17 (I2 1)", "app P 0x5B (I2 2)", "app G 0x6 ()",
            "docs M 0xF (BSTR \"/home/u/docs/report.doc\", " + missing9 + ", " + m + ", " + m + ")",
            "doc M 0x66 (BSTR \"/srv/Quillon/report\", I2 8, " + missing9 + ")",
            "doc M 0x451 (I2 0, I2 0, I2 8)", "app M 0x451 (I2 0, I2 0, I2 8)" }));
}

TEST_F(OfficeConverterTest, ExcelCallsAsRecorded)
{
    provide("Excel.Application");
    EXPECT_TRUE(converter.convertExcel("/d/sheet.xls", "sheet.xls"));
    std::string m = "missing";
    EXPECT_EQ(log,
        (std::vector<std::string> { "app P 0x22E (I2 1)", "app P 0x18C (I2 2)", "app G 0x23C ()",
            "docs M 0x2AA (BSTR \"/d/sheet.xls\", I2 0, I2 0, " + m + ", " + m + ", " + m + ", " + m + ", "
                + m + ", " + m + ", " + m + ", " + m + ", " + m + ", " + m + ")",
            "doc M 0x11C (BSTR \"/srv/Quillon/sheet\", I2 44, missing, missing, missing, missing, I2 0, "
            "missing, "
            "missing, missing, missing)",
            "doc M 0x115 (I2 0, BSTR \"/srv/Quillon/sheet\", I2 0)", "app M 0x12E ()" }));
}

TEST_F(OfficeConverterTest, PowerPointCallsAsRecorded)
{
    provide("Powerpoint.Application");
    EXPECT_TRUE(converter.convertPowerPoint("/d/slides.ppt", "slides.ppt"));
    EXPECT_EQ(log,
        (std::vector<std::string> { "app P 0x7EE (I2 1)", "app P 0x7ED (I2 2)", "app G 0x7D1 ()",
            "docs M 0x7D4 (BSTR \"/d/slides.ppt\", I2 0, I2 -1, I2 -1)",
            "doc M 0x7F4 (BSTR \"/srv/Quillon/slides\", I2 17, I2 -1)", "doc M 0x7F7 ()",
            "app M 0x7E5 ()" }));
}

TEST_F(OfficeConverterTest, MissingProgramFailsAtOnce)
{
    EXPECT_FALSE(converter.convertExcel("/d/sheet.xls", "sheet.xls"));
    registry.add("Excel.Application", []() -> DispatchResult<std::shared_ptr<DispatchObject>> {
        return DispatchError { DispatchErrorCode::ServerUnavailable, "no office" };
    });
    EXPECT_FALSE(converter.convertExcel("/d/sheet.xls", "sheet.xls"));
}

TEST_F(OfficeConverterTest, FailedOpenStillQuitsTheProgram)
{
    provide("Word.Application", 0xF);
    EXPECT_TRUE(converter.convertWord("/d/gone.doc", "gone.doc"));
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log.back(), "app M 0x451 (I2 0, I2 0, I2 8)");
}

TEST(OfficeOutputBase, CutsFourCharactersFromASafeName)
{
    struct Case {
        const char* name;
        const char* base;
    } cases[] = {
        { "report.doc", "/r/report" },
        { "x.ppt", "/r/x" },
        { "..\\..\\etc\\evil.doc", "/r/evil" },
        { "a/../../b.xls", "/r/b" },
        { ".doc", "" },
        { "...doc", "" },
        { "notes", "/r/n" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(officeOutputBase("/r", c.name), c.base);
    }
}

} // namespace
} // namespace pc::convert
