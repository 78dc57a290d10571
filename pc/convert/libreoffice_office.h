#pragma once

// File: pc/convert/libreoffice_office.h
// Automation providers for "Word.Application", "Excel.Application" and
// "Powerpoint.Application" backed by LibreOffice: each answers the members
// the office converters call (OfficeProgram), opens a document by recording
// its path, and carries out SaveAs with LibreOffice and pdftoppm: Word's
// HTML format as an HTML page, Excel's as pages of sheet tables
// (sheet_pages.h), PowerPoint's JPEG format as slide images of the
// configured width. Results replace older ones in one step
// (result_placement.h). Creating one fails with ServerUnavailable when
// soffice is missing.

#include "pc/convert/dispatch.h"
#include "pc/convert/libreoffice.h"
#include "pc/convert/page_images.h"

#include <memory>

namespace pc::convert {

// Adds the three providers; the LibreOffice object is shared by them.
void registerLibreOfficeOffice(DispatchRegistry& registry, std::shared_ptr<const LibreOffice> office);

} // namespace pc::convert
