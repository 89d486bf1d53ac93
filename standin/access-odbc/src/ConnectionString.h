// Reading the connection text the program passes to SQLDriverConnect.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "AsciiText.h"

namespace brivanto::standin {

// Keyword/value pairs of a connection text. Keywords are matched case-insensitively; when a
// keyword repeats, its first value counts, as ODBC prescribes for DSN and DRIVER.
class ConnectionAttributes {
 public:
  std::optional<std::string> Find(std::string_view keyword) const;
  void Add(std::string_view keyword, std::string value);
  // Every keyword, in lower case, with the value that counts for it.
  const std::map<std::string, std::string, std::less<>>& All() const { return values_; }

 private:
  std::map<std::string, std::string, std::less<>> values_;
};

// Values are taken verbatim: blanks around a value belong to it, because a file name may start
// or end with one. An unbraced value ends at a ';' only where a keyword of the Access driver and
// '=' follow (or nothing but blanks), so a file name may contain ';'. A {braced} value ends at
// the first single '}', and "}}" stands for one '}'.
// Returns nothing when the text is not a list of keyword=value pairs.
std::optional<ConnectionAttributes> ParseConnectionString(std::string_view text);

// A "file:" URI for SQLite that names exactly this absolute path and refuses to create it.
// The SQLite ODBC driver cuts its Database= value at the first ';' and knows no quoting, so the
// path travels percent-encoded.
std::string SqliteUriForExistingFile(std::string_view absolute_path);

}  // namespace brivanto::standin
