// quillon-view-pictures OUT_DIR [PAGE_WIDTH]
//
// Shows documents converted the old way and the new as the handheld's web
// view shows them, offscreen, at twice the size of its 240×212 pixels: the
// same sample documents (Korean text included) go through a cold
// LibreOffice with the old formats (one HTML file of every sheet, slides at
// 72 dpi) and through the PC's converters with a warm office (sheet pages,
// slides and PDF pages at the page width), and each result is loaded by
// the handheld's page loader and HTML view from a device folder. Writes
// <name>-before.png and <name>-after.png into OUT_DIR.

#include "gui/pocket/qt_html_view.h"
#include "pc/convert/document_converter_set.h"
#include "pc/convert/page_images.h"
#include "pc/convert/testing/office_samples.h"
#include "platform/http_fetch.h"
#include "platform/profile.h"
#include "platform/temp_folder.h"
#include "pocket/device/device_root.h"
#include "pocket/viewer/viewer_page_loader.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBrowser>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace {

namespace fs = std::filesystem;
using pc::convert::LibreOffice;

constexpr int kViewWidth = 240;
constexpr int kViewHeight = 212;

void write(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// The wrapper page of an image, with a reference the device folder resolves.
void wrap(const fs::path& page, const std::string& image)
{
    write(page, "<html><body><img src=\"" + image + "\"></body></html>");
}

class Viewer {
public:
    explicit Viewer(const fs::path& device)
        : m_device(device)
        , m_loader(m_fetch, m_device)
        , m_browser(gui::handheld::makeLoaderBrowser(nullptr))
        , m_view(*m_browser)
    {
        m_view.setLoader(&m_loader);
        m_browser->setFixedSize(kViewWidth, kViewHeight);
        m_browser->show();
    }
    ~Viewer() { delete m_browser; }

    bool show(const std::string& handheldPath, const fs::path& picture)
    {
        m_view.navigate(handheldPath);
        QApplication::processEvents();
        // As a page opens: at its top left.
        m_browser->horizontalScrollBar()->setValue(0);
        m_browser->verticalScrollBar()->setValue(0);
        QApplication::processEvents();
        bool saved = m_browser->grab().save(QString::fromStdString(picture.string()));
        std::cout << (saved ? "wrote " : "cannot write ") << picture.string() << std::endl;
        return saved;
    }

private:
    pocket::device::DeviceRoot m_device;
    platform::HttpFetch m_fetch;
    pocket::viewer::PageLoader m_loader;
    QTextBrowser* m_browser;
    gui::handheld::QtHtmlView m_view;
};

// The old way: one cold soffice per document, Calc's own HTML, slides drawn
// at 72 dots per inch.
bool convertTheOldWay(const fs::path& samples, const fs::path& results)
{
    pc::convert::LibreOfficeConfig config;
    config.profileFolder = samples.parent_path() / "cold-profile";
    LibreOffice cold(config);
    fs::create_directories(results / "before");
    auto sheet = cold.convert(samples / "book.xls", "htm:HTML (StarCalc)", "htm", results / "before");
    auto slides = cold.convert(samples / "talk.ppt", "pdf", "pdf", samples);
    if (!sheet || !slides)
        return false;
    if (!cold.renderPages(*slides, 1, 1, 72, pc::convert::PageImageFormat::Jpeg, results / "before" / "slide"))
        return false;
    wrap(results / "before" / "slide.html", "slide-1.jpg");
    return true;
}

bool convertTheNewWay(std::shared_ptr<LibreOffice> office, const fs::path& samples, const fs::path& results)
{
    platform::Profile winIni(samples / "win.ini");
    pc::convert::DocumentConverterSet converters(results, winIni, std::move(office));
    bool ok = converters.convertExcel(samples / "book.xlsx", "book.xlsx")
        && converters.convertPowerPoint(samples / "talk.pptx", "talk.pptx")
        && converters.convertPdf(samples / "paper.pdf", "paper.pdf")
        && converters.convertWord(samples / "letter.docx", "letter.docx");
    wrap(results / "slide.html", "talk.pptx/" + pc::convert::slideImageName(1));
    wrap(results / "pdf.html", "paper.pdf/" + pc::convert::slideImageName(1));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: quillon-view-pictures OUT_DIR [PAGE_WIDTH]" << std::endl;
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_SCALE_FACTOR", "2", 0);
    QApplication app(argc, argv);
    QApplication::setFont(QFont(QStringLiteral("NanumGothic")));

    auto work = platform::TempFolder::create("quillon-view-pictures");
    if (!work)
        return 1;
    fs::path samples = work->path() / "samples";
    fs::path device = work->path() / "device";
    fs::path results = device / "results";
    pc::convert::LibreOfficeConfig config;
    config.profileFolder = work->path() / "profile";
    config.bridge = { QUILLON_OFFICE_BRIDGE };
    if (argc > 2)
        config.pageWidth = std::atoi(argv[2]);
    auto office = std::make_shared<LibreOffice>(config);
    if (auto made = pc::convert::testing::makeOfficeSamples(*office, samples); !made) {
        std::cerr << "samples: " << platform::describe(made.error()) << std::endl;
        return 1;
    }
    if (!convertTheOldWay(samples, results) || !convertTheNewWay(office, samples, results)) {
        std::cerr << "a conversion failed" << std::endl;
        return 1;
    }
    Viewer viewer(device);
    bool ok = viewer.show("\\results\\before\\book.htm", out / "sheet-before.png")
        && viewer.show("\\results\\book.xlsx.htm", out / "sheet-after.png")
        && viewer.show("\\results\\before\\slide.html", out / "slide-before.png")
        && viewer.show("\\results\\slide.html", out / "slide-after.png")
        && viewer.show("\\results\\pdf.html", out / "pdf-after.png")
        && viewer.show("\\results\\letter.docx.htm", out / "word-after.png");
    office.reset();
    if (std::getenv("QUILLON_KEEP_RESULTS")) {
        std::error_code error;
        fs::copy(results, out / "results", fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
    }
    return ok ? 0 : 1;
}
