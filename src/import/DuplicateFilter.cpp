// Finding duplicates without a scan per row (through the index on acct_id and
// trans_dttrade that trans_table is made with):
//   1. each decoded row is turned into the text its stored row reads back as
//      (dates normalised, amounts in plain decimals, enumeration values as
//      numbers, an absent value empty), and sorted by its stored trade date;
//   2. the rows are taken in slices of consecutive trade dates; for each slice
//      one select reads the account's stored rows of exactly the slice's trade
//      dates (not the range between them, which may hold years of other
//      rows), and each decoded row claims one equal stored row if one is left
//      unclaimed.
// Rows without a trade date are compared with the stored rows that have none.
#include "import/DuplicateFilter.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "db/TableColumns.h"
#include "import/TransactionMap.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/SqlLiteral.h"
#include "ledgerdb/StoredForms.h"

namespace vo {

namespace {

// Decoded rows per select: bounds the stored rows held at once and the
// length of the select's list of dates.
constexpr size_t kRowsPerSlice = 2000;
constexpr char kUnstorable = '\x01';  // never equal to anything read back
constexpr char kSeparator = '\x1f';

const std::vector<ColumnDef>& Columns() {
  static const std::vector<ColumnDef>& columns = DBSchemaDef::ForTable("trans_table")->columns();
  return columns;
}

// What a stored value reads back as through the database layer.
std::string ReadBackForm(const ColumnDef& column, std::string_view value) {
  if (value == "NULL") return "";
  int64_t number = 0;
  std::string date;
  switch (column.kind) {
    case ColumnKind::kDate:
      switch (NormaliseDate(value, date)) {
        case StoredForm::kValue: return date;
        case StoredForm::kNull: return "";
        case StoredForm::kInvalid: return std::string(1, kUnstorable);
      }
      break;
    case ColumnKind::kAmount:
    case ColumnKind::kEnum: {
      StoredForm form = column.kind == ColumnKind::kAmount ? ParseAmount(value, number)
                                                           : ParseWholeNumber(value, number);
      if (form == StoredForm::kNull) return "";
      if (form == StoredForm::kInvalid) return std::string(1, kUnstorable);
      return column.kind == ColumnKind::kAmount ? FormatMillionths(number) : std::to_string(number);
    }
    case ColumnKind::kId:
    case ColumnKind::kText:
      break;
  }
  return std::string(value);
}

// Every column but trans_id, as read back, joined.
std::string ContentOf(const TransactionFields& fields) {
  std::string content;
  for (size_t index = 1; index < Columns().size(); ++index) {
    auto it = fields.find(static_cast<int>(index));
    if (it != fields.end()) content += ReadBackForm(Columns()[index], it->second);
    content += kSeparator;
  }
  return content;
}

std::string ContentOf(const DBQueryResult::Row& row) {
  std::string content;
  for (const std::string& cell : row) content += cell + kSeparator;
  return content;
}

struct Candidate {
  std::string tradeDate;  // stored form; empty when the row has none
  std::string content;
  size_t position;
};

// The account's stored rows matching the condition, as content -> count.
bool StoredContents(const std::string& accountId, const std::string& condition,
                    std::unordered_map<std::string, size_t>& counts) {
  std::string columns;
  for (size_t index = 1; index < Columns().size(); ++index) {
    columns += (columns.empty() ? "" : ", ") + std::string(Columns()[index].name);
  }
  Database* db = Database::Instance();
  unsigned long queryId = 0;
  if (!db->Query(queryId, "SELECT " + columns + " FROM trans_table WHERE acct_id = " +
                              SqlLiteral(accountId) + " AND " + condition,
                 false, false, false)) {
    return false;
  }
  DBQueryResult result;
  db->GetQueryResult(queryId, result);
  db->DeleteQuery(queryId);
  counts.clear();
  for (const DBQueryResult::Row& row : result) ++counts[ContentOf(row)];
  return true;
}

}  // namespace

bool DuplicateFilter::Load(const std::string& accountId, const TransactionMap& transactions) {
  std::vector<Candidate> candidates;
  candidates.reserve(transactions.size());
  transactions.ForEach([&](std::string_view, const TransactionFields& fields) {
    Candidate candidate{"", ContentOf(fields), candidates.size()};
    auto date = fields.find(TransColumn::kTransDtTrade);
    if (date != fields.end()) {
      candidate.tradeDate = ReadBackForm(Columns()[TransColumn::kTransDtTrade], date->second);
    }
    candidates.push_back(std::move(candidate));
  });
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.tradeDate < b.tradeDate; });
  skip_.assign(candidates.size(), false);

  std::unordered_map<std::string, size_t> stored;
  for (size_t first = 0; first < candidates.size();) {
    // A slice ends between two trade dates, never inside one.
    size_t last = std::min(first + kRowsPerSlice, candidates.size()) - 1;
    while (last + 1 < candidates.size() &&
           candidates[last + 1].tradeDate == candidates[last].tradeDate) {
      ++last;
    }
    const std::string& low = candidates[first].tradeDate;
    const bool undated = low.empty();
    if (undated || low.front() == kUnstorable) {
      // These sort before every date: the slice is exactly the rows like them.
      last = first;
      while (last + 1 < candidates.size() && candidates[last + 1].tradeDate == low) ++last;
      if (!undated) {  // a date that cannot be stored: the row is never a duplicate
        first = last + 1;
        continue;
      }
      if (!StoredContents(accountId, "trans_dttrade IS NULL", stored)) return false;
    } else {
      std::string dates;
      for (size_t i = first; i <= last; ++i) {
        if (i > first && candidates[i].tradeDate == candidates[i - 1].tradeDate) continue;
        dates += (dates.empty() ? "" : ", ") + SqlLiteral(candidates[i].tradeDate);
      }
      if (!StoredContents(accountId, "trans_dttrade IN (" + dates + ")", stored)) return false;
    }
    for (size_t i = first; i <= last; ++i) {
      auto match = stored.find(candidates[i].content);
      if (match == stored.end() || match->second == 0) continue;
      --match->second;
      skip_[candidates[i].position] = true;
    }
    first = last + 1;
  }
  return true;
}

}  // namespace vo
