// The vo host run as a child process by fault tests: its standard output and
// error come through one pipe the test can wait on. A child still running
// when the object goes away is killed and reaped, so no test leaves one.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

class VoProcess {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts `vo` with the arguments, its environment the test's plus `extraEnv`
  // ("NAME=value" entries, which win over inherited ones).
  VoProcess(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> argv{VO_BINARY_DIR "/src/cli/vo"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> env = extraEnv;
    for (char** entry = environ; *entry; ++entry) {
      std::string text = *entry;
      bool replaced = false;
      for (const std::string& extra : extraEnv) {
        replaced = replaced || text.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
      }
      if (!replaced) env.push_back(text);
    }
    std::vector<char*> argvPtrs = Pointers(argv), envPtrs = Pointers(env);

    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(fds[1], STDOUT_FILENO);
      dup2(fds[1], STDERR_FILENO);
      close(fds[0]);
      close(fds[1]);
      execve(argvPtrs[0], argvPtrs.data(), envPtrs.data());
      _exit(127);
    }
    close(fds[1]);
    output_ = fds[0];
    fcntl(output_, F_SETFL, O_NONBLOCK);
  }
  ~VoProcess() {
    Kill();
    if (output_ >= 0) close(output_);
  }
  VoProcess(const VoProcess&) = delete;
  VoProcess& operator=(const VoProcess&) = delete;

  // Waits until the output holds `text`; false when the child ended or the
  // time ran out first.
  bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    auto end = Clock::now() + limit;
    while (output().find(text) == std::string::npos) {
      if (Clock::now() > end || !Drain(50)) return output().find(text) != std::string::npos;
    }
    return true;
  }

  // The exit status once the child ends; -1 when it ran past `limit` (it is
  // then killed) or ended by a signal.
  int Wait(std::chrono::milliseconds limit) {
    auto end = Clock::now() + limit;
    while (pid_ > 0 && Clock::now() < end) {
      Drain(20);
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = 0;
        while (Drain(0)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
    }
    Kill();
    return -1;
  }

  // SIGKILL, then reaps the child.
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = 0;
  }

  const std::string& output() const { return text_; }

 private:
  static std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  // Reads what the child wrote, waiting up to `milliseconds` for it; false
  // once the pipe is closed (the child ended).
  bool Drain(int milliseconds) {
    if (output_ < 0) return false;
    pollfd ready{output_, POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0) return true;
    char buffer[4096];
    ssize_t count = read(output_, buffer, sizeof buffer);
    if (count > 0) text_.append(buffer, static_cast<size_t>(count));
    return count > 0 || (count < 0 && errno == EAGAIN);
  }

  pid_t pid_ = -1;
  int output_ = -1;
  std::string text_;
};
