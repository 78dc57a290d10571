#include "pc/convert/sheet_pages.h"

#include "platform/codec/percent_encoding.h"
#include "platform/html_text.h"

#include <algorithm>
#include <optional>

namespace pc::convert {

namespace {

constexpr std::string_view kPageHead = "<html><head><meta http-equiv=\"content-type\" "
                                       "content=\"text/html; charset=utf-8\"><title>";

bool hasCells(std::string_view csv)
{
    return csv.find_first_not_of(",\"\r\n") != std::string_view::npos;
}

// Cells that read as numbers are set to the right, as a spreadsheet shows them.
bool looksNumeric(std::string_view cell)
{
    return !cell.empty() && cell.find_first_of("0123456789") != std::string_view::npos
        && cell.find_first_not_of("0123456789.,-+% ") == std::string_view::npos;
}

// Where the pages link to each other: the first page of the first sheet is
// <base>.htm, every other page is in the folder beside it.
class PageLinks {
public:
    explicit PageLinks(std::string_view base)
        : m_base(base)
        , m_encodedBase(platform::codec::percentEncode(base))
    {
    }

    std::string pathOf(std::size_t sheet, std::size_t page) const
    {
        if (sheet == 0 && page == 0)
            return m_base + ".htm";
        return sheetPageFolder(m_base) + "/" + fileOf(sheet, page);
    }

    // A link from the page (fromSheet, fromPage) to (sheet, page).
    std::string href(std::size_t fromSheet, std::size_t fromPage, std::size_t sheet, std::size_t page) const
    {
        bool fromFirst = fromSheet == 0 && fromPage == 0;
        if (sheet == 0 && page == 0)
            return fromFirst ? m_encodedBase + ".htm" : "../" + m_encodedBase + ".htm";
        return fromFirst ? m_encodedBase + ".sheets/" + fileOf(sheet, page) : fileOf(sheet, page);
    }

private:
    static std::string fileOf(std::size_t sheet, std::size_t page)
    {
        return std::to_string(sheet + 1) + "-" + std::to_string(page + 1) + ".htm";
    }

    std::string m_base;
    std::string m_encodedBase;
};

struct PagePlace {
    std::size_t sheet;
    std::size_t page;
    std::size_t pageCount;
    std::size_t rowCount;
    std::size_t firstRow;
};

std::string sheetBar(const PageLinks& links, const std::vector<SheetText>& sheets, const PagePlace& place)
{
    if (sheets.size() < 2)
        return {};
    std::string bar = "<p>";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (i > 0)
            bar += " | ";
        std::string name = platform::htmlEscape(sheets[i].name.empty() ? std::to_string(i + 1) : sheets[i].name);
        if (i == place.sheet)
            bar += "<b>" + name + "</b>";
        else
            bar += "<a href=\"" + links.href(place.sheet, place.page, i, 0) + "\">" + name + "</a>";
    }
    return bar + "</p>\n";
}

std::string pageBar(const PageLinks& links, const PagePlace& place, std::size_t shownRows)
{
    if (place.pageCount < 2)
        return {};
    std::string bar = "<p>";
    if (place.page > 0)
        bar += "<a href=\"" + links.href(place.sheet, place.page, place.sheet, place.page - 1) + "\">&lt;&lt;</a> ";
    bar += std::to_string(place.firstRow + 1) + "-" + std::to_string(place.firstRow + shownRows) + " / "
        + std::to_string(place.rowCount);
    if (place.page + 1 < place.pageCount)
        bar += " <a href=\"" + links.href(place.sheet, place.page, place.sheet, place.page + 1) + "\">&gt;&gt;</a>";
    return bar + "</p>\n";
}

std::string table(const std::vector<std::vector<std::string>>& rows, std::size_t first, std::size_t count)
{
    std::string html = "<table border=\"1\" cellspacing=\"0\" cellpadding=\"1\">\n";
    for (std::size_t r = first; r < first + count; ++r) {
        html += "<tr>";
        for (const auto& cell : rows[r])
            html += (looksNumeric(cell) ? "<td align=\"right\">" : "<td>") + platform::htmlEscape(cell) + "</td>";
        html += "</tr>\n";
    }
    return html + "</table>\n";
}

} // namespace

std::vector<std::vector<std::string>> parseCsv(std::string_view csv)
{
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false;
    bool rowOpen = false;
    for (std::size_t i = 0; i < csv.size(); ++i) {
        char c = csv[i];
        rowOpen = true;
        if (quoted) {
            if (c != '"')
                cell.push_back(c);
            else if (i + 1 < csv.size() && csv[i + 1] == '"')
                cell.push_back(csv[++i]);
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(cell));
            cell.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < csv.size() && csv[i + 1] == '\n')
                ++i;
            row.push_back(std::move(cell));
            cell.clear();
            rows.push_back(std::move(row));
            row.clear();
            rowOpen = false;
        } else {
            cell.push_back(c);
        }
    }
    if (rowOpen) {
        row.push_back(std::move(cell));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string sheetPageFolder(std::string_view base)
{
    return std::string(base) + ".sheets";
}

bool renderSheetPages(std::string_view base, std::string_view title, const std::vector<SheetText>& sheets,
    int rowsPerPage, const std::function<bool(const SheetPage&)>& emit)
{
    if (std::none_of(sheets.begin(), sheets.end(), [](const SheetText& s) { return hasCells(s.csv); }))
        return false;
    PageLinks links(base);
    auto perPage = static_cast<std::size_t>(std::max(1, rowsPerPage));
    std::string head = std::string(kPageHead) + platform::htmlEscape(title) + "</title></head><body>\n";
    std::optional<SheetPage> firstPage;
    for (std::size_t sheet = 0; sheet < sheets.size(); ++sheet) {
        auto rows = parseCsv(sheets[sheet].csv);
        std::size_t pageCount = std::max<std::size_t>(1, (rows.size() + perPage - 1) / perPage);
        for (std::size_t page = 0; page < pageCount; ++page) {
            PagePlace place { sheet, page, pageCount, rows.size(), page * perPage };
            std::size_t shown = std::min(perPage, rows.size() - std::min(rows.size(), place.firstRow));
            std::string nav = pageBar(links, place, shown);
            SheetPage out { links.pathOf(sheet, page),
                head + sheetBar(links, sheets, place) + nav + table(rows, place.firstRow, shown) + nav
                    + "</body></html>\n" };
            if (sheet == 0 && page == 0)
                firstPage = std::move(out);
            else if (!emit(out))
                return false;
        }
    }
    return emit(*firstPage);
}

} // namespace pc::convert
