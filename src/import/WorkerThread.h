// Runs tasks, in the order they are posted, on one thread of its own beside
// the caller's, so that work the caller need not wait for (hashing the file,
// unpacking the next rows to write) takes the machine's other core. At most
// `depth` tasks wait at a time: Post blocks while the queue is full, so what
// the waiting tasks hold stays bounded.
// Without a thread (threaded false) Post runs each task at once on the
// caller's thread: the same work in the same order, for single-threaded runs.
// The first exception a task throws is kept, the tasks after it are dropped,
// and Wait rethrows it on the caller's thread. The thread is always joined
// when the worker goes: tasks not yet started are dropped, a running one is
// waited for.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace vo {

class WorkerThread {
 public:
  explicit WorkerThread(bool threaded, size_t depth = 4);
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  void Post(std::function<void()> task);
  // Returns once every task posted has run; rethrows the first exception.
  void Wait();

 private:
  void Run();

  const size_t depth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> tasks_;
  bool running_ = false;  // a task is being run
  bool stopping_ = false;
  std::exception_ptr error_;
  std::thread thread_;  // last, so that it starts once the rest is ready
};

}  // namespace vo
