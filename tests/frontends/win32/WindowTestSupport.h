#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/Fakes.h"

namespace brivanto::win32test {

inline constexpr const char* kDatabase = "C:\\Brivanto\\Data\\BrivantoDb.mdb";
inline constexpr const char* kImageFolder = "C:\\Brivanto\\Images";

// The fakes as a site with its data source, database file and image folder.
void DescribeSite(testing::FakeServices& fakes);

// Handles every message waiting for this thread.
void PumpMessages();

// The list box's lines as the control holds them.
std::vector<std::string> ListBoxLines(HWND list);

}  // namespace brivanto::win32test
