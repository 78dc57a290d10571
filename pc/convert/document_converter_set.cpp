#include "pc/convert/document_converter_set.h"

#include "pc/convert/direct_conversions.h"
#include "pc/convert/libreoffice_office.h"
#include "pc/convert/safe_output_name.h"
#include "platform/trace.h"

namespace pc::convert {

namespace {

// A name relative to the root that stays inside it.
bool isInsideRoot(const std::filesystem::path& relative)
{
    if (relative.empty() || relative.is_absolute())
        return false;
    for (const auto& part : relative) {
        if (part == ".." || part == ".")
            return false;
    }
    return true;
}

} // namespace

DocumentConverterSet::DocumentConverterSet(
    std::filesystem::path serviceRoot, const platform::Profile& winIni, LibreOfficeConfig office)
    : DocumentConverterSet(std::move(serviceRoot), winIni, std::make_shared<LibreOffice>(std::move(office)))
{
}

DocumentConverterSet::DocumentConverterSet(
    std::filesystem::path serviceRoot, const platform::Profile& winIni, std::shared_ptr<LibreOffice> office)
    : m_root(serviceRoot)
    , m_winIni(winIni)
    , m_office(std::move(office))
    , m_officeConverter(
          m_registry, serviceRoot, [](std::string_view text) { platform::trace(std::string(text)); })
    , m_hwpLink(winIni)
    , m_hwpImaging(m_hwpLink, serviceRoot)
    , m_hwpControl(m_registry, serviceRoot)
{
    registerLibreOfficeOffice(m_registry, m_office);
    registerLibreOfficeHwpControl(m_registry, m_office);
}

bool DocumentConverterSet::convertWord(const std::filesystem::path& source, const std::string& resultBase)
{
    return m_officeConverter.convertTo(wordProgram(), source, resultBase);
}

bool DocumentConverterSet::convertExcel(const std::filesystem::path& source, const std::string& resultBase)
{
    return m_officeConverter.convertTo(excelProgram(), source, resultBase);
}

bool DocumentConverterSet::convertPowerPoint(const std::filesystem::path& source, const std::string& resultBase)
{
    return m_officeConverter.convertTo(powerPointProgram(), source, resultBase);
}

bool DocumentConverterSet::convertPdf(const std::filesystem::path& source, const std::string& resultBase)
{
    if (resultBase.empty() || safeOutputName(resultBase) != resultBase)
        return false;
    return convertPdfPages(*m_office, source, m_root / resultBase);
}

bool DocumentConverterSet::convertImage(const std::filesystem::path& source, const std::string& resultPath)
{
    if (!isInsideRoot(resultPath))
        return false;
    return convertImageToJpeg(*m_office, source, m_root / resultPath);
}

bool DocumentConverterSet::convertHwp(const std::filesystem::path& source, const std::string& fileName)
{
    if (isHwpInstalled(m_winIni))
        return m_hwpImaging.convertHwp(source, fileName);
    return m_hwpControl.convert(source, fileName);
}

void DocumentConverterSet::startOffice()
{
    m_office->startWarm();
}

void DocumentConverterSet::stopOffice()
{
    m_office->stopWarm();
}

} // namespace pc::convert
