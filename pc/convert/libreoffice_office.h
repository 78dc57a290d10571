#pragma once

// File: pc/convert/libreoffice_office.h
// Automation providers for "Word.Application", "Excel.Application" and
// "Powerpoint.Application" backed by LibreOffice: each answers the members
// the office converters call (OfficeProgram), opens a document by recording
// its path, and carries out SaveAs in the program's HTML or JPEG format with
// LibreOffice and pdftoppm. Creating one fails with ServerUnavailable when
// soffice is missing.

#include "pc/convert/dispatch.h"
#include "pc/convert/libreoffice.h"

#include <memory>

namespace pc::convert {

// Adds the three providers; the LibreOffice object is shared by them.
void registerLibreOfficeOffice(DispatchRegistry& registry, std::shared_ptr<const LibreOffice> office);

// The file name PowerPoint gives slide `number` (from 1) of a JPEG save.
std::string slideImageName(int number);

} // namespace pc::convert
