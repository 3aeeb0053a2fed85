#include "import/FileImporter.h"

#include "services/RunLog.h"

// Placeholder until the import pipeline is built: no format is known yet.
FileImporter::FileImporter(const std::string& accountId) : accountId_(accountId) {
  RunLog::Instance("", "");
}

FileImporter::~FileImporter() { RunLog::Destroy(); }

bool FileImporter::Import(const std::string&) {
  RunLog::Instance("", "")->Fatal("Unable to match a parser for given file.", -1);
  return false;
}

bool FileImporter::CanImport(const std::string&) { return false; }
