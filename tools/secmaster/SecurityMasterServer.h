// A small HTTP server that answers every POST with what its responder says
// for the request body. Serves the security master protocol from a catalog
// in vo-secmaster, and stub answers in tests.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "HttpAnswer.h"

namespace httplib {
class Server;
}

class SecurityMasterServer {
 public:
  using Responder = std::function<HttpAnswer(const std::string& body)>;

  // Requests larger than this are refused with 413, as real servers refuse them.
  static constexpr size_t kDefaultMaxRequestBytes = 16u << 20;

  explicit SecurityMasterServer(Responder responder, size_t maxRequestBytes = kDefaultMaxRequestBytes);
  // Stops serving and waits for the serving thread.
  ~SecurityMasterServer();
  SecurityMasterServer(const SecurityMasterServer&) = delete;
  SecurityMasterServer& operator=(const SecurityMasterServer&) = delete;

  // Binds to the address; port 0 picks a free one. The bound port, or -1.
  int Bind(const std::string& host, int port);
  // Serves the bound socket on a background thread until Stop; returns once
  // the server accepts connections. False when nothing is bound.
  bool Start();
  void Stop();

  // The number of requests answered so far.
  size_t requestCount() const { return requests_.load(); }

 private:
  Responder responder_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::atomic<size_t> requests_{0};
  std::atomic<bool> ended_{false};  // the serving thread has returned
  bool bound_ = false;
};
