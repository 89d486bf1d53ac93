// brivanto_write_jet_demo <file> <jet3|jet4> [bigRows]: writes tblSettings and tblBig.

#include <charconv>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "JetFile.h"

namespace jet = brivanto::testing::jet;

int main(int argc, char** argv) {
  int bigRows = 10000;
  if (argc == 4) {
    const char* end = argv[3] + std::strlen(argv[3]);
    if (std::from_chars(argv[3], end, bigRows).ptr != end || bigRows < 0) {
      argc = 0;
    }
  }
  const std::string version = argc >= 3 ? argv[2] : "";
  if ((argc != 3 && argc != 4) || (version != "jet3" && version != "jet4")) {
    std::cerr << "usage: brivanto_write_jet_demo <file> <jet3|jet4> [bigRows]\n";
    return 2;
  }
  jet::Table settings{"tblSettings",
                      {{"Section"}, {"sKey"}, {"Value"}},
                      {{"Storage", "DocumentPath", "C:\\Brivanto\\Images"},
                       {"License", "LoggedOn1", "Jan"},
                       {"License", "LoggedOn2", std::nullopt}}};
  jet::Table big{
      "tblBig", {{"Id", jet::ColumnType::Long}, {"Label", jet::ColumnType::Text, 100}}, {}};
  for (int id = 1; id <= bigRows; ++id) {
    big.rows.push_back({std::to_string(id), "Row " + std::to_string(id)});
  }
  try {
    jet::WriteJetFile(argv[1], version == "jet3" ? jet::Version::Jet3 : jet::Version::Jet4,
                      {settings, big});
  } catch (const std::exception& error) {
    std::cerr << error.what() << '\n';
    return 1;
  }
  return 0;
}
