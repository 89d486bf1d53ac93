#include "database/ConnectionHolder.h"

#include "platform/Failure.h"

namespace brivanto::database {

platform::Connection& ConnectionHolder::Get() const {
  if (!connection_) {
    throw Failure(failure_codes::kObjectNotSet, "Er is geen database geopend");
  }
  return *connection_;
}

}  // namespace brivanto::database
