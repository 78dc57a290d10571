#include "pocket/settings/file_options_dialog.h"

#include "platform/decimal_number.h"

#include "platform/ui.h"
#include "pocket/settings/pda_settings.h"
#include "pocket/settings/settings_store.h"

#include <optional>

namespace pocket::settings {

namespace {

std::string firstItemStartingWith(const std::vector<std::string>& items, int value)
{
    std::string prefix = std::to_string(value);
    for (const auto& item : items) {
        if (item.starts_with(prefix))
            return item;
    }
    return {};
}

// The leading decimal number of the text, as atoi reads it; nothing for a
// text without one or for zero and below.
std::optional<int> positiveNumber(const std::string& text)
{
    int value = platform::leadingDecimal<int>(text);
    if (value <= 0)
        return std::nullopt;
    return value;
}

} // namespace

FileOptionsDialog::FileOptionsDialog(SettingsStore& store, PdaSettings& settings, platform::Ui& ui)
    : m_store(store)
    , m_settings(settings)
    , m_ui(ui)
{
}

const std::vector<std::string>& FileOptionsDialog::fileListItems()
{
    static const std::vector<std::string> items { "30", "50", "100" };
    return items;
}

const std::vector<std::string>& FileOptionsDialog::fileSizeItems()
{
    static const std::vector<std::string> items { "50", "100", "500", "1000" };
    return items;
}

FileOptionsDialog::Fields FileOptionsDialog::show() const
{
    return { firstItemStartingWith(fileListItems(), m_settings.maxFileList),
        firstItemStartingWith(fileSizeItems(), m_settings.maxFileSizeKb) };
}

void FileOptionsDialog::accept(const Fields& fields)
{
    if (auto value = positiveNumber(fields.maxFileList))
        m_settings.maxFileList = *value;
    if (auto value = positiveNumber(fields.maxFileSize))
        m_settings.maxFileSizeKb = *value;
    if (!m_store.storeFileOptions(m_settings))
        m_ui.messageBox("Quillon", "저장 실패..", platform::Icon::Warning);
}

} // namespace pocket::settings
