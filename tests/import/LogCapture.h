// Reading run logs in tests: the messages of one level, and a capture that
// opens the process's run log on a temporary file for one test (discarding
// any log left open before).
#pragma once

#include <string>

#include "services/RunLog.h"
#include "support/TempDir.h"

// The messages of the lines of `level` in a log's text, each ending with "\n".
inline std::string LogMessages(const std::string& text, const std::string& level) {
  std::string messages;
  size_t at = 0;
  while ((at = text.find("\t" + level + "\t", at)) != std::string::npos) {
    size_t message = text.find('\t', at + level.size() + 2) + 1;
    at = text.find('\n', message);
    messages += text.substr(message, at - message) + "\n";
  }
  return messages;
}

class LogCapture {
 public:
  LogCapture() : path_(dir_.path() + "run.log") {
    RunLog::Destroy();
    RunLog::Instance(path_, "FileImporter");
  }
  ~LogCapture() { RunLog::Destroy(); }

  std::string Text() const { return ReadFile(path_); }
  std::string Messages(const std::string& level) const { return LogMessages(Text(), level); }

 private:
  TempDir dir_;
  std::string path_;
};
