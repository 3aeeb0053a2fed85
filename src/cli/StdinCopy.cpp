#include "cli/StdinCopy.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

StdinCopy::~StdinCopy() {
  if (fd_ >= 0) close(fd_);
}

bool StdinCopy::Copy(std::string& error) {
  const char* folder = std::getenv("TMPDIR");
  std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/vo-stdin-XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemp(name.data());
  if (fd < 0) {
    error = "cannot make a temporary file for standard input: " + std::string(std::strerror(errno));
    return false;
  }
  // The copy has no name from the start: it is read through this process's
  // descriptor, and nothing is left behind however the process ends.
  unlink(name.data());
  fd_ = fd;
  path_ = "/proc/self/fd/" + std::to_string(fd);
  std::vector<char> block(1 << 16);
  bool copied = true;
  for (;;) {
    ssize_t got = read(STDIN_FILENO, block.data(), block.size());
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      error = "cannot read standard input: " + std::string(std::strerror(errno));
      copied = false;
      break;
    }
    for (ssize_t done = 0; done < got;) {
      ssize_t put = write(fd, block.data() + done, static_cast<size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) {
        error = "cannot copy standard input: " + std::string(std::strerror(errno));
        copied = false;
        break;
      }
      done += put;
    }
    if (!copied) break;
  }
  return copied;
}
