#pragma once

// File: pocket/ink/testing/temp_folder.h
// A fresh temporary folder for one test, removed with everything in it
// (platform::TempFolder with the handheld tests' prefix).

#include "platform/temp_folder.h"

namespace pocket::ink::testing {

class TempFolder : public platform::TempFolder {
public:
    TempFolder()
        : platform::TempFolder("pocket_ink")
    {
    }
};

} // namespace pocket::ink::testing
