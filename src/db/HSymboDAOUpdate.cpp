// HSymboDAO::UpdateFromSecurityMaster: the database side of the symbol update.
#include "db/HSymboDAO.h"

// Placeholder until the symbol update is built.
bool HSymboDAO::UpdateFromSecurityMaster(const std::map<std::string, SymbolFields>&,
                                         const std::map<std::string, SymbolFields>&) {
  return false;
}
