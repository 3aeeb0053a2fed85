// The plain-text log of one import. At most one is current on a thread:
// ImportFile creates it with the log file's path, every stage of the import
// writes to it, and ImportFile destroys it. Writing never fails visibly:
// without a file the lines are counted and discarded.
// A service call makes its log through a Scope held for its length, so that a
// call made from a callback of a running import (asking whether another file
// can be imported, say) gets a log of its own and leaves the import's log as
// it found it; and a call on another thread never meets this one's log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace vo {

class RunLog {
 public:
  // Sets the thread's current log aside and makes a new current one with
  // these arguments (as Instance would); when the scope ends, the current log
  // is destroyed and the one set aside is current again.
  class Scope {
   public:
    Scope(const std::string& path, const std::string& component);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

    // The log made; gone once Destroy is called within the scope.
    RunLog* log() const { return log_; }

   private:
    std::unique_ptr<RunLog> outer_;
    RunLog* log_;
  };

  // The thread's current log, created with these arguments when none exists
  // (the file is opened only for a non-empty path); an existing log ignores them.
  static RunLog* Instance(const std::string& path, const std::string& component);
  // Closes the file and discards the log; does nothing when none exists.
  static void Destroy();

  // One line each; a negative record number means the line has no record.
  void Info(const std::string& message, int32_t record = -1);
  void Warning(const std::string& message, int32_t record = -1);
  void Error(const std::string& message, int32_t record = -1);
  void Fatal(const std::string& message, int32_t record = -1);
  void Write(const std::string& level, const std::string& message, int32_t record);
  // A bare empty line; the line counter does not change.
  void EndLine();

  uint32_t lineCount() const { return lineCounter_; }
  // The file the lines go to; empty when there is none.
  const std::string& path() const { return path_; }
  // Why no file could be made for a non-empty path; empty otherwise.
  const std::string& openError() const { return openError_; }
  // Why the file lacks lines (the first write that failed: a full disk);
  // empty while every line was written.
  const std::string& writeError() const { return writeError_; }

 private:
  struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  RunLog(const std::string& path, const std::string& component);
  // Makes a new file at the path, or at the path with "-2", "-3", ... before
  // its extension when that name is taken: never an existing file, never
  // through a link planted at the name.
  void Create(const std::string& path);
  // Hands what was written to the file; notes the first failure.
  void Flush();

  std::unique_ptr<std::FILE, CloseFile> file_;
  std::string openError_;
  std::string writeError_;
  std::string path_;
  uint32_t lineCounter_ = 0;
  std::string component_;
};

}  // namespace vo
