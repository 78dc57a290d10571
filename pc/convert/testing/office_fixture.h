#pragma once

// File: pc/convert/testing/office_fixture.h
// A temporary folder with a private LibreOffice profile, and small source
// documents that LibreOffice recognises by their contents whatever their
// extension: RTF text for word-processor files, CSV for sheets and flat
// OpenDocument XML for presentations. Tests that need LibreOffice skip when
// it is not installed.

#include "pc/convert/libreoffice.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

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

// A flat OpenDocument presentation with one text frame per slide.
inline std::string flatPresentation(int slides)
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
              "svg:width=\"10cm\" svg:height=\"3cm\"><draw:text-box><text:p>Slide "
            + std::to_string(i) + "</text:p></draw:text-box></draw:frame></draw:page>";
    }
    return text + "</office:presentation></office:body></office:document>";
}

class OfficeFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!programExists("soffice") || !programExists("pdftoppm"))
            GTEST_SKIP() << "LibreOffice or poppler-utils is not installed";
        auto folder = platform::TempFolder::create("quillon-convert-test");
        ASSERT_TRUE(folder);
        m_folder = std::make_unique<platform::TempFolder>(std::move(*folder));
        std::filesystem::create_directories(root());
        LibreOfficeConfig config;
        config.profileFolder = m_folder->path() / "profile";
        config.timeout = std::chrono::seconds(60);
        office = std::make_shared<LibreOffice>(config);
    }

    std::filesystem::path folder() const { return m_folder->path(); }
    std::filesystem::path root() const { return m_folder->path() / "Quillon"; }

    std::filesystem::path writeSource(const std::string& name, const std::string& content) const
    {
        std::filesystem::path file = folder() / "docs" / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

    static std::string readFile(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::shared_ptr<LibreOffice> office;

private:
    std::unique_ptr<platform::TempFolder> m_folder;
};

} // namespace pc::convert::testing
