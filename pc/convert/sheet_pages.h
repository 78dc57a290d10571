#pragma once

// File: pc/convert/sheet_pages.h
// A workbook as HTML pages that a 240-pixel-wide screen shows well: plain
// tables of at most `rowsPerPage` rows, each page headed by links to every
// sheet and to the neighbouring pages, so that every sheet and every row is
// reachable however large the workbook. The first page of the first sheet
// is the page the handheld opens (<base>.htm); the others live in the folder
// <base>.sheets beside it, named <sheet>-<page>.htm (both from 1). Pages are
// UTF-8 and say so. Pure: the caller writes the pages.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pc::convert {

struct SheetText {
    std::string name;
    std::string csv; // The sheet as the office writes CSV (kSheetCsvFormat).
};

struct SheetPage {
    std::string path; // Relative to the folder of <base>.htm.
    std::string html;
};

constexpr int kSheetRowsPerPage = 200;

// The cells of CSV text (RFC 4180: "," between cells, '"' around cells that
// hold ",", '"' or line breaks, '""' for '"'), row by row. A line break
// inside quotes belongs to the cell; "\r\n" counts as "\n".
std::vector<std::vector<std::string>> parseCsv(std::string_view csv);

// The folder of the further pages: base + ".sheets".
std::string sheetPageFolder(std::string_view base);

// Hands every page of the workbook to `emit`, the first page last (so that
// it appears only once the pages it links to are there). False, with
// nothing emitted, when no sheet has a cell with content; false also when
// `emit` returns false.
bool renderSheetPages(std::string_view base, std::string_view title, const std::vector<SheetText>& sheets,
    int rowsPerPage, const std::function<bool(const SheetPage&)>& emit);

} // namespace pc::convert
