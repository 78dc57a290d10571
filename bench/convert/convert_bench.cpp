// The document view, warm against cold: one set of real documents (a page
// and a hundred pages of Word, 60 000 rows of Excel, 3 and 150 slides of
// PowerPoint, each in the old and the new format, and a 20-page PDF) is
// converted by `soffice --headless --convert-to` started for each document,
// and viewed through the command port of a running `quillon --headless`,
// whose LibreOffice is already up. Prints seconds per document and the
// ratio quillon / cold. Not a test: run it by hand on a quiet machine.
//
//     build/release/bench/convert/convert_bench [--keep FOLDER]

#include "pc/convert/libreoffice.h"
#include "pc/convert/testing/flat_documents.h"
#include "pc/service/testing/scripted_handheld.h"
#include "platform/process.h"
#include "platform/temp_folder.h"
#include "tests/fixtures/child_server.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using pc::convert::LibreOffice;
namespace samples = pc::convert::testing;

struct Document {
    std::string name;
    std::string coldFormat; // What the cold reference is asked for.
    int rounds;             // Small documents are timed more often (median).
};

std::string words(int count, int seed)
{
    static const char* vocabulary[] = { "분기", "매출", "보고서", "the", "quarterly", "figures", "rose", "in", "Seoul",
        "and", "Busan", "while", "costs", "fell", "고객", "만족", "계획" };
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::string(vocabulary[(i * 7 + seed) % 17]) + (i % 12 == 11 ? ". " : " ");
    return text;
}

void write(const fs::path& file, const std::string& content)
{
    std::ofstream(file, std::ios::binary) << content;
}

// The documents, made by a warm office of their own before anything is timed.
bool makeDocuments(const fs::path& folder)
{
    pc::convert::LibreOfficeConfig config;
    config.profileFolder = folder / "maker-profile";
    config.bridge = { QUILLON_OFFICE_BRIDGE };
    config.deadlineBase = std::chrono::minutes(10);
    LibreOffice office(config);
    fs::create_directories(folder / "src");
    std::vector<std::string> pages;
    for (int page = 0; page < 100; ++page)
        pages.push_back(words(330, page));
    write(folder / "src/page1.fodt", samples::flatText({ pages[0] }));
    write(folder / "src/pages100.fodt", samples::flatText(pages));
    write(folder / "src/pages20.fodt", samples::flatText(std::vector<std::string>(pages.begin(), pages.begin() + 20)));
    std::string csv = "번호,지점,분기,금액,메모\n";
    for (int row = 1; row < 60000; ++row)
        csv += std::to_string(row) + ",서울 " + std::to_string(row % 40) + ",Q" + std::to_string(row % 4 + 1) + ","
            + std::to_string(row * 37 % 100000) + ".5," + words(3, row) + "\n";
    write(folder / "src/rows60000.csv", csv);
    write(folder / "src/slides3.fodp", samples::flatPresentation(3, "분기 발표"));
    write(folder / "src/slides150.fodp", samples::flatPresentation(150, "분기 발표"));
    struct Recipe {
        const char* source;
        const char* format;
        const char* extension;
    } recipes[] = {
        { "page1.fodt", "doc:MS Word 97", "doc" },
        { "page1.fodt", "docx:MS Word 2007 XML", "docx" },
        { "pages100.fodt", "doc:MS Word 97", "doc" },
        { "pages100.fodt", "docx:MS Word 2007 XML", "docx" },
        { "rows60000.csv", "xls:MS Excel 97", "xls" },
        { "rows60000.csv", "xlsx:Calc MS Excel 2007 XML", "xlsx" },
        { "slides3.fodp", "ppt:MS PowerPoint 97", "ppt" },
        { "slides3.fodp", "pptx:Impress MS PowerPoint 2007 XML", "pptx" },
        { "slides150.fodp", "ppt:MS PowerPoint 97", "ppt" },
        { "slides150.fodp", "pptx:Impress MS PowerPoint 2007 XML", "pptx" },
        { "pages20.fodt", "pdf", "pdf" },
    };
    for (const auto& recipe : recipes) {
        auto made = office.convert(folder / "src" / recipe.source, recipe.format, recipe.extension, folder / "docs");
        if (!made) {
            std::cerr << "cannot make " << recipe.source << " as " << recipe.extension << ": "
                      << platform::describe(made.error()) << "\n";
            return false;
        }
    }
    return true;
}

double seconds(Clock::duration duration)
{
    return std::chrono::duration<double>(duration).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// `soffice --headless --convert-to` started for one document, on a profile
// that exists already (its first creation is not counted).
double coldSeconds(const fs::path& folder, const Document& document)
{
    fs::path out = folder / "cold-out";
    fs::remove_all(out);
    fs::create_directories(out);
    std::vector<std::string> argv = { "soffice", "-env:UserInstallation=file://" + (folder / "cold-profile").string(),
        "--headless", "--norestore", "--convert-to", document.coldFormat, "--outdir", out.string(),
        (folder / "docs" / document.name).string() };
    platform::ProcessOptions options;
    options.timeout = std::chrono::minutes(10);
    auto started = Clock::now();
    auto result = platform::runProcess(argv, options);
    double taken = seconds(Clock::now() - started);
    if (!result || result->exitCode != 0 || fs::is_empty(out))
        std::cerr << "cold conversion of " << document.name << " failed\n";
    return taken;
}

class RunningQuillon {
public:
    explicit RunningQuillon(const fs::path& folder)
        : m_command(tests::fixtures::freeLoopbackPort())
    {
        fs::path home = folder / "quillon-home";
        fs::create_directories(home);
        write(home / "Quillon.ini", "[Drives]\nC=" + (folder / "docs").string() + "\n[Quillon]\nofficestart=1\n");
        ::setenv("QUILLON_PASSWORD", "bench", 1);
        ::setenv("XDG_CONFIG_HOME", (folder / "config").string().c_str(), 1);
        auto started = platform::ChildProcess::start({ QUILLON_BINARY, "--headless", "--home", home.string(), "--id",
            "bench", "--start", "--command-port", std::to_string(m_command), "--upload-port",
            std::to_string(tests::fixtures::freeLoopbackPort()), "--web-port",
            std::to_string(tests::fixtures::freeLoopbackPort()) });
        if (started)
            m_program.emplace(std::move(*started));
    }

    bool logIn()
    {
        if (!m_program)
            return false;
        auto giveUp = Clock::now() + std::chrono::seconds(60);
        while (Clock::now() < giveUp && !tests::fixtures::canConnectLoopback(m_command))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        m_handheld = pc::service::testing::ScriptedHandheld::connect(m_command);
        if (!m_handheld || !m_handheld->send({ 0, 310, "bench\nbench" }))
            return false;
        auto answer = m_handheld->waitAnswer(std::chrono::seconds(10));
        return answer && answer->text.rfind("YES", 0) == 0;
    }

    // A document view (303) as the handheld sends it; seconds until its
    // answer, negative when it failed.
    double view(const std::string& name)
    {
        m_handheld->answers().clear();
        auto started = Clock::now();
        if (!m_handheld->send({ 0, 303, "C:\\" + name }))
            return -1;
        for (;;) {
            auto answer = m_handheld->waitAnswer(std::chrono::minutes(10));
            if (!answer)
                return -1;
            if (answer->code != 303)
                continue; // The keep-alive probe.
            double taken = seconds(Clock::now() - started);
            return answer->text == "fail" || answer->text == "prev" ? -1 : taken;
        }
    }

private:
    std::uint16_t m_command;
    std::optional<platform::ChildProcess> m_program;
    std::unique_ptr<pc::service::testing::ScriptedHandheld> m_handheld;
};

} // namespace

int main(int argc, char** argv)
{
    std::optional<platform::TempFolder> temporary;
    fs::path folder;
    if (argc == 3 && std::string(argv[1]) == "--keep") {
        folder = argv[2];
        fs::create_directories(folder);
    } else {
        temporary.emplace(platform::TempFolder::create("quillon-convert-bench").value());
        folder = temporary->path();
    }
    if (!pc::convert::programExists("soffice")) {
        std::cerr << "soffice is not installed (scripts/setup.sh)\n";
        return 1;
    }
    std::cout << "making the documents in " << folder << " ..." << std::endl;
    if (!fs::exists(folder / "docs/slides150.pptx") && !makeDocuments(folder))
        return 1;

    const std::string html = "htm:HTML (StarWriter)";
    const std::string sheets(pc::convert::kSheetCsvFormat);
    const std::vector<Document> documents = {
        { "page1.doc", html, 3 }, { "page1.docx", html, 3 }, { "pages100.doc", html, 1 },
        { "pages100.docx", html, 1 }, { "rows60000.xls", sheets, 1 }, { "rows60000.xlsx", sheets, 1 },
        { "slides3.ppt", "pdf", 3 }, { "slides3.pptx", "pdf", 3 }, { "slides150.ppt", "pdf", 1 },
        { "slides150.pptx", "pdf", 1 }, { "pages20.pdf", "jpg", 3 },
    };

    // A first cold run creates the cold profile; it is not counted.
    coldSeconds(folder, documents.front());
    RunningQuillon quillon(folder);
    if (!quillon.logIn()) {
        std::cerr << "cannot log in to quillon\n";
        return 1;
    }
    // The first view waits for the office to be up; not counted either.
    quillon.view(documents.front().name);

    std::printf("%-16s %10s %12s %12s %8s\n", "document", "size (KB)", "cold (s)", "quillon (s)", "ratio");
    for (const auto& document : documents) {
        std::vector<double> cold;
        std::vector<double> warm;
        for (int round = 0; round < document.rounds; ++round) {
            cold.push_back(coldSeconds(folder, document));
            warm.push_back(quillon.view(document.name));
        }
        double coldTime = median(cold);
        double warmTime = median(warm);
        auto size = fs::file_size(folder / "docs" / document.name) / 1024;
        if (warmTime < 0)
            std::printf("%-16s %10ju %12.3f %12s %8s\n", document.name.c_str(), static_cast<std::uintmax_t>(size),
                coldTime, "fail", "-");
        else
            std::printf("%-16s %10ju %12.3f %12.3f %8.3f\n", document.name.c_str(), static_cast<std::uintmax_t>(size),
                coldTime, warmTime, warmTime / coldTime);
        std::fflush(stdout);
    }
    return 0;
}
