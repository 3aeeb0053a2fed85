#include "maintenance/ExpirationCheck.h"

#include <algorithm>

#include "db/EnumValues.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/SqlLiteral.h"
#include "maintenance/MaintenanceRunner.h"
#include "maintenance/PlainNumbers.h"
#include "values/NumberText.h"

namespace vo {

namespace {

std::string Shown(double quantity) { return FormatNumber(quantity, false, 6, true); }

}  // namespace

std::vector<std::string> ExpirationCheck::Problems(const std::map<std::string, std::string>& idToQuantity) {
  std::vector<std::string> problems;
  for (const auto& [id, quantity] : idToQuantity) {
    const std::string problem = Problem(id, quantity);
    if (!failed_.empty()) return {"the ledger could not be read: " + failed_};
    if (!problem.empty()) problems.push_back(id + ": " + problem);
  }
  return problems;
}

std::string ExpirationCheck::Problem(const std::string& id, const std::string& quantity) {
  if (!IsPlainWholeNumber(id)) return "not a transaction id";
  DBQueryResult rows;
  if (!db_->Select("SELECT a.trans_action, a.trans_qty, a.sym_name, a.acct_id, b.sym_type, b.sym_exp_date, "
                   "CASE WHEN b.sym_exp_date < NOW() THEN 1 ELSE 0 END "
                   "FROM trans_table a LEFT JOIN sym_table b ON a.sym_name = b.sym_name WHERE a.trans_id = " + id,
                   false, rows)) {
    failed_ = db_->LastError();
    return "";
  }
  if (rows.size() == 0) return "there is no transaction " + id;
  const DBQueryResult::Row& open = *rows.begin();
  const std::string& symbol = open[2];
  const std::string& account = open[3];
  if (MaintenanceRunner::ExpireAction(TextToInt(open[0]), TextToInt(open[4])) == kTransActionIgnore) {
    return "transaction " + id + " (" + symbol + ") opens no option position";
  }
  const std::string& expires = open[5];
  if (open[6] != "1") {  // as the expiration's own select decides
    return "the option " + symbol + " has not expired" + (expires.empty() ? "" : " (it expires " + expires + ")");
  }
  if (!IsPositiveDecimal(quantity)) return "the quantity '" + quantity + "' is not a positive number";

  // What is left of this lot after the expirations recorded for it, and what
  // the account still holds of the option after all its trades.
  std::string grouped;
  std::string held;
  if (!Cell("SELECT COALESCE(SUM(grp_qty), 0) FROM grp_table WHERE trans_id_open = '" + id + "'", grouped) ||
      !Cell("SELECT COALESCE(SUM(CASE WHEN trans_pos = " + std::to_string(kTransPosClose) +
                " THEN -trans_qty ELSE trans_qty END), 0) FROM trans_table WHERE acct_id = " +
                SqlValue(account) + " AND sym_name = " + SqlValue(symbol),
            held)) {
    return "";
  }
  const double asked = TextToDouble(quantity);
  const double lot = TextToDouble(open[1]) - TextToDouble(grouped);
  const double stillOpen = std::min(lot, TextToDouble(held));
  if (stillOpen <= 0) return "the position of transaction " + id + " (" + symbol + ") is expired or closed already";
  if (asked > stillOpen) {
    return "the quantity " + quantity + " is more than the " + Shown(stillOpen) + " of " + symbol + " still open";
  }
  return "";
}

bool ExpirationCheck::Cell(const std::string& select, std::string& cell) {
  DBQueryResult rows;
  if (!db_->Select(select, false, rows) || rows.size() != 1 || rows.begin()->empty()) {
    failed_ = db_->LastError().empty() ? "no answer to " + select : db_->LastError();
    return false;
  }
  cell = rows.begin()->front();
  return true;
}

}  // namespace vo
