// Opens the process's run log on a file in a temporary folder for one test
// (discarding any log left open before) and reads back what was written.
#pragma once

#include <string>

#include "services/RunLog.h"
#include "support/TempDir.h"

class LogCapture {
 public:
  LogCapture() : path_(dir_.path() + "run.log") {
    RunLog::Destroy();
    RunLog::Instance(path_, "FileImporter");
  }
  ~LogCapture() { RunLog::Destroy(); }

  std::string Text() const { return ReadFile(path_); }
  // The messages of the lines at `level`, each ending with "\n".
  std::string Messages(const std::string& level) const {
    std::string text = Text(), messages;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      size_t levelAt = line.find('\t' + level + '\t');
      if (levelAt != std::string::npos) {
        size_t recordEnd = line.find('\t', levelAt + level.size() + 2);
        messages += line.substr(recordEnd + 1) + "\n";
      }
      start = end + 1;
    }
    return messages;
  }

 private:
  TempDir dir_;
  std::string path_;
};
