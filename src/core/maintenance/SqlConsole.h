#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "database/ConnectionHolder.h"
#include "maintenance/ResultLines.h"
#include "ports/Clock.h"
#include "ports/Database.h"
#include "ports/FormView.h"

namespace brivanto::maintenance {

// The free SQL console: runs one query over the window's connection and reports it, rows and
// failures included, as lines of the result list. It never opens, closes or replaces the
// connection and never shows a message.
class SqlConsole {
 public:
  SqlConsole(ports::ResultList& results, const database::ConnectionHolder& connection,
             ports::Clock& clock, ports::TickCounter& ticks);

  // An empty query does nothing at all; any other text, blanks alone included, is run.
  void Run(std::string_view query);

 private:
  void ListRun(std::string_view query);
  void ListResultSet(const std::string& statement);
  void ListRows(ports::Recordset& result);
  void AddField(ports::Recordset& result, std::size_t index);
  void ListStatement(const std::string& statement);
  void Append(std::string_view line);

  ports::ResultList& results_;
  const database::ConnectionHolder& connection_;
  ports::Clock& clock_;
  ports::TickCounter& ticks_;
  RowLine row_;
};

}  // namespace brivanto::maintenance
