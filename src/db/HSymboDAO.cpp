#include "db/HSymboDAO.h"

#include "ledgerdb/Database.h"

// Placeholder: replaced with the symbol statements.
const std::string kTransTable = "trans_table";
const std::string kSymTable = "sym_table";
const std::string kInactiveSymTable = "inactive_sym_table";

HSymboDAO::HSymboDAO() : db_(Database::Instance()) {}
bool HSymboDAO::init() { return false; }
std::string HSymboDAO::GetColumnName(int) { return ""; }
bool HSymboDAO::GetSymbolNames(std::set<std::string>&) { return false; }
bool HSymboDAO::InsertSymbol(const SymbolFields&) { return false; }
bool HSymboDAO::SaveSymbol(const std::string&, SymbolFields) { return false; }
bool HSymboDAO::SaveInactiveSymbol(const SymbolFields&) { return false; }
bool HSymboDAO::CopyUnmatchedToInactive(const std::string&) { return false; }
bool HSymboDAO::DeleteUnmatched(const std::string&) { return false; }
bool HSymboDAO::GetSymbolMap(const std::string&, std::map<std::string, std::string>&) { return false; }
bool HSymboDAO::RenameInTables() { return false; }
bool HSymboDAO::SelectSymbolsWithTransCount(DBQueryResult&, const std::string&) { return false; }
std::string HSymboDAO::SelectStatement(const std::string&, const std::string&, const std::string&) {
  return "";
}
std::string HSymboDAO::JoinClause(const std::string&, const std::string&, const std::string&,
                                  const std::string&, const std::string&) {
  return "";
}
std::string HSymboDAO::InList(const std::set<std::string>&) { return ""; }
std::string HSymboDAO::ResearchSymbolFor(const std::string& symbol, int) { return symbol; }
