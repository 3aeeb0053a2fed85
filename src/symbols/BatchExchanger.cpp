#include "symbols/BatchExchanger.h"

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace vo {

namespace {

constexpr long kHttpPayloadTooLarge = 413;

}  // namespace

BatchExchanger::BatchExchanger(SecurityMasterClient& client, SecurityMasterRequest& request, size_t batchSymbols)
    : client_(client), request_(request), batchSymbols_(std::max<size_t>(batchSymbols, 1)) {
  thread_ = std::thread([this] { Run(); });
}

BatchExchanger::~BatchExchanger() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

bool BatchExchanger::Next(std::string& answer) {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return !answers_.empty() || finished_; });
  if (answers_.empty()) return false;
  answer = std::move(answers_.front());
  answers_.pop_front();
  guard.unlock();
  changed_.notify_all();
  return true;
}

bool BatchExchanger::WaitForRoom() {
  std::unique_lock<std::mutex> guard(lock_);
  changed_.wait(guard, [this] { return stopping_ || answers_.size() < kAnswersAhead; });
  return !stopping_;
}

void BatchExchanger::Run() {
  // Nothing may leave the thread: a failure of its own (memory) ends the
  // exchanges as a failed transfer would.
  try {
    Exchange();
  } catch (const std::exception& error) {
    std::lock_guard<std::mutex> guard(lock_);
    failed_ = true;
    failure_ = error.what();
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    finished_ = true;
  }
  changed_.notify_all();
}

void BatchExchanger::Exchange() {
  std::vector<SecurityMasterRequest::Object> pending;
  size_t size = batchSymbols_;
  while (WaitForRoom()) {
    if (pending.size() < size) request_.TakeObjects(size - pending.size(), pending);
    if (pending.empty()) break;
    const size_t taken = std::min(size, pending.size());
    if (!client_.Exchange(SecurityMasterRequest::Document({pending.data(), taken}))) {
      if (client_.lastStatus() == kHttpPayloadTooLarge && taken > 1) {
        size = taken / 2;
        continue;
      }
      std::lock_guard<std::mutex> guard(lock_);
      failed_ = true;
      failure_ = client_.lastError();
      break;
    }
    std::string answer;
    client_.ReadResponse(answer);
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(taken));
    {
      std::lock_guard<std::mutex> guard(lock_);
      answers_.push_back(std::move(answer));
    }
    changed_.notify_all();
  }
}

}  // namespace vo
