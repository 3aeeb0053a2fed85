#include "ledgerdb/SqlDialect.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "ledgerdb/DBSchemaDef.h"

namespace vo {

namespace {

enum class TokenKind { kWord, kNumber, kString, kQuotedName, kSymbol };

struct Token {
  TokenKind kind;
  size_t begin;
  size_t end;
};

bool IsWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool IsWordChar(char c) { return IsWordStart(c) || (c >= '0' && c <= '9') || c == '$'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string LowerText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = Lower(c);
  return lower;
}

// Splits a statement into tokens, skipping blanks and comments. Quoted
// texts are single tokens, so nothing inside them is ever rewritten.
std::vector<Token> Tokenize(std::string_view sql) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    size_t start = i;
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      ++i;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      while (i < sql.size() && sql[i] != '\n') ++i;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      size_t close = sql.find("*/", i + 2);
      i = close == std::string_view::npos ? sql.size() : close + 2;
    } else if (c == '\'' || c == '"' || c == '`') {
      for (++i; i < sql.size(); ++i) {
        if (sql[i] != c) continue;
        if (i + 1 < sql.size() && sql[i + 1] == c) {
          ++i;  // doubled quote inside
          continue;
        }
        break;
      }
      i = std::min(i + 1, sql.size());
      tokens.push_back({c == '\'' ? TokenKind::kString : TokenKind::kQuotedName, start, i});
    } else if (IsWordStart(c)) {
      while (i < sql.size() && IsWordChar(sql[i])) ++i;
      tokens.push_back({TokenKind::kWord, start, i});
    } else if (IsDigit(c)) {
      while (i < sql.size() && (IsDigit(sql[i]) || sql[i] == '.')) ++i;
      tokens.push_back({TokenKind::kNumber, start, i});
    } else {
      static const char* const kTwoCharSymbols[] = {"<>", "!=", "<=", ">=", "==", "||"};
      size_t length = 1;
      for (const char* symbol : kTwoCharSymbols) {
        if (sql.substr(i, 2) == symbol) length = 2;
      }
      i += length;
      tokens.push_back({TokenKind::kSymbol, start, i});
    }
  }
  return tokens;
}

// The statement with its tokens and small helpers to read them.
class Statement {
 public:
  explicit Statement(const std::string& sql) : sql_(sql), tokens_(Tokenize(sql_)) {}

  size_t size() const { return tokens_.size(); }
  const Token& token(size_t i) const { return tokens_[i]; }
  std::string_view Text(size_t i) const {
    return i < tokens_.size() ? std::string_view(sql_).substr(tokens_[i].begin,
                                                              tokens_[i].end - tokens_[i].begin)
                              : std::string_view();
  }
  bool IsWord(size_t i) const { return i < tokens_.size() && tokens_[i].kind == TokenKind::kWord; }
  bool IsKeyword(size_t i, std::string_view word) const {
    return IsWord(i) && EqualsNoCase(Text(i), word);
  }
  bool IsSymbol(size_t i, std::string_view symbol) const {
    return i < tokens_.size() && tokens_[i].kind == TokenKind::kSymbol && Text(i) == symbol;
  }
  // Source text from the start of token `first` to the start of token `last`
  // (or to the end of the statement).
  std::string_view Span(size_t first, size_t last) const {
    size_t begin = first < tokens_.size() ? tokens_[first].begin : sql_.size();
    size_t end = last < tokens_.size() ? tokens_[last].begin : sql_.size();
    return std::string_view(sql_).substr(begin, end - begin);
  }
  // The first token at parenthesis depth 0, from `from` on, that is one of
  // the keywords; size() when none.
  size_t FindTopLevel(size_t from, std::initializer_list<std::string_view> keywords) const {
    int depth = 0;
    for (size_t i = from; i < tokens_.size(); ++i) {
      if (IsSymbol(i, "(")) ++depth;
      if (IsSymbol(i, ")")) --depth;
      if (depth != 0) continue;
      for (std::string_view keyword : keywords) {
        if (IsKeyword(i, keyword)) return i;
      }
    }
    return tokens_.size();
  }
  const std::string& sql() const { return sql_; }

 private:
  const std::string& sql_;
  std::vector<Token> tokens_;
};

// Words that end a table reference instead of naming its alias.
bool IsClauseWord(std::string_view word) {
  static const char* const kWords[] = {"SET",   "WHERE", "ON",    "JOIN",  "LEFT",   "RIGHT",
                                       "INNER", "OUTER", "CROSS", "GROUP", "ORDER",  "HAVING",
                                       "LIMIT", "USING", "AS",    "FULL",  "NATURAL", "UNION"};
  for (const char* keyword : kWords) {
    if (EqualsNoCase(word, keyword)) return true;
  }
  return false;
}

struct TableRef {
  std::string_view table;
  std::string_view alias;  // empty when none
  std::string_view Qualifier() const { return alias.empty() ? table : alias; }
};

// Reads "table [AS] [alias]" at token i; advances i past it.
std::optional<TableRef> ReadTableRef(const Statement& s, size_t& i) {
  if (!s.IsWord(i) || IsClauseWord(s.Text(i))) return std::nullopt;
  TableRef ref{s.Text(i), {}};
  ++i;
  if (s.IsKeyword(i, "AS")) ++i;
  if (s.IsWord(i) && !IsClauseWord(s.Text(i))) ref.alias = s.Text(i++);
  return ref;
}

// UPDATE a x, b y SET x.c = y.d WHERE ...  ->  UPDATE a AS x SET c = y.d FROM b AS y WHERE ...
std::optional<std::string> RewriteMultiTableUpdate(const Statement& s) {
  if (!s.IsKeyword(0, "UPDATE")) return std::nullopt;
  size_t i = 1;
  std::vector<TableRef> tables;
  while (true) {
    std::optional<TableRef> ref = ReadTableRef(s, i);
    if (!ref) return std::nullopt;
    tables.push_back(*ref);
    if (!s.IsSymbol(i, ",")) break;
    ++i;
  }
  if (tables.size() < 2 || !s.IsKeyword(i, "SET")) return std::nullopt;

  auto refText = [](const TableRef& ref) {
    return std::string(ref.table) + (ref.alias.empty() ? "" : " AS " + std::string(ref.alias));
  };
  const TableRef& target = tables.front();
  size_t where = s.FindTopLevel(i + 1, {"WHERE", "ORDER", "LIMIT"});

  // SQLite names the assigned columns without a qualifier.
  std::string assignments;
  size_t start = i + 1;
  int depth = 0;
  for (size_t t = i + 1; t <= where; ++t) {
    bool atEnd = t == where;
    if (!atEnd) {
      if (s.IsSymbol(t, "(")) ++depth;
      if (s.IsSymbol(t, ")")) --depth;
    }
    if (!atEnd && !(depth == 0 && s.IsSymbol(t, ","))) continue;
    size_t first = start;
    if (s.IsWord(first) && s.IsSymbol(first + 1, ".") &&
        (EqualsNoCase(s.Text(first), target.Qualifier()) ||
         EqualsNoCase(s.Text(first), target.table))) {
      first += 2;
    }
    std::string_view assignment = s.Span(first, t);
    while (!assignment.empty() && assignment.back() == ' ') assignment.remove_suffix(1);
    assignments += (assignments.empty() ? "" : ", ") + std::string(assignment);
    start = t + 1;
  }

  std::string sql = "UPDATE " + refText(target) + " SET " + assignments + " FROM ";
  for (size_t t = 1; t < tables.size(); ++t) {
    if (t > 1) sql += ", ";
    sql += refText(tables[t]);
  }
  if (where < s.size()) sql.append(" ").append(s.Span(where, s.size()));
  return sql;
}

// The tables named in a select's FROM clause, in order.
std::vector<TableRef> FromTables(const Statement& s, size_t from, size_t end) {
  std::vector<TableRef> tables;
  for (size_t i = from + 1; i < end;) {
    bool known = s.IsWord(i) && DBSchemaDef::ForTable(LowerText(s.Text(i))) != nullptr;
    bool qualifiedColumn = s.IsSymbol(i + 1, ".");
    if (known && !qualifiedColumn) {
      if (std::optional<TableRef> ref = ReadTableRef(s, i)) {
        tables.push_back(*ref);
        continue;
      }
    }
    ++i;
  }
  return tables;
}

// True when the select list names a result column `name` with AS: such a
// name means the result column, not a table's.
bool IsSelectAlias(const Statement& s, size_t from, std::string_view name) {
  for (size_t i = 1; i + 1 < from; ++i) {
    if (s.IsKeyword(i, "AS") && EqualsNoCase(s.Text(i + 1), name)) return true;
  }
  return false;
}

// GROUP BY sym_name over sym_table JOIN trans_table  ->  GROUP BY sym_table.sym_name
std::optional<std::string> QualifyAmbiguousColumns(const Statement& s) {
  if (!s.IsKeyword(0, "SELECT")) return std::nullopt;
  size_t from = s.FindTopLevel(1, {"FROM"});
  if (from == s.size()) return std::nullopt;
  size_t fromEnd = s.FindTopLevel(from + 1, {"WHERE", "GROUP", "ORDER", "HAVING", "LIMIT"});
  std::vector<TableRef> tables = FromTables(s, from, fromEnd);
  if (tables.size() < 2) return std::nullopt;

  // Positions of bare column names that more than one joined table has,
  // with the qualifier each gets.
  std::vector<std::pair<size_t, std::string_view>> inserts;
  for (std::string_view clause : {"GROUP", "ORDER"}) {
    size_t at = s.FindTopLevel(fromEnd, {clause});
    if (at == s.size() || !s.IsKeyword(at + 1, "BY")) continue;
    size_t itemStart = at + 2;
    for (size_t t = itemStart;; ++t) {
      bool atEnd = t >= s.size() || s.IsKeyword(t, "HAVING") || s.IsKeyword(t, "ORDER") ||
                   s.IsKeyword(t, "LIMIT") || s.IsSymbol(t, ",");
      if (!atEnd) continue;
      bool bareName = t == itemStart + 1 && s.IsWord(itemStart);
      bool bareNameWithDirection = t == itemStart + 2 && s.IsWord(itemStart) &&
                                   (s.IsKeyword(itemStart + 1, "ASC") ||
                                    s.IsKeyword(itemStart + 1, "DESC"));
      if ((bareName || bareNameWithDirection) && !IsSelectAlias(s, from, s.Text(itemStart))) {
        std::string column = LowerText(s.Text(itemStart));
        std::string_view qualifier;
        int holders = 0;
        for (const TableRef& ref : tables) {
          const DBSchemaDef* def = DBSchemaDef::ForTable(LowerText(ref.table));
          if (def && def->Find(column)) {
            if (holders++ == 0) qualifier = ref.Qualifier();
          }
        }
        if (holders > 1) inserts.emplace_back(s.token(itemStart).begin, qualifier);
      }
      if (!s.IsSymbol(t, ",")) break;
      itemStart = t + 1;
    }
  }
  if (inserts.empty()) return std::nullopt;

  std::string sql = s.sql();
  std::sort(inserts.begin(), inserts.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [position, qualifier] : inserts) {
    sql.insert(position, std::string(qualifier) + ".");
  }
  return sql;
}

// [q.]trans_dup <op> 0|1  ->  [q.]trans_id [NOT] IN (SELECT trans_id FROM trans_dup_table)
std::optional<std::string> RewriteDuplicateFlag(const Statement& s) {
  std::string sql;
  size_t copied = 0;
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    if (!s.IsKeyword(i, "trans_dup")) continue;
    bool equals = s.IsSymbol(i + 1, "=") || s.IsSymbol(i + 1, "==");
    bool differs = s.IsSymbol(i + 1, "<>") || s.IsSymbol(i + 1, "!=");
    std::string_view value = s.Text(i + 2);
    if (!(equals || differs) || (value != "0" && value != "1")) continue;
    bool flagged = equals == (value == "1");
    sql += s.sql().substr(copied, s.token(i).begin - copied);
    sql += std::string("trans_id ") + (flagged ? "IN" : "NOT IN") + " (SELECT trans_id FROM " +
           kTransDupTable + ")";
    copied = s.token(i + 2).end;
  }
  if (copied == 0) return std::nullopt;
  return sql + s.sql().substr(copied);
}

// x IN ()  ->  x IN (SELECT NULL FROM DUAL WHERE FALSE): SQLite takes an empty
// list (IN is false, NOT IN true); MariaDB needs the same meaning spelt out.
std::optional<std::string> RewriteEmptyInList(const Statement& s) {
  std::string sql;
  size_t copied = 0;
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    if (!s.IsKeyword(i, "IN") || !s.IsSymbol(i + 1, "(") || !s.IsSymbol(i + 2, ")")) continue;
    sql += s.sql().substr(copied, s.token(i + 1).begin - copied);
    sql += "(SELECT NULL FROM DUAL WHERE FALSE)";
    copied = s.token(i + 2).end;
  }
  if (copied == 0) return std::nullopt;
  return sql + s.sql().substr(copied);
}

}  // namespace

std::string SqlDialect::Rewrite(const std::string& statement) {
  using RewriteFn = std::optional<std::string> (*)(const Statement&);
  static const RewriteFn kRewrites[] = {RewriteDuplicateFlag, RewriteMultiTableUpdate,
                                        QualifyAmbiguousColumns};
  std::string sql = statement;
  for (RewriteFn rewrite : kRewrites) {
    Statement parsed(sql);
    if (std::optional<std::string> rewritten = rewrite(parsed)) sql = std::move(*rewritten);
  }
  return sql;
}

std::string SqlDialect::ForServer(const std::string& statement) {
  using RewriteFn = std::optional<std::string> (*)(const Statement&);
  static const RewriteFn kRewrites[] = {RewriteDuplicateFlag, RewriteEmptyInList};
  std::string sql = statement;
  for (RewriteFn rewrite : kRewrites) {
    Statement parsed(sql);
    if (std::optional<std::string> rewritten = rewrite(parsed)) sql = std::move(*rewritten);
  }
  return sql;
}

}  // namespace vo
