#include "cli/web/LibraryGate.h"

#include <iostream>

#include "cli/ImportReport.h"
#include "voservices/Ledger.h"
#include "voservices/Messages.h"
#include "voservices/OpenDatabase.h"

LibraryGate::LibraryGate() {
  // Handlers run on the thread of the call that speaks, which holds the gate.
  VoServices::SetMessageHandler([this](const std::string& text, const std::string& caption) {
    std::cerr << caption << ": " << text << std::endl;
    messages_.push_back(caption + ": " + text);
  });
  VoServices::SetDebugHandler([](const std::string& text) { std::cerr << text << std::endl; });
}

LibraryGate::~LibraryGate() {
  VoServices::SetMessageHandler({});
  VoServices::SetDebugHandler({});
  VoServices::CloseDatabase();
}

std::optional<LibraryGate::Hold> LibraryGate::Enter(std::chrono::milliseconds wait) {
  std::unique_lock<std::timed_mutex> lock(mutex_, wait);
  if (!lock.owns_lock()) return std::nullopt;
  messages_.clear();
  return std::optional<Hold>(std::in_place, *this, std::move(lock));
}

// A connection already open (to write after an import) serves reads too.
bool LibraryGate::Hold::OpenToRead(std::string& error) {
  if (gate_.inMemory_) VoServices::CloseDatabase();
  gate_.inMemory_ = false;
  return VoServices::OpenDatabaseToRead(error);
}

void LibraryGate::Hold::PrepareToWrite() {
  VoServices::CloseDatabase();
  gate_.inMemory_ = false;
}

bool LibraryGate::Hold::OpenForDryRun(std::string& error) {
  if (gate_.inMemory_) VoServices::CloseDatabase();
  std::string readError;
  const bool opened = ::OpenForDryRun(readError);
  // The file could not be read, and the stand-in opened in its place.
  gate_.inMemory_ = opened && !readError.empty();
  if (!opened) error = readError;
  return opened;
}

std::vector<std::string> LibraryGate::Hold::TakeMessages() { return std::move(gate_.messages_); }
