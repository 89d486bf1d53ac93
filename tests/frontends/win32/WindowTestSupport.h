#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Win32FormWindow.h"
#include "support/Fakes.h"

namespace brivanto::win32test {

inline constexpr const char* kDatabase = "C:\\Brivanto\\Data\\BrivantoDb.mdb";
inline constexpr const char* kImageFolder = "C:\\Brivanto\\Images";

// The fakes as a site with its data source, database file and image folder.
void DescribeSite(testing::FakeServices& fakes);

// Handles every message waiting for this thread.
void PumpMessages();

// The lines the result list shows: as many as its list box counts, each as the window draws it.
std::vector<std::string> ListBoxLines(const win32ui::Win32FormWindow& window);

}  // namespace brivanto::win32test
