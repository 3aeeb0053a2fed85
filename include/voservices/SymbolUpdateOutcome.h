// Why a symbol update stopped and what it wrote, apart from the functions
// that run it.
#pragma once

#include <cstdint>
#include <string>

namespace VoServices {

enum class SymbolUpdateFailure : uint8_t {
  kNone,               // updated
  kNoSymbols,          // the database holds no symbol worth sending
  kAllCurrent,         // the server found every symbol current: nothing to change
  kDatabaseUnusable,   // the database could not be opened, or the writes could not begin
  kServerUnreachable,  // no answer to the connection test (address, TLS, timeout)
  kRequestFailed,      // the request was not answered, or answered with a status from 400
  kBadAnswer,          // the answer could not be read
  kWriteFailed,        // the renames, the symbols or the recalculated totals could not all be written
};

struct SymbolUpdateOutcome {
  bool updated = false;  // what UpdateSymbols returns for the same run
  SymbolUpdateFailure failureKind = SymbolUpdateFailure::kNone;
  std::string failure;  // the message box text of the step that stopped it; empty when updated
  // What was written (also by an update that failed at a later step):
  uint64_t symbolsRenamed = 0;      // symbols now known by another name, in every table
  uint64_t symbolsChanged = 0;      // symbols rewritten from the server's record
  uint64_t symbolsAdded = 0;        // canonical symbols the ledger did not have
  uint64_t totalsRecalculated = 0;  // transactions whose trans_total was rewritten
};

}  // namespace VoServices
