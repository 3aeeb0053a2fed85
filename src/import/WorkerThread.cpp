#include "import/WorkerThread.h"

#include <utility>

namespace vo {

WorkerThread::WorkerThread(bool threaded, size_t depth) : depth_(depth < 1 ? 1 : depth) {
  if (threaded) thread_ = std::thread([this] { Run(); });
}

WorkerThread::~WorkerThread() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    tasks_.clear();
  }
  changed_.notify_all();
  thread_.join();
}

void WorkerThread::Post(std::function<void()> task) {
  if (!thread_.joinable()) {
    task();
    return;
  }
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return tasks_.size() < depth_; });
    // After a failure the rest would only build on a broken result.
    if (error_) return;
    tasks_.push_back(std::move(task));
  }
  changed_.notify_all();
}

void WorkerThread::Wait() {
  if (!thread_.joinable()) return;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return tasks_.empty() && !running_; });
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void WorkerThread::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
    if (stopping_) return;
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    running_ = true;
    lock.unlock();
    // Both the queue's room and the task's end are news to the caller.
    changed_.notify_all();
    std::exception_ptr error;
    try {
      task();
    } catch (...) {
      error = std::current_exception();
    }
    lock.lock();
    running_ = false;
    if (error && !error_) {
      error_ = error;
      tasks_.clear();
    }
    changed_.notify_all();
  }
}

}  // namespace vo
