#pragma once

// The Access file of a Brivanto site as the tests write it for real Jet drivers: the image
// folder, three users recorded as logged on (one with no name at all), and values at the edges
// of a Jet Text field.

#include <string>
#include <vector>

#include "JetFile.h"

namespace brivanto::testing::jet {

inline const std::string kSiteImageFolder = "C:\\Brivanto\\Scans é";
inline const std::string kLongValue(255, 'w');

inline std::vector<Table> SiteTables() {
  return {Table{"tblSettings",
                {{"Section"}, {"sKey"}, {"Value"}},
                {{"Storage", "DocumentPath", kSiteImageFolder},
                 {"License", "LoggedOn1", "PC-07 jan"},
                 {"License", "LoggedOn2", std::nullopt},
                 {"License", "LoggedOn3", "PC-03 José"},
                 {"Layout", "Footer", kLongValue}}}};
}

// The row lines the console lists for "Select * from tblSettings" on that file.
inline std::vector<std::string> SiteSettingsLines() {
  return {" Storage DocumentPath " + kSiteImageFolder, " License LoggedOn1 PC-07 jan",
          " License LoggedOn2 NULL", " License LoggedOn3 PC-03 José",
          " Layout Footer " + kLongValue};
}

}  // namespace brivanto::testing::jet
