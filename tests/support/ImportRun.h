// Imports and run logs in tests: ImportFile run into the current database
// with its log kept, the lines of a log by level, a capture of the process's
// run log for tests of the parts, and the text of a conversion error.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "logging/RunLog.h"
#include "support/TempDir.h"
#include "voservices/VoServices.h"

// The header of the system's own transaction file format.
inline const std::string kNativeHeader =
    "Date Transacted,Date Settled,Action,Quantity,Symbol,Description,Price,Commission,Sec. Fee,"
    "Misc. Fee,Fed. Tax,Ex./Assign Basis Adj,Basis Adj,Amount,Account,ID,Note,FX";

// "Record 0005 message" (or just the message) of every line of `level` whose
// message contains `filter`, each ending with "\n".
inline std::string LogLines(const std::string& text, const std::string& level,
                            const std::string& filter = "") {
  std::string lines;
  std::istringstream log(text);
  for (std::string line; std::getline(log, line);) {
    // component and line number, time, level, record, message
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; fields.size() < 5 && std::getline(in, field, '\t');) {
      fields.push_back(field);
    }
    if (fields.size() < 5 || fields[2] != level) continue;
    if (fields[4].find(filter) == std::string::npos) continue;
    lines += (fields[3].empty() ? "" : fields[3] + " ") + fields[4] + "\n";
  }
  return lines;
}

// The text of the conversion error `convert` throws; "" when it throws none.
template <class Convert>
std::string ConversionError(Convert convert) {
  try {
    convert();
  } catch (const std::string& error) {
    return error;
  }
  return "";
}

// What one ImportFile call left: its result, the conversion error it threw
// ("" when none) and the text of the log it wrote.
struct ImportRun {
  bool imported = false;
  std::string error;
  std::string log;

  std::string Lines(const std::string& level, const std::string& filter = "") const {
    return LogLines(log, level, filter);
  }
};

// Imports `file` into the current database with its log in a temporary folder.
inline ImportRun RunImport(const std::string& file, const std::string& accountId = "7",
                           const std::string& accountName = "Tester") {
  TempDir logs;
  ImportRun run;
  run.error = ConversionError([&] {
    run.imported = VoServices::ImportFile(file, logs.path(), accountId, accountName, nullptr);
  });
  for (const auto& entry : std::filesystem::directory_iterator(logs.path())) {
    run.log = ReadFile(entry.path().string());
  }
  return run;
}

// Opens the process's run log on a temporary file for one test, discarding
// any log left open before.
class LogCapture {
 public:
  LogCapture() : path_(dir_.path() + "run.log") {
    vo::RunLog::Destroy();
    vo::RunLog::Instance(path_, "FileImporter");
  }
  ~LogCapture() { vo::RunLog::Destroy(); }

  std::string Text() const { return ReadFile(path_); }
  std::string Lines(const std::string& level, const std::string& filter = "") const {
    return LogLines(Text(), level, filter);
  }

 private:
  TempDir dir_;
  std::string path_;
};
