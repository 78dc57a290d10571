#pragma once

// File: pc/convert/testing/office_fixture.h
// A temporary folder with a private LibreOffice profile, for tests of the
// converters with the source documents of flat_documents.h. Tests that need
// LibreOffice skip when it is not installed.

#include "pc/convert/libreoffice.h"
#include "pc/convert/testing/flat_documents.h"
#include "platform/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pc::convert::testing {

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
