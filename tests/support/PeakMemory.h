// What a piece of work adds to a process's peak resident memory. It runs in
// a child process, so that the test's own earlier peaks cannot hide it.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>

// The process's peak resident memory so far, in KiB.
inline long HighWaterKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
  }
  return 0;
}

struct ChildGrowth {
  bool result = false;  // what the work returned
  int mib = -1;         // how far the peak grew, up to 127 MiB; -1 when the child failed
};

inline ChildGrowth GrowthInChild(const std::function<bool()>& work) {
  pid_t child = fork();
  if (child == 0) {
    const long before = HighWaterKiB();
    const bool result = work();
    _exit((result ? 128 : 0) + static_cast<int>(std::min((HighWaterKiB() - before) / 1024, 127L)));
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status)) return {};
  return {WEXITSTATUS(status) >= 128, WEXITSTATUS(status) % 128};
}
