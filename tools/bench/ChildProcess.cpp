#include "ChildProcess.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

void ChildProcess::Run(const std::string& program, std::vector<std::string> args,
                       const std::function<void(std::string_view)>& output) {
  *this = ChildProcess();
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return;
  }
  if (pid == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  std::vector<char> buffer(1 << 16);
  for (ssize_t n; (n = read(pipeFds[0], buffer.data(), buffer.size())) > 0;) {
    output(std::string_view(buffer.data(), static_cast<size_t>(n)));
  }
  close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return;
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  peakRssKb = usage.ru_maxrss;
  cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
