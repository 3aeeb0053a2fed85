// The vo host run as a child process by fault tests, its standard output and
// error written to a file the test reads. A child still running when the
// object goes away is killed and reaped, so no test leaves one.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

class VoProcess {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts `vo` with the arguments, its output going to `outputFile` and its
  // environment the test's with the `env` entries ("NAME=value") set. With a
  // `fileSizeLimit` of 0 or more, no file vo writes may grow past that many
  // bytes: a write beyond fails as on a full disk (SIGXFSZ is ignored).
  VoProcess(std::vector<std::string> args, std::string outputFile, const std::vector<std::string>& env = {},
            long long fileSizeLimit = -1)
      : outputFile_(std::move(outputFile)) {
    args.insert(args.begin(), VO_BINARY_DIR "/src/cli/vo");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {  // the test process has no other thread, so the child may allocate
      for (const std::string& entry : env) {
        setenv(entry.substr(0, entry.find('=')).c_str(), entry.substr(entry.find('=') + 1).c_str(), 1);
      }
      int output = open(outputFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(output, STDOUT_FILENO);
      dup2(output, STDERR_FILENO);
      if (fileSizeLimit >= 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~VoProcess() { Kill(); }
  VoProcess(const VoProcess&) = delete;
  VoProcess& operator=(const VoProcess&) = delete;

  // Waits until the output holds `text`; false when the child ended or the
  // time ran out first.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    for (auto end = Clock::now() + limit; output().find(text) == std::string::npos; Pause()) {
      if (Clock::now() > end || Ended()) return output().find(text) != std::string::npos;
    }
    return true;
  }

  // The exit status once the child ends; -1 when it ran past `limit` (it is
  // then killed) or ended by a signal.
  int Wait(std::chrono::milliseconds limit) {
    for (auto end = Clock::now() + limit; !Ended(); Pause()) {
      if (Clock::now() > end) Kill();
    }
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }

  // Sends the child a signal (SIGTERM to ask it to stop); Wait then reaps it.
  void Signal(int signal) {
    if (pid_ > 0) kill(pid_, signal);
  }

  // SIGKILL, then reaps the child.
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
    pid_ = 0;
  }

  std::string output() const { return ReadFile(outputFile_); }

 private:
  static void Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

  // Reaps the child once it has ended; true from then on.
  bool Ended() {
    if (pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = 0;
    return pid_ <= 0;
  }

  std::string outputFile_;
  pid_t pid_ = -1;
  int status_ = -1;
};
