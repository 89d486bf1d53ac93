// "SQLColAttributes (Access Driver)": Memo fields are SQL_UNSEARCHABLE, so the Access driver
// refuses a statement that compares one in its WHERE clause.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Schema.h"
#include "Statements.h"

namespace brivanto::standin {

// The native error of the refusal (SQLSTATE HY000).
inline constexpr SQLINTEGER kMemoComparisonRefused = 1101;

// The first Memo column of a table the statement uses that a WHERE clause of it names, bracketed
// or bare, in any case; spelled as the table declares it. Literals and comments do not count.
std::optional<std::string> MemoColumnInWhereClause(std::string_view sql,
                                                   const std::vector<DeclaredColumn>& schema);

// SQLExecDirect and SQLPrepare refuse such a statement with SQL_ERROR (unless
// BRIVANTO_STANDIN_MEMO_COMPARE=compare); nothing when it may go ahead.
std::optional<SQLRETURN> RefuseMemoComparison(SQLHSTMT statement, const StatementState& state,
                                              const std::string& sql);

}  // namespace brivanto::standin
