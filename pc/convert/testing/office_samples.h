#pragma once

// File: pc/convert/testing/office_samples.h
// Real documents of every format the document view converts, made at run
// time by LibreOffice from flat OpenDocument sources (Korean text included),
// and the one warm office a test binary shares: started at its first use,
// ended when the binary exits. The binary is given the office bridge's path
// as QUILLON_OFFICE_BRIDGE.

#include "pc/convert/libreoffice.h"
#include "pc/convert/testing/flat_documents.h"
#include "platform/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace pc::convert::testing {

struct SharedOffice {
    std::unique_ptr<platform::TempFolder> folder;
    std::shared_ptr<LibreOffice> office; // Declared last: goes before its folder.
};

inline SharedOffice& sharedOffice()
{
    static SharedOffice shared = [] {
        SharedOffice made;
        auto folder = platform::TempFolder::create("quillon-shared-office");
        if (!folder)
            return made;
        made.folder = std::make_unique<platform::TempFolder>(std::move(*folder));
        LibreOfficeConfig config;
        config.profileFolder = made.folder->path() / "profile";
        config.bridge = { QUILLON_OFFICE_BRIDGE };
        config.deadlineBase = std::chrono::seconds(120); // Loaded test machines are slow.
        made.office = std::make_shared<LibreOffice>(config);
        return made;
    }();
    return shared;
}

inline void writeSampleFile(const std::filesystem::path& file, const std::string& content)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

// One sample: made by converting `source` (a file of the folder) into `format`.
struct SampleRecipe {
    const char* source;
    const char* format;
    const char* extension;
};

// Writes into `folder`: letter.{doc,docx,docm,dot,dotx,odt,rtf} (two pages),
// book.{xls,xlsx,xlsm,ods} (sheets "매출" of 450 rows and "메모"), book.csv,
// talk.{ppt,pptx,pps,ppsx,odp} (three slides), paper.pdf (three pages) and
// drawing.svg. Returns the first failure.
inline platform::IoResult<void> makeOfficeSamples(const LibreOffice& office, const std::filesystem::path& folder)
{
    writeSampleFile(folder / "letter.fodt", flatText({ "분기 보고서: 매출이 늘었습니다", "둘째 쪽 second page" }));
    FlatSheet sales { "매출", { { "지점", "분기", "금액" } } };
    for (int row = 1; row < 450; ++row)
        sales.rows.push_back({ "서울 " + std::to_string(row), "Q" + std::to_string(row % 4 + 1), std::to_string(row * 100) });
    writeSampleFile(folder / "book.fods", flatSpreadsheet({ sales, { "메모", { { "참고" }, { "note" } } } }));
    writeSampleFile(folder / "book.csv", "지점,금액\n서울,100\n부산,200\n");
    writeSampleFile(folder / "talk.fodp", flatPresentation(3, "발표 슬라이드"));
    writeSampleFile(folder / "paper.fodt", flatText({ "논문 첫 쪽", "page two", "page three" }));
    writeSampleFile(folder / "drawing.svg",
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"400\"><rect width=\"800\" height=\"400\" "
        "fill=\"#3060c0\"/><text x=\"40\" y=\"200\" font-size=\"80\" fill=\"white\">그림 SVG</text></svg>");
    const SampleRecipe recipes[] = {
        { "letter.fodt", "doc:MS Word 97", "doc" },
        { "letter.fodt", "docx:MS Word 2007 XML", "docx" },
        { "letter.fodt", "docm:MS Word 2007 XML VBA", "docm" },
        { "letter.fodt", "dot:MS Word 97 Vorlage", "dot" },
        { "letter.fodt", "dotx:MS Word 2007 XML Template", "dotx" },
        { "letter.fodt", "odt:writer8", "odt" },
        { "letter.fodt", "rtf:Rich Text Format", "rtf" },
        { "book.fods", "xls:MS Excel 97", "xls" },
        { "book.fods", "xlsx:Calc MS Excel 2007 XML", "xlsx" },
        { "book.fods", "xlsm:Calc MS Excel 2007 VBA XML", "xlsm" },
        { "book.fods", "ods:calc8", "ods" },
        { "talk.fodp", "ppt:MS PowerPoint 97", "ppt" },
        { "talk.fodp", "pptx:Impress MS PowerPoint 2007 XML", "pptx" },
        { "talk.fodp", "pps:MS PowerPoint 97 AutoPlay", "pps" },
        { "talk.fodp", "ppsx:Impress MS PowerPoint 2007 XML AutoPlay", "ppsx" },
        { "talk.fodp", "odp:impress8", "odp" },
        { "paper.fodt", "pdf", "pdf" },
    };
    for (const auto& recipe : recipes) {
        auto made = office.convert(folder / recipe.source, recipe.format, recipe.extension, folder);
        if (!made) {
            auto error = made.error();
            error.context = std::string(recipe.format) + ": " + error.context;
            return error;
        }
    }
    return {};
}

} // namespace pc::convert::testing
