// Imports one file with ImportFile into the fresh database of the test and
// renders what came of it: the log's lines and the stored rows as text, one a
// line, so a test compares the whole picture at once.
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ledgerdb/DBQueryResult.h"
#include "ledgerdb/Database.h"
#include "support/TempDatabase.h"
#include "voservices/VoServices.h"

class ImportRun {
 public:
  explicit ImportRun(const std::string& file, const std::string& accountId = "7") {
    imported_ = VoServices::ImportFile(file, logDir_.path(), accountId, "Tester", nullptr);
    for (const auto& entry : std::filesystem::directory_iterator(logDir_.path())) {
      log_ = ReadFile(entry.path().string());
    }
  }

  bool connected() const { return database_.connected(); }
  bool imported() const { return imported_; }

  // "Record 0005 message" (or just the message) of every line at `level`
  // whose message contains `filter`.
  std::string LogLines(const std::string& level, const std::string& filter = "") const {
    std::string lines;
    std::istringstream log(log_);
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

  // The cells of every row of the select, joined by "|", enumerations as
  // numbers; "select failed" when it does.
  static std::string Rows(const std::string& select) {
    Database* db = Database::Instance();
    unsigned long query = 0;
    if (!db->Query(query, select, false, false, false)) return "select failed\n";
    DBQueryResult result;
    db->GetQueryResult(query, result);
    db->DeleteQuery(query);
    std::string text;
    for (const DBQueryResult::Row& row : result) {
      for (size_t i = 0; i < row.size(); ++i) text += (i ? "|" : "") + row[i];
      text += "\n";
    }
    return text;
  }

 private:
  TempDatabase database_;
  TempDir logDir_;
  std::string log_;
  bool imported_ = false;
};
