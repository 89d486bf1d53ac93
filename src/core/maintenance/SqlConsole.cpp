#include "maintenance/SqlConsole.h"

#include <exception>
#include <memory>

#include "maintenance/Statement.h"
#include "ports/Failure.h"

namespace brivanto::maintenance {
SqlConsole::SqlConsole(ports::ResultList& results, const database::ConnectionHolder& connection,
                       ports::Clock& clock, ports::TickCounter& ticks)
    : results_(results), connection_(connection), clock_(clock), ticks_(ticks) {}

void SqlConsole::Run(std::string_view query) {
  if (query.empty()) {
    return;
  }
  try {
    ListRun(query);
  } catch (const std::exception& error) {
    const auto failure = AsFailure(error);
    Append(FailureLine(failure.Number(), failure.Description()));
  }
}

void SqlConsole::ListRun(std::string_view query) {
  const std::uint32_t startTick = ticks_.GetTickCount();
  results_.Clear();
  Append(StartLine(clock_.Now()));
  Append(kBlankLine);
  const std::string statement = StatementText(query);
  if (ReturnsRows(query)) {
    ListResultSet(statement);
  } else {
    ListStatement(statement);
  }
  Append(kBlankLine);
  Append(kBlankLine);
  const ports::LocalDateTime endTime = clock_.Now();
  Append(EndLine(endTime, ElapsedMilliseconds(startTick, ticks_.GetTickCount())));
}

void SqlConsole::ListResultSet(const std::string& statement) {
  // The rows are listed once, first to last, and never written back: a forward-only, read-only
  // cursor spares the driver a copy of the whole result to scroll and update in.
  const std::unique_ptr<ports::Recordset> result = connection_.Get().OpenRecordset(
      statement, ports::CursorType::ForwardOnly, ports::LockType::ReadOnly);
  // INSERT ... SELECT and SELECT ... INTO are carried out without leaving rows to read.
  if (!result || !result->IsOpen()) {
    Append(kSpacerLine);
    Append(kDoneLine);
    return;
  }
  ListRows(*result);
  Append(kSpacerLine);
  Append(CountLine(result->RecordCount()));
  Append(kBlankLine);
  result->Close();
}

void SqlConsole::ListRows(ports::Recordset& result) {
  const std::size_t fieldCount = result.FieldCount();
  while (!result.Eof()) {
    row_.Begin();
    for (std::size_t index = 0; index < fieldCount; ++index) {
      AddField(result, index);
    }
    results_.Append(row_.Text());
    result.MoveNext();
  }
}

void SqlConsole::AddField(ports::Recordset& result, std::size_t index) {
  try {
    const ports::FieldValue value = result.Field(index);
    if (value) {
      row_.AddValue(*value);
    } else {
      row_.AddNull();
    }
  } catch (const Failure& failure) {
    // A value that proves null only while it is turned into text is listed like any other null.
    if (failure.Number() != failure_codes::kInvalidUseOfNull) {
      throw;
    }
    row_.AddNull();
  }
}

void SqlConsole::ListStatement(const std::string& statement) {
  // Drivers that report no count leave it untouched, and the line then shows 0.
  std::int32_t recordsAffected = 0;
  // Whatever result comes back is released unread: the count is all that is listed.
  connection_.Get().Execute(statement, &recordsAffected);
  Append(kSpacerLine);
  Append(kDoneLine);
  Append(AffectedLine(recordsAffected));
}

void SqlConsole::Append(std::string_view line) {
  results_.Append(line);
}

}  // namespace brivanto::maintenance
