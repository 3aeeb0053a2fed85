#include "db/ImportRunDAO.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/SqlLiteral.h"
#include "values/DateTime.h"
#include "values/Sha256.h"

namespace vo {

namespace {

constexpr char kSchema[] = "import_run_schema";
constexpr char kImported[] = "imported";
constexpr char kUndone[] = "undone";
constexpr char kColumns[] =
    "run_id, acct_id, file_path, file_size, file_sha256, format, run_start, run_end, "
    "trans_stored, sym_added, dup_skipped, log_path, run_result, undone";

uint64_t Number(const std::string& text) {
  return std::strtoull(text.c_str(), nullptr, 10);
}

// An empty date is stored as NULL.
std::string DateOrNull(const std::string& date) { return date.empty() ? "NULL" : date; }

void SetCounts(DBData& data, const ImportRunDAO::Run& run) {
  data.SetField("run_end", DateOrNull(run.ended));
  data.SetField("format", run.format);
  data.SetField("trans_stored", std::to_string(run.transactionsStored));
  data.SetField("sym_added", std::to_string(run.symbolsAdded));
  data.SetField("dup_skipped", std::to_string(run.duplicatesSkipped));
  data.SetField("log_path", run.logPath);
  data.SetField("run_result", run.result);
}

}  // namespace

ImportRunDAO::ImportRunDAO() : db_(Database::Instance()) {}

bool ImportRunDAO::Insert(Run& run) {
  DBData data(kSchema);
  data.SetField("run_id", "NULL");
  data.SetField("acct_id", run.accountId);
  data.SetField("file_path", run.filePath);
  data.SetField("file_size", std::to_string(run.fileSize));
  data.SetField("file_sha256", run.sha256);
  data.SetField("run_start", DateOrNull(run.started));
  SetCounts(data, run);
  if (!db_->insert(data, kImportRunTable, false)) return false;
  unsigned long id = 0;
  if (!db_->GetLastID(id)) return false;
  run.id = id;
  return true;
}

bool ImportRunDAO::Finish(const Run& run) {
  DBData data(kSchema);
  SetCounts(data, run);
  return db_->modify(data, kImportRunTable, "run_id = " + std::to_string(run.id));
}

bool ImportRunDAO::LinkTransactions(uint64_t runId, uint64_t first, uint64_t last, uint64_t step) {
  const std::string sql = std::string("INSERT INTO ") + kImportRunTransTable +
                          " (trans_id, run_id) SELECT trans_id, ? FROM trans_table"
                          " WHERE trans_id BETWEEN ? AND ?";
  if (step == 1) {
    const std::array<std::string, 3> values{std::to_string(runId), std::to_string(first),
                                            std::to_string(last)};
    return db_->Execute(sql, values);
  }
  const std::array<std::string, 5> values{std::to_string(runId), std::to_string(first),
                                          std::to_string(last), std::to_string(first),
                                          std::to_string(step)};
  return db_->Execute(sql + " AND (trans_id - ?) % ? = 0", values);
}

bool ImportRunDAO::Claim(const std::string& accountId, uint64_t runId) {
  Sha256 key;
  key.Update(accountId);  // any account id, as a key of a fixed length
  const std::array<std::string, 2> values{key.HexDigest(), std::to_string(runId)};
  return db_->Execute(std::string("REPLACE INTO ") + kImportClaimTable + " (claim_key, run_id) VALUES (?, ?)",
                      values);
}

bool ImportRunDAO::LinkSymbols(uint64_t runId, std::span<const std::string> symbols) {
  // Every full statement has one text, so it is built once and its prepared
  // form is reused; only the last, shorter one differs.
  constexpr size_t kPerStatement = 128;
  const std::string run = std::to_string(runId);
  std::string sql;
  size_t sqlRows = 0;
  std::vector<std::string> values;
  for (size_t start = 0; start < symbols.size(); start += kPerStatement) {
    const std::span<const std::string> chunk =
        symbols.subspan(start, std::min(kPerStatement, symbols.size() - start));
    if (chunk.size() != sqlRows) {
      sqlRows = chunk.size();
      sql = std::string("INSERT INTO ") + kImportRunSymTable + " (run_id, sym_name) VALUES (?, ?)";
      for (size_t row = 1; row < sqlRows; ++row) sql += ", (?, ?)";
    }
    values.clear();
    for (const std::string& symbol : chunk) {
      values.push_back(run);
      values.push_back(symbol);
    }
    if (!db_->Execute(sql, values)) return false;
  }
  return true;
}

bool ImportRunDAO::FindImported(const std::string& accountId, const std::string& sha256, Run& run,
                                bool& found) {
  std::vector<Run> runs;
  if (!Select("acct_id = " + SqlLiteral(accountId) + " AND file_sha256 = " + SqlLiteral(sha256) +
                  " AND run_result = " + SqlLiteral(kImported),
              runs)) {
    return false;
  }
  found = !runs.empty();
  if (found) run = runs.back();
  return true;
}

bool ImportRunDAO::List(const std::string& accountId, std::vector<Run>& runs) {
  return Select(accountId.empty() ? "" : "acct_id = " + SqlLiteral(accountId), runs);
}

bool ImportRunDAO::Get(uint64_t runId, Run& run, bool& found) {
  std::vector<Run> runs;
  if (!Select("run_id = " + std::to_string(runId), runs)) return false;
  found = !runs.empty();
  if (found) run = runs.front();
  return true;
}

bool ImportRunDAO::MarkUndone(uint64_t runId) {
  DBData data(kSchema);
  data.SetField("run_result", kUndone);
  data.SetField("undone", DateTime::Now().ToDisplayText());
  return db_->modify(data, kImportRunTable, "run_id = " + std::to_string(runId));
}

bool ImportRunDAO::Select(const std::string& condition, std::vector<Run>& runs) {
  unsigned long queryId = 0;
  std::string statement = std::string("SELECT ") + kColumns + " FROM " + kImportRunTable +
                          (condition.empty() ? "" : " WHERE " + condition) + " ORDER BY run_id";
  if (!db_->Query(queryId, statement, false, false, false)) return false;
  DBQueryResult result;
  db_->GetQueryResult(queryId, result);
  db_->DeleteQuery(queryId);
  runs.clear();
  for (const DBQueryResult::Row& row : result) {
    Run& run = runs.emplace_back();
    run.id = Number(row[0]);
    run.accountId = row[1];
    run.filePath = row[2];
    run.fileSize = Number(row[3]);
    run.sha256 = row[4];
    run.format = row[5];
    run.started = row[6];
    run.ended = row[7];
    run.transactionsStored = Number(row[8]);
    run.symbolsAdded = Number(row[9]);
    run.duplicatesSkipped = Number(row[10]);
    run.logPath = row[11];
    run.result = row[12];
    run.undone = row[13];
  }
  return true;
}

}  // namespace vo
