#pragma once

// File: pc/convert/document_converter_set.h
// All document converters of the PC, built once by the shell: Word, Excel
// and PowerPoint through automation, HWP through the word processor's DDE
// link when the Windows initialization file says it is installed (a value
// "HNC" in section "HNC Path" or "HNC"), else through its control. The
// automation providers are LibreOffice's. One conversion at a time, on any
// one thread.

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

    bool convertWord(const std::filesystem::path& source, const std::string& fileName);
    bool convertExcel(const std::filesystem::path& source, const std::string& fileName);
    bool convertPowerPoint(const std::filesystem::path& source, const std::string& fileName);
    bool convertHwp(const std::filesystem::path& source, const std::string& fileName);

    DispatchRegistry& registry() { return m_registry; }
    HwpDdeLink& hwpLink() { return m_hwpLink; }

private:
    const platform::Profile& m_winIni;
    std::shared_ptr<LibreOffice> m_office;
    DispatchRegistry m_registry;
    OfficeConverter m_officeConverter;
    HwpDdeLink m_hwpLink;
    HwpPageImaging m_hwpImaging;
    HwpControlConverter m_hwpControl;
};

} // namespace pc::convert
