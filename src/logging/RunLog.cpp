#include "logging/RunLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

namespace vo {

namespace {

std::unique_ptr<RunLog>& CurrentLog() {
  thread_local std::unique_ptr<RunLog> log;
  return log;
}

// Local time as "%Y%m%d %X"; empty when the local time cannot be had.
std::string TimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return "";
  char text[128];
  size_t length = std::strftime(text, sizeof text, "%Y%m%d %X", &local);
  return std::string(text, length);
}

std::string ZeroPadded(uint64_t number) {
  char text[32];
  std::snprintf(text, sizeof text, "%04llu", static_cast<unsigned long long>(number));
  return text;
}

}  // namespace

RunLog* RunLog::Instance(const std::string& path, const std::string& component) {
  std::unique_ptr<RunLog>& log = CurrentLog();
  if (!log) log.reset(new RunLog(path, component));
  return log.get();
}

void RunLog::Destroy() { CurrentLog().reset(); }

RunLog::Scope::Scope(const std::string& path, const std::string& component)
    : outer_(std::move(CurrentLog())), log_(Instance(path, component)) {}

RunLog::Scope::~Scope() { CurrentLog() = std::move(outer_); }

RunLog::RunLog(const std::string& path, const std::string& component) : component_(component) {
  if (!path.empty()) Create(path);
}

void RunLog::Create(const std::string& path) {
  constexpr int kMaxTries = 1000;
  size_t dot = path.rfind('.');
  size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
  for (int n = 1; n <= kMaxTries; ++n) {
    std::string candidate =
        n == 1 ? path : path.substr(0, dot) + "-" + std::to_string(n) + path.substr(dot);
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      openError_ = candidate + ": " + std::strerror(errno);
      if (errno == EEXIST) continue;
      return;
    }
    file_.reset(fdopen(fd, "w"));
    if (!file_) {
      openError_ = candidate + ": " + std::strerror(errno);
      close(fd);
      return;
    }
    path_ = candidate;
    openError_.clear();
    return;
  }
}

void RunLog::Info(const std::string& message, int32_t record) { Write("Info", message, record); }
void RunLog::Warning(const std::string& message, int32_t record) { Write("Warning", message, record); }
void RunLog::Error(const std::string& message, int32_t record) { Write("Error", message, record); }
void RunLog::Fatal(const std::string& message, int32_t record) { Write("Fatal", message, record); }

void RunLog::Write(const std::string& level, const std::string& message, int32_t record) {
  std::string line = component_ + ZeroPadded(lineCounter_);
  line += '\t';
  line += TimeStamp();
  line += '\t';
  line += level;
  line += '\t';
  if (record >= 0) line += "Record " + ZeroPadded(static_cast<uint64_t>(record) + 1);
  line += '\t';
  line += message;
  ++lineCounter_;
  if (!file_) return;
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), file_.get());
  Flush();
}

void RunLog::EndLine() {
  if (!file_) return;
  std::fputc('\n', file_.get());
  Flush();
}

void RunLog::Flush() {
  if (std::fflush(file_.get()) == 0 && !std::ferror(file_.get())) return;
  if (writeError_.empty()) writeError_ = "the run log " + path_ + " lacks lines: " + std::strerror(errno);
  std::clearerr(file_.get());
}

}  // namespace vo
