#include "symbols/SymbolUpdate.h"

#include <utility>

#include "db/HSymboDAO.h"
#include "platform/MessageBox.h"
#include "symbols/SecurityMasterRequest.h"
#include "symbols/SymbolUpdater.h"

namespace vo {

namespace {

// The caption of the library's own message boxes (those not about the update's steps).
constexpr char kLibraryCaption[] = "VoServices";

void Progress(VoServices::ProgressCallback progress, const std::string& message) {
  if (progress) progress(message, 0);
}

}  // namespace

bool ReadSymbolsToUpdate(HSymboDAO& symbols, VoServices::ProgressCallback progress, SecurityMasterRequest& request,
                         VoServices::SymbolUpdateOutcome* outcome) {
  // The message box, and the same text as the outcome's failure.
  auto fail = [outcome](VoServices::SymbolUpdateFailure kind, const std::string& text, const std::string& caption,
                        unsigned style) {
    ShowMessage(text, caption, style);
    if (outcome != nullptr) *outcome = {false, kind, text};
    return false;
  };
  Progress(progress, "Connecting to your VO database...");
  if (!symbols.init()) {
    return fail(VoServices::SymbolUpdateFailure::kDatabaseUnusable, "Failed to connect to your VO database.", "Error",
                kMbIconExclamation);
  }

  Progress(progress, "Reading symbols from your VO database...");
  // A select that fails reads as no symbols at all, as it always has.
  if (!symbols.StreamSymbolsWithTransCount(request, "") || request.RowsReceived() == 0) {
    return fail(VoServices::SymbolUpdateFailure::kNoSymbols, "There are no symbols in your VO database.",
                kLibraryCaption, kMbIconInformation);
  }
  return true;
}

VoServices::SymbolUpdateOutcome RunSymbolUpdate(std::string url, VoServices::ProgressCallback progress) {
  VoServices::SymbolUpdateOutcome outcome;
  HSymboDAO symbols;
  SecurityMasterRequest request;
  if (!ReadSymbolsToUpdate(symbols, progress, request, &outcome)) return outcome;
  SymbolUpdater updater(std::move(url), progress);
  outcome.updated = updater.Run(std::move(request), symbols);
  outcome.failureKind = updater.failureKind();
  outcome.failure = updater.failure();
  outcome.symbolsRenamed = updater.symbolCounts().renamed;
  outcome.symbolsChanged = updater.symbolCounts().changed;
  outcome.symbolsAdded = updater.symbolCounts().added;
  outcome.totalsRecalculated = updater.totalsRecalculated();
  return outcome;
}

}  // namespace vo
