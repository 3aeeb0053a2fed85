// vo show: the rows of one table, streamed from a prepared select straight to
// the output in the format asked for, filtered by account, symbol and trade
// date. The filters' values are bound to the select, never pasted into it.
#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/RowWriter.h"
#include "voservices/Ledger.h"

namespace {

constexpr char kTradeDate[] = "trans_dttrade";

struct ShowArgs {
  std::string table = "trans_table";
  std::string format = "table";
  std::string account;
  std::string symbol;
  std::string from;
  std::string to;
  std::vector<std::string> columns;
  std::vector<std::string> sort;  // columns, "-" before one for descending
  std::string limit;
  bool raw = false;
};

// A select of the chosen columns with its filters and their bound values.
struct ShowQuery {
  std::string sql;
  std::vector<std::string> parameters;
  std::string error;  // why the arguments do not make a query
};

bool HasColumn(const VoServices::LedgerTable& table, const std::string& column) {
  return std::find(table.columns.begin(), table.columns.end(), column) != table.columns.end();
}

ShowQuery BuildQuery(const ShowArgs& args) {
  ShowQuery query;
  std::string from, to;
  if (!TradeTimeBounds(args.from, args.to, from, to, query.error)) return query;
  // (The parser lets through only tables that exist.)
  const VoServices::LedgerTable table = LedgerTableNamed(args.table);
  std::string columns;
  for (const std::string& column : args.columns) {
    if (!HasColumn(table, column)) {
      query.error = "no column " + column + " in " + args.table;
      return query;
    }
    columns += (columns.empty() ? "" : ", ") + column;
  }
  struct Filter {
    const char* option;
    const std::string& value;
    const char* column;
    const char* comparison;
  };
  const Filter filters[] = {
      {"--account", args.account, "acct_id", " = ?"},
      {"--symbol", args.symbol, "sym_name", " = ?"},
      {"--from", from, kTradeDate, " >= ?"},
      {"--to", to, kTradeDate, " <= ?"},
  };
  std::vector<RowFilter> asked;
  for (const Filter& filter : filters) {
    if (filter.value.empty()) continue;
    if (!HasColumn(table, filter.column)) {
      query.error = std::string(filter.option) + " does not apply to " + args.table;
      return query;
    }
    asked.push_back({filter.value, std::string(filter.column) + filter.comparison});
  }
  const std::string conditions = WhereClause(asked, query.parameters);
  // --sort's columns, ties broken by the id where the table has one.
  std::string order;
  for (const std::string& key : args.sort) {
    const bool descending = key.starts_with('-');
    const std::string column = descending ? key.substr(1) : key;
    if (!HasColumn(table, column)) {
      query.error = "--sort: no column " + column + " in " + args.table;
      return query;
    }
    order += (order.empty() ? "" : ", ") + column + (descending ? " DESC" : "");
  }
  // Trades read as a ledger does, by trade date; other tables in the order
  // their rows were stored.
  if (order.empty() && HasColumn(table, kTradeDate)) order = kTradeDate;
  const std::string limit = args.limit.empty() ? "" : " LIMIT " + args.limit;
  query.sql = "SELECT " + (columns.empty() ? std::string("*") : columns) + " FROM " + args.table;
  if (!table.firstColumnIsId) {
    query.sql += conditions + (order.empty() ? "" : " ORDER BY " + order) + limit;
    return query;
  }
  const std::string& id = table.columns.front();
  if (!order.empty()) {
    query.sql += conditions + " ORDER BY " + order + ", " + id + limit;
    return query;
  }
  // In the order rows were stored. The filters pick the ids (through an
  // index where one fits, such as the account's), and the rows are then read
  // in id order: sorting whole rows instead would cost an account of a
  // million rows several times a plain scan.
  if (!conditions.empty()) {
    query.sql += " WHERE " + id + " IN (SELECT " + id + " FROM " + args.table + conditions + ")";
  }
  query.sql += " ORDER BY " + id + limit;
  return query;
}

int RunShow(const ShowArgs& args) {
  ShowQuery query = BuildQuery(args);
  if (!query.error.empty()) {
    std::cerr << "vo: show: " << query.error << std::endl;
    return kExitUsage;
  }
  if (!OpenDatabaseToRead()) return kExitFalse;

  std::ios::sync_with_stdio(false);
  RowWriter writer(*RowWriter::FormatNamed(args.format), std::cout);
  const auto form = args.raw ? VoServices::CellForm::kStored : VoServices::CellForm::kFriendly;
  std::string error;
  if (!VoServices::ReadRows(query.sql, query.parameters, form, writer, error)) {
    writer.Finish();
    std::cerr << "vo: show: " << error << std::endl;
    return kExitFalse;
  }
  writer.Finish();
  return 0;
}

std::vector<std::string> TableNames() {
  std::vector<std::string> names;
  for (const VoServices::LedgerTable& table : VoServices::LedgerTables()) names.push_back(table.name);
  return names;
}

}  // namespace

Command AddShowCommand(CLI::App& app) {
  auto args = std::make_shared<ShowArgs>();
  CLI::App* show = app.add_subcommand("show", "Print the rows of a table (default trans_table)");
  show->add_option("--table", args->table, "The table to print")
      ->check(CLI::IsMember(TableNames()))
      ->capture_default_str();
  show->add_option("--format", args->format, "Output format: table, csv, tsv, json or ndjson")
      ->check(CLI::IsMember(RowWriter::FormatNames()))
      ->capture_default_str();
  show->add_option("--account", args->account, "Only the rows of this account id");
  show->add_option("--symbol", args->symbol, "Only the rows of this symbol");
  show->add_option("--from", args->from, "Only trades on or after this date (YYYY-MM-DD)");
  show->add_option("--to", args->to, "Only trades on or before this date (YYYY-MM-DD)");
  show->add_option("--columns", args->columns, "Only these columns, in this order (a,b,...)")
      ->delimiter(',');
  show->add_option("--sort", args->sort, "Order by these columns (a,-b: b descending); default trade date, then id")
      ->delimiter(',');
  show->add_option("--limit", args->limit, "At most this many rows")
      ->check(PositiveWholeNumber("a positive whole number of rows"));
  show->add_flag("--raw", args->raw, "Cells as stored: enumerations and amounts as numbers");
  return {show, [args] { return RunShow(*args); }};
}
