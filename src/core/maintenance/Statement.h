#pragma once

#include <string>
#include <string_view>

namespace brivanto::maintenance {

// True when the query is to be opened as a result set rather than executed. The test is
// deliberately crude: "select" anywhere, in any case, also inside a word, a name or a literal.
bool ReturnsRows(std::string_view query);

// The text sent to the database: every double quote becomes a single quote, wherever it stands,
// so users may write literals the way they would in Access; nothing else changes.
std::string StatementText(std::string_view query);

}  // namespace brivanto::maintenance
