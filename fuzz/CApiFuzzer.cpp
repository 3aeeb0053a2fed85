// Drives the C API as a careless host would: open, close, query, insert,
// import, smart time and expirations in any order, with handles closed
// already, null handles, arbitrary texts, and callbacks that call back into
// the library (closing the database, querying, importing) while the call that
// invoked them runs. Status codes are the only allowed answers; a crash, a
// leak or a sanitizer report is not. Each input starts from a new database.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "voservices/voservices.h"

namespace {

constexpr int kMaxCalls = 24;

// A folder of its own for the databases, files and logs, removed at exit.
class Workspace {
 public:
  Workspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vo-capi-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    setenv("VO_DB", Path("env.sqlite3").c_str(), 1);
    std::ofstream(Path("junk.sqlite3")) << "not a database";
  }
  ~Workspace() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  // Forgets every database and log of the last input.
  void Clear() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(dir_, ignored)) {
      const std::string name = entry.path().filename().string();
      if (name != "junk.sqlite3") std::filesystem::remove_all(entry.path(), ignored);
    }
  }

 private:
  std::filesystem::path dir_;
};

const Workspace& Space() {
  static const Workspace space;
  return space;
}

const char* const kStatements[] = {
    "SELECT * FROM trans_table",
    "SELECT trans_id, trans_action, sym_name FROM trans_table ORDER BY trans_id",
    "SELECT count(*) FROM sym_table",
    "DELETE FROM trans_table WHERE trans_id = 1",
    "UPDATE trans_table SET trans_qty = 2 WHERE trans_id = 2",
    "SELECT * FROM import_run",
};
const char* const kTables[] = {"trans_table", "sym_table", "group_table", "no_such_table"};
const char* const kColumns[] = {"trans_id", "trans_action", "trans_qty", "trans_dttrade", "sym_name",
                                "acct_id", "trans_total", "sym_type", "no_such_column"};
const char* const kNativeHeader =
    "Date Transacted,Date Settled,Action,Quantity,Symbol,Description,Price,Commission,Sec. Fee,"
    "Misc. Fee,Fed. Tax,Ex./Assign Basis Adj,Basis Adj,Amount,Account,ID,Note,FX\n";

// What the callbacks do when called: the state of the one input being run.
struct Run {
  FuzzedDataProvider* data;
  vo_database* db = nullptr;
  std::vector<vo_database*> closed;  // handle values closed already
  int depth = 0;
};

void Call(Run& run);

// From inside a callback (its user data is the run): maybe one more call
// into the library.
void CallBack(void* user) {
  Run& run = *static_cast<Run*>(user);
  if (run.depth > 2 || run.data->remaining_bytes() == 0 || !run.data->ConsumeBool()) return;
  ++run.depth;
  Call(run);
  --run.depth;
}

int OnRow(void* user, int, const char* const*, const char* const*) {
  CallBack(user);
  return static_cast<Run*>(user)->data->ConsumeIntegralInRange(0, 7) == 0 ? 1 : 0;
}

void OnProgress(const vo_import_progress*, void* user) { CallBack(user); }

vo_database* SomeHandle(Run& run) {
  switch (run.data->ConsumeIntegralInRange(0, 3)) {
    case 0: return nullptr;
    case 1: return run.closed.empty() ? run.db : run.closed[run.data->ConsumeIntegralInRange<size_t>(0, run.closed.size() - 1)];
    default: return run.db;
  }
}

std::vector<std::string> Texts(Run& run) {
  std::vector<std::string> texts(run.data->ConsumeIntegralInRange(0, 3));
  for (std::string& text : texts) text = run.data->ConsumeRandomLengthString(24);
  return texts;
}

std::vector<const char*> Pointers(const std::vector<std::string>& texts) {
  std::vector<const char*> pointers;
  for (const std::string& text : texts) pointers.push_back(text.c_str());
  return pointers;
}

void Open(Run& run) {
  const char* const names[] = {"ledger.sqlite3", "other.sqlite3", "junk.sqlite3", "no/such/folder/x.sqlite3"};
  const std::string name = names[run.data->ConsumeIntegralInRange(0, 3)];
  const std::string location = run.data->ConsumeBool() ? "" : Space().Path(name);
  vo_database* opened = nullptr;
  if (vo_database_open(location.c_str(), run.data->ConsumeBool() ? &opened : nullptr) == VO_OK) {
    if (run.db != nullptr) std::abort();  // a second open handle
    run.db = opened;
  }
}

void Close(Run& run) {
  vo_database* handle = SomeHandle(run);
  vo_database_close(handle);
  // From a callback the close is refused: a call runs.
  if (handle != nullptr && handle == run.db && run.depth == 0) {
    run.closed.push_back(run.db);
    run.db = nullptr;
  }
}

void Import(Run& run) {
  const std::string file = Space().Path("input.csv");
  std::ofstream(file, std::ios::binary)
      << (run.data->ConsumeBool() ? kNativeHeader : "") << run.data->ConsumeRandomLengthString(512);
  vo_import_options options;
  vo_import_options_init(&options);
  options.progress = run.data->ConsumeBool() ? OnProgress : nullptr;
  options.progress_user_data = &run;
  options.once = run.data->ConsumeBool();
  options.skip_duplicates = run.data->ConsumeBool();
  options.dry_run = run.data->ConsumeBool();
  vo_import_result result;
  vo_import_result_init(&result);
  const std::string logs = Space().Path("logs/");
  std::filesystem::create_directories(logs);
  vo_import_file(SomeHandle(run), file.c_str(), logs.c_str(), "1", "Main", run.data->ConsumeBool() ? &options : nullptr,
                 run.data->ConsumeBool() ? &result : nullptr);
}

void Call(Run& run) {
  switch (run.data->ConsumeIntegralInRange(0, 7)) {
    case 0: Open(run); break;
    case 1: Close(run); break;
    case 2: {
      const std::string statement = run.data->ConsumeBool() ? run.data->ConsumeRandomLengthString(64)
                                                            : kStatements[run.data->ConsumeIntegralInRange(0, 5)];
      vo_query(SomeHandle(run), statement.c_str(), run.data->ConsumeIntegralInRange(0u, 3u),
               run.data->ConsumeBool() ? OnRow : nullptr, &run);
      break;
    }
    case 3: {
      std::vector<std::string> columns;
      std::vector<std::string> values = Texts(run);
      for (size_t i = 0; i < values.size(); ++i) columns.push_back(kColumns[run.data->ConsumeIntegralInRange(0, 8)]);
      const std::vector<const char*> names = Pointers(columns);
      const std::vector<const char*> texts = Pointers(values);
      uint64_t id = 0;
      vo_insert(SomeHandle(run), kTables[run.data->ConsumeIntegralInRange(0, 3)], names.size(), names.data(),
                texts.data(), run.data->ConsumeBool() ? &id : nullptr);
      break;
    }
    case 4: Import(run); break;
    case 5: {
      int answer = 0;
      vo_can_import_file(Space().Path("input.csv").c_str(), run.data->ConsumeBool() ? &answer : nullptr);
      break;
    }
    case 6: {
      const std::vector<std::string> ids = Texts(run);
      const std::vector<const char*> pointers = Pointers(ids);
      vo_apply_smart_time(SomeHandle(run), pointers.empty() ? nullptr : pointers.data(), pointers.size());
      break;
    }
    case 7: {
      const std::vector<std::string> ids = Texts(run);
      std::vector<std::string> quantities = Texts(run);
      quantities.resize(ids.size(), "1");
      const std::vector<const char*> idPointers = Pointers(ids);
      const std::vector<const char*> quantityPointers = Pointers(quantities);
      vo_expire_options(SomeHandle(run), idPointers.data(), quantityPointers.data(), ids.size());
      break;
    }
  }
  vo_last_error();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  Run run{&data, nullptr, {}, 0};
  for (int call = 0; call < kMaxCalls && data.remaining_bytes() > 0; ++call) Call(run);
  vo_database_close(run.db);
  Space().Clear();
  return 0;
}
