// Standard input copied to a temporary file, so that an import can read it as
// it reads any file (the format is found on its first lines, and its size is
// known for the progress). The file is unnamed: it is read through this
// process's descriptor and is gone when the copy goes or the process ends.
#pragma once

#include <string>

class StdinCopy {
 public:
  StdinCopy() = default;
  ~StdinCopy();
  StdinCopy(const StdinCopy&) = delete;
  StdinCopy& operator=(const StdinCopy&) = delete;

  // Copies all of standard input; false (with `error` set) when the
  // temporary file cannot be made or written.
  bool Copy(std::string& error);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};
