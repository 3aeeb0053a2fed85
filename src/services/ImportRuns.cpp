// The record of import runs as library calls: each connects (an undo as an
// import does, a listing to read only) and hands the work to the code that
// owns it.
#include "voservices/ImportRuns.h"

#include "db/ImportRunDAO.h"
#include "ledgerdb/Database.h"
#include "maintenance/ImportRunUndo.h"

using namespace vo;

namespace {

bool Connect(std::string& error) {
  bool created = false;
  if (Database::Instance()->init("vo_db", "", "root", nullptr, 0, created)) return true;
  error = "cannot open the database: " + Database::Instance()->LastError();
  return false;
}

// Listing reads only: it neither makes a database nor needs to write one.
bool ConnectToRead(std::string& error) {
  if (Database::Instance()->initToRead()) return true;
  error = "cannot open the database: " + Database::Instance()->LastError();
  return false;
}

}  // namespace

namespace VoServices {

bool ListImportRuns(const std::string& accountId, std::vector<ImportRunInfo>& runs,
                    std::string& error) {
  runs.clear();
  if (!ConnectToRead(error)) return false;
  if (ImportRunDAO().List(accountId, runs)) return true;
  error = "cannot read the import runs: " + Database::Instance()->LastError();
  return false;
}

UndoOutcome UndoImportRun(uint64_t runId) {
  UndoOutcome outcome;
  if (!Connect(outcome.failure)) return outcome;
  return ImportRunUndo().Undo(runId);
}

}  // namespace VoServices
