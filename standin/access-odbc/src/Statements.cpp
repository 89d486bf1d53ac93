#include "Statements.h"

#include <algorithm>
#include <vector>

#include "PendingDiagnostics.h"
#include "SqliteDriver.h"

namespace brivanto::standin {
namespace {

constexpr std::array<SQLINTEGER, 4> kDescriptorAttributes = {
    SQL_ATTR_APP_ROW_DESC, SQL_ATTR_APP_PARAM_DESC, SQL_ATTR_IMP_ROW_DESC, SQL_ATTR_IMP_PARAM_DESC};

SQLHDESC DriverDescriptor(SQLHSTMT statement, SQLINTEGER attribute) {
  SQLHDESC descriptor = SQL_NULL_HDESC;
  // A driver that has none leaves it null, and SQLGetDescField on it then fails in the driver.
  static_cast<void>(Call(GetSqliteDriver().SQLGetStmtAttr, statement, attribute, &descriptor,
                         SQLINTEGER{sizeof descriptor}, nullptr));
  return descriptor;
}

// Every call on a statement looks its state up, four million times for a million rows of four
// columns: each thread remembers the last one it found. Plain values only, so the thread keeps
// nothing alive and the stand-in can still be unloaded.
struct LastFound {
  const StatementRegistry* registry = nullptr;
  std::uint64_t generation = 0;
  SQLHSTMT statement = SQL_NULL_HSTMT;
  StatementState* state = nullptr;
};
thread_local LastFound last_found;

}  // namespace

const DescriptorTag* StatementState::Descriptor(SQLINTEGER attribute) const {
  const auto found =
      std::find_if(descriptors.begin(), descriptors.end(),
                   [&](const DescriptorTag& tag) { return tag.attribute == attribute; });
  return found == descriptors.end() ? nullptr : &*found;
}

SQLHDESC HandleOf(const DescriptorTag& tag) {
  return const_cast<DescriptorTag*>(&tag);
}

void StatementRegistry::Add(SQLHSTMT statement, SQLHDBC connection, const DriverFunctions* driver) {
  auto state = std::make_shared<StatementState>();
  state->connection = connection;
  state->driver = driver;
  for (size_t i = 0; i < kDescriptorAttributes.size(); ++i) {
    // MDB Tools is an ODBC 2 driver: it has no descriptors to ask for.
    const SQLHDESC own =
        driver == nullptr ? DriverDescriptor(statement, kDescriptorAttributes[i]) : SQL_NULL_HDESC;
    state->descriptors[i] = DescriptorTag{statement, kDescriptorAttributes[i], own};
  }
  const std::lock_guard lock(mutex_);
  // The SQLite driver may reuse the address of a statement it freed behind our back.
  RemoveLocked(statement);
  for (const DescriptorTag& tag : state->descriptors) {
    descriptors_.emplace(HandleOf(tag), statement);
  }
  statements_.emplace(statement, std::move(state));
  generation_.fetch_add(1, std::memory_order_release);
}

void StatementRegistry::Remove(SQLHSTMT statement) {
  const std::lock_guard lock(mutex_);
  RemoveLocked(statement);
}

void StatementRegistry::RemoveConnection(SQLHDBC connection) {
  const std::lock_guard lock(mutex_);
  std::vector<SQLHSTMT> gone;
  for (const auto& [statement, state] : statements_) {
    if (state->connection == connection) {
      gone.push_back(statement);
    }
  }
  for (const SQLHSTMT statement : gone) {
    RemoveLocked(statement);
  }
}

// Unchanged since this thread found it, the state is still the statement's and alive: only
// freeing the statement removes it, and an application does not free a statement while it is
// still calling on it.
StatementState* StatementRegistry::Find(SQLHSTMT statement) const {
  const std::uint64_t generation = generation_.load(std::memory_order_acquire);
  if (last_found.registry == this && last_found.generation == generation &&
      last_found.statement == statement) {
    return last_found.state;
  }
  StatementState* state = nullptr;
  {
    const std::lock_guard lock(mutex_);
    const auto found = statements_.find(statement);
    if (found != statements_.end()) {
      state = found->second.get();
    }
  }
  if (state != nullptr) {
    last_found = LastFound{this, generation, statement, state};
  }
  return state;
}

FoundDescriptor StatementRegistry::FindDescriptor(SQLHDESC descriptor) const {
  const std::lock_guard lock(mutex_);
  const auto found = descriptors_.find(descriptor);
  if (found == descriptors_.end()) {
    return {};
  }
  std::shared_ptr<StatementState> state = statements_.at(found->second);
  const auto& tags = state->descriptors;
  const auto* tag = std::find_if(tags.begin(), tags.end(), [&](const DescriptorTag& candidate) {
    return HandleOf(candidate) == descriptor;
  });
  return {std::move(state), tag};
}

void StatementRegistry::RemoveLocked(SQLHSTMT statement) {
  const auto found = statements_.find(statement);
  if (found == statements_.end()) {
    return;
  }
  for (const DescriptorTag& tag : found->second->descriptors) {
    descriptors_.erase(HandleOf(tag));
    GetPendingDiagnostics().Clear(HandleOf(tag));
  }
  GetPendingDiagnostics().Clear(statement);
  statements_.erase(found);
  generation_.fetch_add(1, std::memory_order_release);
}

StatementRegistry& GetStatements() {
  static StatementRegistry statements;
  return statements;
}

}  // namespace brivanto::standin
