#pragma once

// File: pc/convert/document_converter_set.h
// All document converters of the PC, built once by the shell: Word, Excel
// and PowerPoint through automation, HWP through the word processor's DDE
// link when the Windows initialization file says it is installed (a value
// "HNC" in section "HNC Path" or "HNC"), else through its control; PDF
// documents and images the handheld cannot show directly. The automation
// providers are LibreOffice's, kept running (warm) when a bridge is
// configured. One conversion at a time, on any one thread.
//
// Results are named by the caller: `resultBase` is a single path component
// ("report" for report.doc, "report.docx" for report.docx), and the result
// lands in the service root under that name.

#include "pc/convert/dispatch.h"
#include "pc/convert/hwp_control.h"
#include "pc/convert/hwp_dde_link.h"
#include "pc/convert/hwp_page_imaging.h"
#include "pc/convert/libreoffice.h"
#include "pc/convert/office_converter.h"

#include <filesystem>
#include <memory>
#include <string>

namespace platform {
class Profile;
}

namespace pc::convert {

class DocumentConverterSet {
public:
    // The profile (the WIN.INI stand-in) outlives the set.
    DocumentConverterSet(
        std::filesystem::path serviceRoot, const platform::Profile& winIni, LibreOfficeConfig office);
    // With an office suite shared with others (tests share one warm office).
    DocumentConverterSet(
        std::filesystem::path serviceRoot, const platform::Profile& winIni, std::shared_ptr<LibreOffice> office);

    // <resultBase>.htm.
    bool convertWord(const std::filesystem::path& source, const std::string& resultBase);
    // <resultBase>.htm, the first page of the first sheet, and the folder
    // <resultBase>.sheets with the other pages.
    bool convertExcel(const std::filesystem::path& source, const std::string& resultBase);
    // The folder <resultBase> with "슬라이드1.jpg" and the further slides.
    bool convertPowerPoint(const std::filesystem::path& source, const std::string& resultBase);
    // The folder <resultBase> with "슬라이드1.jpg" and the further pages.
    bool convertPdf(const std::filesystem::path& source, const std::string& resultBase);
    // A JPEG at `resultPath`, relative to the service root.
    bool convertImage(const std::filesystem::path& source, const std::string& resultPath);
    // The folder named after the file with "<base>0.gif" and the further pages.
    bool convertHwp(const std::filesystem::path& source, const std::string& fileName);

    // The warm office: started now rather than at the first conversion, or
    // ended (it starts again when needed).
    void startOffice();
    void stopOffice();

    DispatchRegistry& registry() { return m_registry; }
    HwpDdeLink& hwpLink() { return m_hwpLink; }
    const LibreOffice& office() const { return *m_office; }

private:
    std::filesystem::path m_root;
    const platform::Profile& m_winIni;
    std::shared_ptr<LibreOffice> m_office;
    DispatchRegistry m_registry;
    OfficeConverter m_officeConverter;
    HwpDdeLink m_hwpLink;
    HwpPageImaging m_hwpImaging;
    HwpControlConverter m_hwpControl;
};

} // namespace pc::convert
