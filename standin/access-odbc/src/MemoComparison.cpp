#include "MemoComparison.h"

#include <algorithm>
#include <array>

#include "ConnectionString.h"
#include "Messages.h"
#include "PendingDiagnostics.h"
#include "TestSwitches.h"

namespace brivanto::standin {
namespace {

struct Token {
  enum class Kind { kWord, kName, kPunctuation };
  Kind kind;
  std::string text;  // a word or name, or the punctuation character
};

bool IsWordByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         (c >= '0' && c <= '9') || c == '_';
}

// Position after the quoted run starting at `start`; a doubled quote stands for one.
std::size_t SkipQuoted(std::string_view sql, std::size_t start, char close) {
  for (std::size_t i = start + 1; i < sql.size(); ++i) {
    if (sql[i] == close) {
      if (i + 1 < sql.size() && sql[i + 1] == close && close != ']') {
        ++i;
        continue;
      }
      return i + 1;
    }
  }
  return sql.size();
}

std::size_t SkipComment(std::string_view sql, std::size_t start) {
  if (sql.substr(start, 2) == "--") {
    const std::size_t end = sql.find('\n', start);
    return end == std::string_view::npos ? sql.size() : end;
  }
  const std::size_t end = sql.find("*/", start + 2);
  return end == std::string_view::npos ? sql.size() : end + 2;
}

// Words, [bracketed] and `quoted` names, and punctuation. Strings count as literals, in single
// quotes and, as in Jet SQL, in double quotes.
std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      i = SkipQuoted(sql, i, c);
    } else if (sql.substr(i, 2) == "--" || sql.substr(i, 2) == "/*") {
      i = SkipComment(sql, i);
    } else if (c == '[' || c == '`') {
      const std::size_t end = SkipQuoted(sql, i, c == '[' ? ']' : '`');
      tokens.push_back({Token::Kind::kName, std::string(sql.substr(i + 1, end - i - 2))});
      i = end;
    } else if (IsWordByte(c)) {
      const std::size_t end =
          std::find_if_not(sql.begin() + i, sql.end(), IsWordByte) - sql.begin();
      tokens.push_back({Token::Kind::kWord, std::string(sql.substr(i, end - i))});
      i = end;
    } else {
      if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
        tokens.push_back({Token::Kind::kPunctuation, std::string(1, c)});
      }
      ++i;
    }
  }
  return tokens;
}

bool IsKeyword(const Token& token, std::string_view keyword) {
  return token.kind == Token::Kind::kWord && AsciiLower(token.text) == keyword;
}

bool EndsWhereClause(const Token& token) {
  static constexpr std::array<std::string_view, 8> kFollowers = {
      "group", "order", "having", "union", "limit", "except", "intersect", "window"};
  return std::any_of(kFollowers.begin(), kFollowers.end(),
                     [&](std::string_view keyword) { return IsKeyword(token, keyword); });
}

// The names in every WHERE clause, nested ones included, up to what ends that clause at its
// own depth of parentheses.
std::vector<std::string> NamesInWhereClauses(const std::vector<Token>& tokens) {
  std::vector<std::string> names;
  std::vector<int> open_clauses;  // the parenthesis depth of each WHERE still open
  int depth = 0;
  for (const Token& token : tokens) {
    if (token.text == "(" && token.kind == Token::Kind::kPunctuation) {
      ++depth;
    } else if (token.text == ")" && token.kind == Token::Kind::kPunctuation) {
      --depth;
    }
    const bool ends = token.kind == Token::Kind::kPunctuation && token.text == ";";
    while (!open_clauses.empty() && (ends || depth < open_clauses.back() ||
                                     (depth == open_clauses.back() && EndsWhereClause(token)))) {
      open_clauses.pop_back();
    }
    if (IsKeyword(token, "where")) {
      open_clauses.push_back(depth);
    } else if (!open_clauses.empty() && token.kind != Token::Kind::kPunctuation) {
      names.push_back(token.text);
    }
  }
  return names;
}

bool StatementNames(const std::vector<Token>& tokens, const std::string& name) {
  return std::any_of(tokens.begin(), tokens.end(), [&](const Token& token) {
    return token.kind != Token::Kind::kPunctuation && SameName(token.text, name);
  });
}

}  // namespace

std::optional<std::string> MemoColumnInWhereClause(std::string_view sql,
                                                   const std::vector<DeclaredColumn>& schema) {
  const std::vector<Token> tokens = Tokenize(sql);
  const std::vector<std::string> compared = NamesInWhereClauses(tokens);
  for (const DeclaredColumn& column : schema) {
    const bool memo = IsMemoType(column.type);
    const auto named = [&](const std::string& name) { return SameName(name, column.column); };
    if (memo && std::any_of(compared.begin(), compared.end(), named) &&
        StatementNames(tokens, column.table)) {
      return column.column;
    }
  }
  return std::nullopt;
}

std::optional<SQLRETURN> RefuseMemoComparison(SQLHSTMT statement, const StatementState& state,
                                              const std::string& sql) {
  if (MemoCompareSetting() == MemoCompare::kCompare ||
      AsciiLower(sql).find("where") == std::string::npos) {
    return std::nullopt;
  }
  const auto column = MemoColumnInWhereClause(sql, ReadDeclaredColumns(state.connection));
  if (!column) {
    return std::nullopt;
  }
  return Fail(statement, {Diagnostic{"HY000", kMemoComparisonRefused,
                                     std::string(kMessagePrefix) + "The Memo field '" + *column +
                                         "' cannot be compared: a WHERE clause cannot compare "
                                         "Memo fields."}});
}

}  // namespace brivanto::standin
