#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/FormView.h"
#include "database/ConnectionHolder.h"
#include "maintenance/ResultLines.h"
#include "platform/Clock.h"
#include "platform/Database.h"

namespace brivanto::maintenance {

// The free SQL console: runs one query over the window's connection and reports it, rows and
// failures included, as lines of the result list. It never opens, closes or replaces the
// connection and never shows a message.
class SqlConsole {
 public:
  SqlConsole(app::ResultList& results, const database::ConnectionHolder& connection,
             platform::Clock& clock, platform::TickCounter& ticks);

  // An empty query does nothing at all; any other text, blanks alone included, is run.
  void Run(std::string_view query);

 private:
  void ListRun(std::string_view query);
  void ListResultSet(const std::string& statement);
  void ListRows(platform::Recordset& result);
  void AddField(platform::Recordset& result, std::size_t index);
  void ListStatement(const std::string& statement);
  void Append(std::string_view line);

  app::ResultList& results_;
  const database::ConnectionHolder& connection_;
  platform::Clock& clock_;
  platform::TickCounter& ticks_;
  RowLine row_;
};

}  // namespace brivanto::maintenance
