#include "database/ConnectionHolder.h"

#include "ports/Failure.h"

namespace brivanto::database {

ports::Connection& ConnectionHolder::Get() const {
  if (!connection_) {
    throw Failure(failure_codes::kObjectNotSet, "Er is geen database geopend");
  }
  return *connection_;
}

}  // namespace brivanto::database
