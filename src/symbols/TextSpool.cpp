#include "symbols/TextSpool.h"

#include <stdio.h>
#include <stdlib.h>

namespace vo {

void TextSpool::BufferFree::operator()(char* buffer) const { free(buffer); }

bool TextSpool::Append(std::string_view line) {
  if (!ok_) return false;
  if (!file_ && memory_.size() + line.size() + 1 > memoryLimit_) {
    // Past the limit the lines go to a file; without one they stay here.
    file_.reset(std::tmpfile());
    if (file_ && std::fwrite(memory_.data(), 1, memory_.size(), file_.get()) != memory_.size()) ok_ = false;
    if (file_) std::string().swap(memory_);
  }
  if (file_) {
    ok_ = ok_ && std::fwrite(line.data(), 1, line.size(), file_.get()) == line.size() &&
          std::fputc('\n', file_.get()) != EOF;
  } else {
    memory_ += line;
    memory_ += '\n';
  }
  ++lines_;
  return ok_;
}

bool TextSpool::Next(std::string& line) {
  if (!reading_) {
    reading_ = true;
    if (file_ && (std::fflush(file_.get()) != 0 || std::fseek(file_.get(), 0, SEEK_SET) != 0)) ok_ = false;
  }
  if (!ok_) return false;
  if (!file_) {
    const size_t end = memory_.find('\n', readAt_);
    if (end == std::string::npos) return false;
    line.assign(memory_, readAt_, end - readAt_);
    readAt_ = end + 1;
    return true;
  }
  char* buffer = readBuffer_.release();
  const ssize_t length = getline(&buffer, &readCapacity_, file_.get());
  readBuffer_.reset(buffer);
  if (length <= 0) return false;
  line.assign(buffer, static_cast<size_t>(length) - 1);  // without its line feed
  return true;
}

}  // namespace vo
