#include "apps/quillon-pocket/console_views.h"

#include "platform/terminal_text.h"

#include <ostream>

namespace apps::pocket {

using platform::terminalSafe;

ConsoleHtmlView::ConsoleHtmlView(std::ostream& out, std::string name)
    : m_out(out)
    , m_name(std::move(name))
{
}

void ConsoleHtmlView::navigate(const std::string& url)
{
    m_address = url;
    ++navigations;
    m_out << "navigate\t" << m_name << "\t" << terminalSafe(url) << std::endl;
}

ConsolePcViews::ConsolePcViews(std::ostream& out)
    : m_out(out)
{
}

void ConsolePcViews::treeReset()
{
    if (!m_tree)
        return;
    for (const auto& root : m_tree->roots()) {
        if (root->isPc)
            m_out << "drive\t" << terminalSafe(root->text) << std::endl;
    }
}

void ConsolePcViews::setResumedLine(const std::string& text)
{
    m_out << "resume\t" << terminalSafe(m_title) << "\t" << text << std::endl;
}

void ConsolePcViews::closeProgress()
{
    // The last figures: size, then speed and time left once they were known.
    m_out << "progress\t" << terminalSafe(m_title) << "\t" << m_done;
    if (!m_rate.empty())
        m_out << "\t" << m_rate;
    m_out << std::endl;
}

void ConsolePcViews::showResults(const std::vector<::pocket::mypc::SearchRow>& rows)
{
    for (const auto& row : rows)
        m_out << "found\t" << terminalSafe(row.name) << "\t" << terminalSafe(row.folder) << "\t" << terminalSafe(row.size)
              << std::endl;
}

void ConsolePcViews::showFolder(const std::string&, const std::vector<::pocket::link::FolderEntry>& entries)
{
    for (const auto& entry : entries)
        m_out << (entry.isFolder ? "folder\t" : "file\t") << terminalSafe(entry.name) << std::endl;
    folderDone = true;
}

void ConsolePcViews::addAddress(const std::string& address)
{
    m_out << "address\t" << terminalSafe(address) << std::endl;
}

void ConsolePcViews::removeRow(const std::string& name)
{
    m_out << "removed\t" << terminalSafe(name) << std::endl;
}

void ConsolePcViews::showMail(const std::string& header, bool hasAttachments, const std::string& title)
{
    // The header keeps its lines; what the PC put in it is escaped.
    m_out << "title\t" << terminalSafe(title) << "\n"
          << terminalSafe(header, true) << (hasAttachments ? "첨부파일이 있습니다\n" : "") << std::flush;
    ++mailsShown;
}

} // namespace apps::pocket
