// Lines of text written once and then read back in order: kept in memory up to
// a limit, and past it in an unnamed temporary file that goes when the spool
// does. The request of a symbol update for a million symbols runs to hundreds
// of megabytes, and only one batch of it is needed at a time.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace vo {

class TextSpool {
 public:
  static constexpr size_t kDefaultMemoryLimit = 8u << 20;

  explicit TextSpool(size_t memoryLimit = kDefaultMemoryLimit) : memoryLimit_(memoryLimit) {}

  // Adds a line, which holds no line feed. False once a write to the file has
  // failed: the spool has then lost lines.
  bool Append(std::string_view line);
  // The next line, from the first on; false after the last. Reading starts
  // once the writing is done.
  bool Next(std::string& line);

  size_t lines() const { return lines_; }
  bool ok() const { return ok_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  struct BufferFree {
    void operator()(char* buffer) const;
  };

  size_t memoryLimit_;
  std::string memory_;  // the lines while they fit, each ended by a line feed
  size_t readAt_ = 0;
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::unique_ptr<char, BufferFree> readBuffer_;  // getline's, for the file
  size_t readCapacity_ = 0;
  size_t lines_ = 0;
  bool reading_ = false;
  bool ok_ = true;
};

}  // namespace vo
