#include "pc/convert/document_converter_set.h"

#include "pc/convert/libreoffice_office.h"
#include "platform/trace.h"

namespace pc::convert {

DocumentConverterSet::DocumentConverterSet(
    std::filesystem::path serviceRoot, const platform::Profile& winIni, LibreOfficeConfig office)
    : m_winIni(winIni)
    , m_office(std::make_shared<LibreOffice>(std::move(office)))
    , m_officeConverter(
          m_registry, serviceRoot, [](std::string_view text) { platform::trace(std::string(text)); })
    , m_hwpLink(winIni)
    , m_hwpImaging(m_hwpLink, serviceRoot)
    , m_hwpControl(m_registry, serviceRoot)
{
    registerLibreOfficeOffice(m_registry, m_office);
    registerLibreOfficeHwpControl(m_registry, m_office);
}

bool DocumentConverterSet::convertWord(const std::filesystem::path& source, const std::string& fileName)
{
    return m_officeConverter.convertWord(source, fileName);
}

bool DocumentConverterSet::convertExcel(const std::filesystem::path& source, const std::string& fileName)
{
    return m_officeConverter.convertExcel(source, fileName);
}

bool DocumentConverterSet::convertPowerPoint(const std::filesystem::path& source, const std::string& fileName)
{
    return m_officeConverter.convertPowerPoint(source, fileName);
}

bool DocumentConverterSet::convertHwp(const std::filesystem::path& source, const std::string& fileName)
{
    if (isHwpInstalled(m_winIni))
        return m_hwpImaging.convertHwp(source, fileName);
    return m_hwpControl.convert(source, fileName);
}

} // namespace pc::convert
