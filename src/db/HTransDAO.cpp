#include "db/HTransDAO.h"

#include "ledgerdb/Database.h"

// Placeholder: replaced with the transaction statements.
HTransDAO::HTransDAO() : db_(Database::Instance()) {}
std::string HTransDAO::GetTransTableName(int) { return ""; }
bool HTransDAO::InsertFields(const TransactionFields&) { return false; }
bool HTransDAO::InsertRecord(TransRecord&) { return false; }
bool HTransDAO::UpdateTradeTime(const DBData&) { return false; }
bool HTransDAO::UpdateWhere(const std::string&, const std::string&) { return false; }
bool HTransDAO::SelectForSmartTime(DBQueryResult&, const std::vector<std::string>&) { return false; }
bool HTransDAO::SelectExpired(const std::map<std::string, std::string>&, DBQueryResult&) { return false; }
bool HTransDAO::SelectForRecalc(DBQueryResult&) { return false; }
