// Checks that go before the maintenance services, and the services with an
// outcome that says what they did. ExpireOptions records what
// it is asked to, as the application's own dialog did after its checks: asked
// twice for one position it records two expirations, and it records one for
// a position a later trade closed. A host asks here first and shows the
// reasons, so that a ledger never gets an expiration of nothing.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "voservices/Export.h"
#include "voservices/MaintenanceOutcome.h"

namespace VoServices {

// For each listed opening transaction and quantity that ExpireOptions should
// not be asked to expire, one text "ID: reason": an id of no transaction, a
// transaction that opens no option position, an option that has not expired,
// a quantity that is not a positive number, or one above what is still open
// (the opening quantity less the expirations already recorded for it, and no
// more than the account still holds of the option after its later trades).
// Empty when every entry may be expired. Reads the open database only (see
// OpenDatabase.h); a read that fails gives one text with the database's reason.
VOSERVICES_API std::vector<std::string> CheckExpirations(const std::map<std::string, std::string>& idToQuantity);

// ApplySmartTime and ExpireOptions, the same runs and results, with what they
// did (the trades moved, the positions expired) or why they changed nothing.
VOSERVICES_API MaintenanceOutcome ApplySmartTimeWithOutcome(const std::vector<std::string>& transactionIds);
VOSERVICES_API MaintenanceOutcome ExpireOptionsWithOutcome(const std::map<std::string, std::string>& idToQuantity);

}  // namespace VoServices
