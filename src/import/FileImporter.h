// Runs one import of one file for one account: finds the format whose header
// the file carries, parses the rest of the file, decodes it and writes the new
// symbols and every transaction. Reports only through the run log. Lives for
// one call of ImportFile or CanImportFile.
#pragma once

#include <string>

class FileImporter {
 public:
  explicit FileImporter(const std::string& accountId);
  ~FileImporter();

  bool Import(const std::string& filePath);
  bool CanImport(const std::string& filePath);

 private:
  std::string accountId_;
};
