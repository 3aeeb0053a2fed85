// One measured child process of a benchmark: run apart so that its peak
// memory, CPU time and exit are its own, with its standard output read as it
// comes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ChildProcess {
  bool ok = false;        // exited with status 0
  double seconds = 0;     // wall time from start to exit
  double cpuSeconds = 0;  // user and system time
  long peakRssKb = 0;

  // Runs `program` with `args` (args[0] being the name it sees), handing its
  // standard output to `output` piece by piece, and fills in the above.
  void Run(const std::string& program, std::vector<std::string> args,
           const std::function<void(std::string_view)>& output);
};
