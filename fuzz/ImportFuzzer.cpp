// Imports arbitrary bytes as a broker file, through the whole pipeline that
// ImportFile runs: header search over every known format, parsing, decoding
// and the writes into a database in a temporary folder. A refused file and the
// std::string conversion error are allowed outcomes; a crash, a leak, a hang
// or a sanitizer report is not.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "import/FileImporter.h"
#include "ledgerdb/Database.h"
#include "logging/RunLog.h"

using namespace vo;

namespace {

// A folder of its own for the database and the input file, removed at exit.
class Workspace {
 public:
  Workspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vo-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    setenv("VO_DB", (dir_ / "vo_db.sqlite3").c_str(), 1);
    bool created = false;
    if (!Database::Instance()->init("vo_db", "", "root", nullptr, 0, created)) std::abort();
    // Thousands of imports a minute: a crash of the fuzzer loses nothing worth a sync.
    Run("PRAGMA synchronous = OFF");
  }
  ~Workspace() {
    Database::Destruct();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string Write(const uint8_t* data, size_t size) const {
    std::string file = (dir_ / "input.csv").string();
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                static_cast<std::streamsize>(size));
    return file;
  }

  // Every input starts from an empty database, so a finding replays alone.
  static void Empty() {
    Run("DELETE FROM trans_table");
    Run("DELETE FROM sym_table");
  }

 private:
  static void Run(const std::string& statement) {
    unsigned long query = 0;
    if (!Database::Instance()->Query(query, statement)) std::abort();
    Database::Instance()->DeleteQuery(query);
  }

  std::filesystem::path dir_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Workspace workspace;
  std::string file = workspace.Write(data, size);

  RunLog::Instance("", "FileImporter");  // lines counted, not written
  try {
    FileImporter importer("7");
    importer.Import(file);
  } catch (const std::string&) {
    // The conversion error of a number that a format could not read.
  }
  RunLog::Destroy();
  Workspace::Empty();
  return 0;
}
