#pragma once

// File: pc/service/converter_set_adapter.h
// Hands the view requests the PC's document converters: the shell builds a
// pc::convert::DocumentConverterSet and installs it through this adapter
// with RemoteService::setDocumentConverters(). Header only, so that only
// the program that installs it links the converters.

#include "pc/convert/document_converter_set.h"
#include "pc/service/document_converters.h"

namespace pc::service {

class ConverterSetAdapter final : public DocumentConverters {
public:
    // The set outlives the adapter.
    explicit ConverterSetAdapter(convert::DocumentConverterSet& set)
        : m_set(set)
    {
    }
    bool convertWord(const std::filesystem::path& source, const std::string& resultBase) override
    {
        return m_set.convertWord(source, resultBase);
    }
    bool convertExcel(const std::filesystem::path& source, const std::string& resultBase) override
    {
        return m_set.convertExcel(source, resultBase);
    }
    bool convertPowerPoint(const std::filesystem::path& source, const std::string& resultBase) override
    {
        return m_set.convertPowerPoint(source, resultBase);
    }
    bool convertPdf(const std::filesystem::path& source, const std::string& resultBase) override
    {
        return m_set.convertPdf(source, resultBase);
    }
    bool convertImage(const std::filesystem::path& source, const std::string& resultPath) override
    {
        return m_set.convertImage(source, resultPath);
    }
    bool convertHwp(const std::filesystem::path& source, const std::string& fileName) override
    {
        return m_set.convertHwp(source, fileName);
    }

private:
    convert::DocumentConverterSet& m_set;
};

} // namespace pc::service
