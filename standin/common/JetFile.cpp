#include "JetFile.h"

namespace brivanto::standin {

std::string JetRepairRefusal(const std::string& path) {
  return "'" + path + "' is een Access-bestand (Jet). Alleen het Access-stuurprogramma van " +
         "Windows kan het repareren; op Linux wordt het alleen-lezen geopend, via MDB Tools.";
}

}  // namespace brivanto::standin
