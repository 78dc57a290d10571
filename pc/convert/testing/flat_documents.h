#pragma once

// File: pc/convert/testing/flat_documents.h
// Small source documents that LibreOffice recognises by their contents,
// whatever their extension: RTF text, and flat OpenDocument XML for text,
// spreadsheets and presentations (UTF-8, so Korean text goes in as it is).
// Tests, the benchmark and the picture tool make real documents of every
// format from these.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace pc::convert::testing {

// An RTF document with one paragraph per page.
inline std::string rtfPages(std::initializer_list<const char*> pages)
{
    std::string text = "{\\rtf1\\ansi ";
    bool first = true;
    for (const char* page : pages) {
        if (!first)
            text += "\\page ";
        text += page;
        text += "\\par ";
        first = false;
    }
    return text + "}";
}

inline std::string xmlEscape(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else
            out.push_back(c);
    }
    return out;
}

// A flat OpenDocument text, one paragraph per page.
inline std::string flatText(const std::vector<std::string>& pages)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                       "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
                       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
                       "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" "
                       "office:version=\"1.2\" office:mimetype=\"application/vnd.oasis.opendocument.text\">"
                       "<office:automatic-styles><style:style style:name=\"Break\" style:family=\"paragraph\">"
                       "<style:paragraph-properties fo:break-before=\"page\"/></style:style></office:automatic-styles>"
                       "<office:body><office:text>";
    for (std::size_t i = 0; i < pages.size(); ++i) {
        text += i == 0 ? "<text:p>" : "<text:p text:style-name=\"Break\">";
        text += xmlEscape(pages[i]) + "</text:p>";
    }
    return text + "</office:text></office:body></office:document>";
}

// A flat OpenDocument spreadsheet: sheets of rows of cells; cells that read
// as numbers are numbers.
struct FlatSheet {
    std::string name;
    std::vector<std::vector<std::string>> rows;
};

inline std::string flatSpreadsheet(const std::vector<FlatSheet>& sheets)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
                       "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
                       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\" "
                       "office:mimetype=\"application/vnd.oasis.opendocument.spreadsheet\">"
                       "<office:body><office:spreadsheet>";
    for (const auto& sheet : sheets) {
        text += "<table:table table:name=\"" + xmlEscape(sheet.name) + "\">";
        for (const auto& row : sheet.rows) {
            text += "<table:table-row>";
            for (const auto& cell : row) {
                bool number = !cell.empty() && cell.find_first_not_of("0123456789.-") == std::string::npos;
                text += number ? "<table:table-cell office:value-type=\"float\" office:value=\"" + cell + "\">"
                               : "<table:table-cell office:value-type=\"string\">";
                text += "<text:p>" + xmlEscape(cell) + "</text:p></table:table-cell>";
            }
            text += "</table:table-row>";
        }
        text += "</table:table>";
    }
    return text + "</office:spreadsheet></office:body></office:document>";
}

// A flat OpenDocument presentation with one text frame per slide.
inline std::string flatPresentation(int slides, std::string_view title = "Slide")
{
    std::string text
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
          "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
          "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
          "xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\" office:version=\"1.2\" "
          "office:mimetype=\"application/vnd.oasis.opendocument.presentation\">"
          "<office:body><office:presentation>";
    for (int i = 1; i <= slides; ++i) {
        text += "<draw:page draw:name=\"p" + std::to_string(i)
            + "\"><draw:frame svg:x=\"2cm\" svg:y=\"2cm\" "
              "svg:width=\"10cm\" svg:height=\"3cm\"><draw:text-box><text:p>" + xmlEscape(title) + " "
            + std::to_string(i) + "</text:p></draw:text-box></draw:frame></draw:page>";
    }
    return text + "</office:presentation></office:body></office:document>";
}

} // namespace pc::convert::testing
