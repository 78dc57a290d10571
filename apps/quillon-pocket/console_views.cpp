#include "apps/quillon-pocket/console_views.h"

#include <ostream>

namespace apps::pocket {

ConsoleHtmlView::ConsoleHtmlView(std::ostream& out, std::string name)
    : m_out(out)
    , m_name(std::move(name))
{
}

void ConsoleHtmlView::navigate(const std::string& url)
{
    m_address = url;
    ++navigations;
    m_out << "navigate\t" << m_name << "\t" << url << std::endl;
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
            m_out << "drive\t" << root->text << std::endl;
    }
}

void ConsolePcViews::closeProgress()
{
    m_out << "progress\t" << m_title << "\t" << m_done << std::endl;
}

void ConsolePcViews::showResults(const std::vector<::pocket::mypc::SearchRow>& rows)
{
    for (const auto& row : rows)
        m_out << "found\t" << row.name << "\t" << row.folder << "\t" << row.size << std::endl;
}

void ConsolePcViews::showFolder(const std::string&, const std::vector<::pocket::link::FolderEntry>& entries)
{
    for (const auto& entry : entries)
        m_out << (entry.isFolder ? "folder\t" : "file\t") << entry.name << std::endl;
    folderDone = true;
}

void ConsolePcViews::addAddress(const std::string& address)
{
    m_out << "address\t" << address << std::endl;
}

void ConsolePcViews::removeRow(const std::string& name)
{
    m_out << "removed\t" << name << std::endl;
}

void ConsolePcViews::showMail(const std::string& header, bool hasAttachments, const std::string& title)
{
    m_out << "title\t" << title << "\n" << header << (hasAttachments ? "첨부파일이 있습니다\n" : "") << std::flush;
    ++mailsShown;
}

} // namespace apps::pocket
