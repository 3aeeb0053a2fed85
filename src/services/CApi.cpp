// The C interface: each function checks its arguments, turns C strings and
// arrays into what the C++ services take, and turns their outcome into a
// status with a last-error text. Nothing thrown inside gets past Guard.
#include "voservices/voservices.h"
#include "voservices/Maintenance.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "ledgerdb/DBData.h"
#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"
#include "platform/DebugOutput.h"
#include "voservices/ImportOptions.h"
#include "voservices/Layouts.h"
#include "voservices/OpenDatabase.h"
#include "voservices/VoServices.h"

using namespace vo;

static_assert(VO_VERSION_MAJOR == VO_PROJECT_VERSION_MAJOR &&
                  VO_VERSION_MINOR == VO_PROJECT_VERSION_MINOR &&
                  VO_VERSION_PATCH == VO_PROJECT_VERSION_PATCH,
              "voservices.h and the project disagree on the version");

// The open database. Holds the texts a vo_import_result points to.
struct vo_database {
  std::string format;
  std::string logPath;
};

namespace {

// Per thread, like errno: a host may move between threads between calls.
std::string& LastError() {
  thread_local std::string text;
  return text;
}

// The one open handle: the connection behind it is the process's own.
vo_database*& OpenHandle() {
  static vo_database* handle = nullptr;
  return handle;
}

vo_status Fail(vo_status status, std::string text) {
  LastError() = std::move(text);
  return status;
}

// A maintenance run's status: VO_OK when it changed something; a database
// that could not be used or written is VO_DATABASE_ERROR; a run with nothing
// to change is VO_FAILED. The reason is the last error either way.
vo_status MaintenanceStatus(const VoServices::MaintenanceOutcome& outcome) {
  using VoServices::MaintenanceFailure;
  if (outcome.changed) return VO_OK;
  const bool database = outcome.failureKind == MaintenanceFailure::kDatabaseUnusable ||
                        outcome.failureKind == MaintenanceFailure::kWriteFailed;
  return Fail(database ? VO_DATABASE_ERROR : VO_FAILED, outcome.failure);
}

template <typename Body>
vo_status Guard(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return Fail(VO_INTERNAL_ERROR, "out of memory");
  } catch (const std::exception& error) {
    return Fail(VO_INTERNAL_ERROR, error.what());
  } catch (const std::string& error) {
    return Fail(VO_INTERNAL_ERROR, error);
  } catch (...) {
    return Fail(VO_INTERNAL_ERROR, "unexpected failure inside voservices");
  }
}

// One call on the database at a time: a call made from inside a callback of
// a running one, or from another thread while one runs, would use the
// connection (or a handle being closed) under it. Such a call is refused
// instead; the claim is held for the length of the call.
class DatabaseCall {
 public:
  DatabaseCall() : claimed_(!Running().exchange(true)) {}
  ~DatabaseCall() {
    if (claimed_) Running().store(false);
  }
  DatabaseCall(const DatabaseCall&) = delete;
  DatabaseCall& operator=(const DatabaseCall&) = delete;

  bool claimed() const { return claimed_; }

 private:
  static std::atomic<bool>& Running() {
    static std::atomic<bool> running{false};
    return running;
  }

  bool claimed_;
};

constexpr const char* kCallRunning =
    "another call on the database is running (this one came from its callback or another thread)";

vo_status CheckHandle(const vo_database* database, const DatabaseCall& call) {
  if (database == nullptr) return Fail(VO_INVALID_ARGUMENT, "no database handle");
  if (!call.claimed()) return Fail(VO_INVALID_STATE, kCallRunning);
  if (database != OpenHandle()) {
    return Fail(VO_INVALID_STATE, "the database handle is not the open one");
  }
  return VO_OK;
}

// A list of `count` texts; false when one of them (or the list) is null.
bool ReadTexts(const char* const* texts, size_t count, std::vector<std::string>& out) {
  if (count > 0 && texts == nullptr) return false;
  out.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (texts[i] == nullptr) return false;
    out.emplace_back(texts[i]);
  }
  return true;
}

// Whether a caller's struct_size looks set (at least the field itself, and
// not a stray value from memory left uninitialised).
bool SizeIsSet(size_t size) { return size >= sizeof(size_t) && size <= (1u << 16); }

// A layout's problems, "LINE: reason" a line.
std::string LayoutProblems(const VoServices::LayoutInfo& layout) {
  std::string text;
  for (const VoServices::LayoutProblem& problem : layout.problems) {
    text += (text.empty() ? "" : "\n") + std::to_string(problem.line) + ": " + problem.reason;
  }
  return text;
}

struct ProgressTarget {
  vo_import_progress_function function;
  void* userData;
};

void ForwardProgress(const VoServices::ImportProgress& progress, void* target) {
  auto* to = static_cast<ProgressTarget*>(target);
  vo_import_progress copy{progress.bytesRead, progress.totalBytes, progress.linesRead};
  to->function(&copy, to->userData);
}

struct MessageTarget {
  vo_message_function function;
  void* userData;
};

// The C++ progress callback carries no user data: the target of the running
// symbol update is kept here, per thread, for the length of the call.
const MessageTarget*& CurrentMessageTarget() {
  thread_local const MessageTarget* target = nullptr;
  return target;
}

bool ForwardMessage(std::string message, int32_t /*value*/) {
  const MessageTarget* target = CurrentMessageTarget();
  if (target != nullptr) target->function(message.c_str(), target->userData);
  return true;
}

class MessageTargetScope {
 public:
  explicit MessageTargetScope(const MessageTarget* target) { CurrentMessageTarget() = target; }
  ~MessageTargetScope() { CurrentMessageTarget() = nullptr; }
  MessageTargetScope(const MessageTargetScope&) = delete;
  MessageTargetScope& operator=(const MessageTargetScope&) = delete;
};

// The debug output of a call, kept while it runs (and passed on to the sink
// set before it); the sink set before is back when the capture goes.
class DebugCapture {
 public:
  DebugCapture() : previous_(SetDebugSink(nullptr)) {
    SetDebugSink([this](const std::string& text) {
      text_ += (text_.empty() ? "" : "; ") + text;
      if (previous_) previous_(text);
    });
  }
  ~DebugCapture() { SetDebugSink(std::move(previous_)); }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  const std::string& text() const { return text_; }

 private:
  DebugSink previous_;
  std::string text_;
};

// The caller's options, as far as its struct_size reaches, over the defaults;
// false when struct_size is not set.
bool CopyOptions(const vo_import_options* options, vo_import_options& given) {
  vo_import_options_init(&given);
  if (options == nullptr) return true;
  if (!SizeIsSet(options->struct_size)) return false;
  std::memcpy(&given, options, std::min(options->struct_size, sizeof given));
  return true;
}

// The layouts of the caller's options.
void TakeLayouts(const vo_import_options& given, VoServices::ImportOptions& options) {
  if (given.layout_file != nullptr) options.layoutFile = given.layout_file;
  if (given.user_layouts != 0) options.moreLayoutFiles = VoServices::UserLayoutFiles();
  if (given.broker_account != nullptr) options.brokerAccount = given.broker_account;
}

}  // namespace

extern "C" {

const char* vo_version(void) { return VO_PROJECT_VERSION; }

const char* vo_last_error(void) { return LastError().c_str(); }

vo_status vo_database_open(const char* location, vo_database** database) {
  return Guard([&] {
    if (database == nullptr) return Fail(VO_INVALID_ARGUMENT, "nowhere to put the handle");
    *database = nullptr;
    DatabaseCall call;
    if (!call.claimed()) return Fail(VO_INVALID_STATE, kCallRunning);
    if (OpenHandle() != nullptr) return Fail(VO_INVALID_STATE, "a database is already open");
    auto handle = std::make_unique<vo_database>();
    std::string error;
    if (!VoServices::OpenDatabase(location ? location : "", error)) {
      return Fail(VO_DATABASE_ERROR, error);
    }
    *database = OpenHandle() = handle.release();
    return VO_OK;
  });
}

void vo_database_close(vo_database* database) {
  DatabaseCall call;
  if (!call.claimed()) {
    Fail(VO_INVALID_STATE, kCallRunning);
    return;
  }
  // Only the open handle is ours to free: a handle closed already (or never
  // handed out) is left alone rather than freed twice.
  if (database == nullptr || database != OpenHandle()) return;
  std::unique_ptr<vo_database> owned(database);
  VoServices::CloseDatabase();
  OpenHandle() = nullptr;
}

vo_status vo_query(vo_database* database, const char* statement, unsigned flags,
                   vo_row_function on_row, void* user_data) {
  return Guard([&] {
    DatabaseCall call;
    if (vo_status status = CheckHandle(database, call); status != VO_OK) return status;
    if (statement == nullptr) return Fail(VO_INVALID_ARGUMENT, "no statement");
    Database* db = Database::Instance();
    unsigned long queryId = 0;
    bool friendly = (flags & VO_QUERY_FRIENDLY_ENUMS) != 0;
    if (!db->Query(queryId, statement, friendly, friendly, false)) {
      return Fail(VO_DATABASE_ERROR, db->LastError());
    }
    DBQueryResult result;
    db->GetQueryResult(queryId, result);
    db->DeleteQuery(queryId);
    if (on_row == nullptr) return VO_OK;

    std::vector<const char*> names;
    for (const std::string& name : result.getFields()) names.push_back(name.c_str());
    std::vector<const char*> values(names.size());
    for (const DBQueryResult::Row& row : result) {
      std::transform(row.begin(), row.end(), values.begin(),
                     [](const std::string& cell) { return cell.c_str(); });
      if (on_row(user_data, static_cast<int>(names.size()), values.data(), names.data()) != 0) {
        break;
      }
    }
    return VO_OK;
  });
}

vo_status vo_insert(vo_database* database, const char* table, size_t count,
                    const char* const* columns, const char* const* values, uint64_t* row_id) {
  return Guard([&] {
    DatabaseCall call;
    if (vo_status status = CheckHandle(database, call); status != VO_OK) return status;
    std::vector<std::string> names;
    std::vector<std::string> texts;
    if (table == nullptr || count == 0 || !ReadTexts(columns, count, names) ||
        !ReadTexts(values, count, texts)) {
      return Fail(VO_INVALID_ARGUMENT, "an insert needs a table and at least one column");
    }
    DBData data;
    for (size_t i = 0; i < count; ++i) data.SetField(names[i], texts[i]);
    Database* db = Database::Instance();
    if (!db->insert(data, table, false)) return Fail(VO_DATABASE_ERROR, db->LastError());
    if (row_id != nullptr) {
      unsigned long id = 0;
      db->GetLastID(id);
      *row_id = id;
    }
    return VO_OK;
  });
}

vo_status vo_can_import_file(const char* file_path, int* can_import) {
  return Guard([&] {
    if (file_path == nullptr || can_import == nullptr) {
      return Fail(VO_INVALID_ARGUMENT, "a file path and somewhere to put the answer are needed");
    }
    *can_import = VoServices::CanImportFile(file_path) ? 1 : 0;
    return VO_OK;
  });
}

vo_status vo_can_import_file_with_options(const char* file_path, const vo_import_options* options,
                                          int* can_import) {
  return Guard([&] {
    if (file_path == nullptr || can_import == nullptr) {
      return Fail(VO_INVALID_ARGUMENT, "a file path and somewhere to put the answer are needed");
    }
    vo_import_options given;
    if (!CopyOptions(options, given)) return Fail(VO_INVALID_ARGUMENT, "struct_size is not set");
    VoServices::ImportOptions importOptions;
    TakeLayouts(given, importOptions);
    if (!importOptions.layoutFile.empty()) {
      VoServices::LayoutInfo layout = VoServices::CheckLayoutFile(importOptions.layoutFile);
      if (!layout.problems.empty()) return Fail(VO_FAILED, LayoutProblems(layout));
    }
    *can_import = VoServices::CanImportFileWithOptions(file_path, importOptions) ? 1 : 0;
    return VO_OK;
  });
}

vo_status vo_check_layout_file(const char* path) {
  return Guard([&] {
    if (path == nullptr) return Fail(VO_INVALID_ARGUMENT, "no layout file named");
    VoServices::LayoutInfo layout = VoServices::CheckLayoutFile(path);
    return layout.problems.empty() ? VO_OK : Fail(VO_FAILED, LayoutProblems(layout));
  });
}

void vo_import_options_init(vo_import_options* options) {
  if (options == nullptr) return;
  *options = vo_import_options{};
  options->struct_size = sizeof(vo_import_options);
}

void vo_import_result_init(vo_import_result* result) {
  if (result == nullptr) return;
  *result = vo_import_result{};
  result->struct_size = sizeof(vo_import_result);
  result->format = "";
  result->log_path = "";
}

vo_status vo_import_file(vo_database* database, const char* file_path, const char* log_folder,
                         const char* account_id, const char* account_name,
                         const vo_import_options* options, vo_import_result* result) {
  return Guard([&] {
    DatabaseCall call;
    if (vo_status status = CheckHandle(database, call); status != VO_OK) return status;
    if (file_path == nullptr || account_id == nullptr || account_name == nullptr) {
      return Fail(VO_INVALID_ARGUMENT, "an import needs a file path, an account id and a name");
    }
    vo_import_options given;
    if (!CopyOptions(options, given) || (result != nullptr && !SizeIsSet(result->struct_size))) {
      return Fail(VO_INVALID_ARGUMENT, "struct_size is not set");
    }
    ProgressTarget progress{given.progress, given.progress_user_data};
    VoServices::ImportOptions importOptions;
    importOptions.once = given.once != 0;
    importOptions.skipDuplicates = given.skip_duplicates != 0;
    importOptions.dryRun = given.dry_run != 0;
    TakeLayouts(given, importOptions);
    if (given.progress != nullptr) {
      importOptions.progress = ForwardProgress;
      importOptions.progressUserData = &progress;
    }

    VoServices::ImportOutcome outcome = VoServices::ImportFileWithOptions(
        file_path, log_folder ? log_folder : "", account_id, account_name, importOptions);

    database->format = outcome.format;
    database->logPath = outcome.logPath;
    if (result != nullptr) {
      vo_import_result filled{sizeof(vo_import_result),    database->format.c_str(),
                              outcome.linesRefused,        outcome.transactionsStored,
                              outcome.transactionsRefused, outcome.symbolsAdded,
                              database->logPath.c_str(),   outcome.runId,
                              outcome.previousRunId,       outcome.duplicatesSkipped};
      size_t size = result->struct_size;
      std::memcpy(result, &filled, std::min(size, sizeof filled));
      result->struct_size = size;
    }
    if (outcome.imported) return VO_OK;
    const std::string why = outcome.failure.empty() ? "the import failed" : outcome.failure;
    switch (outcome.failureKind) {
      case VoServices::ImportFailure::kConversionError: return Fail(VO_CONVERSION_ERROR, outcome.conversionError);
      case VoServices::ImportFailure::kFileUnreadable: return Fail(VO_FILE_UNREADABLE, why);
      case VoServices::ImportFailure::kUnknownFormat: return Fail(VO_UNKNOWN_FORMAT, why);
      case VoServices::ImportFailure::kDatabaseUnusable: return Fail(VO_DATABASE_ERROR, why);
      case VoServices::ImportFailure::kAlreadyImported: return Fail(VO_ALREADY_IMPORTED, why);
      default: return Fail(VO_FAILED, why);
    }
  });
}

vo_status vo_update_symbols(vo_database* database, const char* url,
                            vo_message_function on_message, void* user_data) {
  return Guard([&] {
    DatabaseCall call;
    if (vo_status status = CheckHandle(database, call); status != VO_OK) return status;
    if (url == nullptr) return Fail(VO_INVALID_ARGUMENT, "no security master URL");
    MessageTarget target{on_message, user_data};
    MessageTargetScope scope(on_message != nullptr ? &target : nullptr);
    // A C host sees no debug output: why the update failed ("Couldn't
    // connect to server") becomes the error text. Any handler already set
    // hears it too.
    DebugCapture why;
    if (!VoServices::UpdateSymbols(url, on_message != nullptr ? ForwardMessage : nullptr)) {
      return Fail(VO_FAILED, "the symbol update did not complete" + (why.text().empty() ? "" : ": " + why.text()));
    }
    return VO_OK;
  });
}

vo_status vo_apply_smart_time(vo_database* database, const char* const* transaction_ids,
                              size_t count) {
  return Guard([&] {
    DatabaseCall call;
    if (vo_status status = CheckHandle(database, call); status != VO_OK) return status;
    std::vector<std::string> ids;
    if (!ReadTexts(transaction_ids, count, ids)) {
      return Fail(VO_INVALID_ARGUMENT, "a transaction id is missing");
    }
    return MaintenanceStatus(VoServices::ApplySmartTimeWithOutcome(ids));
  });
}

vo_status vo_expire_options(vo_database* database, const char* const* transaction_ids,
                            const char* const* quantities, size_t count) {
  return Guard([&] {
    DatabaseCall call;
    if (vo_status status = CheckHandle(database, call); status != VO_OK) return status;
    std::vector<std::string> ids;
    std::vector<std::string> amounts;
    if (!ReadTexts(transaction_ids, count, ids) || !ReadTexts(quantities, count, amounts)) {
      return Fail(VO_INVALID_ARGUMENT, "a transaction id or quantity is missing");
    }
    std::map<std::string, std::string> idToQuantity;
    for (size_t i = 0; i < count; ++i) idToQuantity[ids[i]] = amounts[i];
    return MaintenanceStatus(VoServices::ExpireOptionsWithOutcome(idToQuantity));
  });
}

}  // extern "C"
