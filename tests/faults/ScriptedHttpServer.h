// A loopback HTTP server for fault tests that answers each request as its
// script says: a well-formed answer, or a fault no ordinary server library
// would produce (silence, a reset, a cut-off or an oversized body). Serves one
// connection at a time on its own thread; never waits longer than a bounded
// time on anything, and stops and joins in its destructor.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

class ScriptedHttpServer {
 public:
  enum class Fault {
    kNone,       // the status and body, then keeps the connection
    kSilent,     // reads the request and never answers
    kSlow,       // headers and half the body at once, the rest seconds later
    kReset,      // closes the connection with a reset instead of answering
    kTruncated,  // announces the body's length, sends half of it and closes
    kHuge,       // announces and streams a 100 MB body
  };
  struct Answer {
    Fault fault = Fault::kNone;
    int status = 200;
    std::string body = "{}";
  };
  // Called with the 0-based number of the request and its body.
  using Script = std::function<Answer(size_t request, const std::string& body)>;

  explicit ScriptedHttpServer(Script script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedHttpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(listener_);
  }
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  // Empty when the server could not listen.
  std::string url() const { return port_ ? "http://127.0.0.1:" + std::to_string(port_) + "/securities" : ""; }
  size_t requests() const { return requests_; }

 private:
  static constexpr size_t kHugeBytes = 100u << 20;
  static constexpr auto kSlowDelay = std::chrono::seconds(3);

  // True when `fd` is readable within 50 ms; false on a timeout or a stop.
  bool Readable(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return !stop_ && poll(&ready, 1, 50) > 0;
  }

  void Serve() {
    while (!stop_) {
      if (!Readable(listener_)) continue;
      int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      timeval sendLimit{2, 0};  // a client that stops reading cannot hold the server
      setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
      std::string pending;
      std::string body;
      while (ReadRequest(connection, pending, body) && Respond(connection, script_(requests_++, body))) {
      }
      close(connection);
    }
  }

  // Reads one request's headers and body; false when the client went away.
  bool ReadRequest(int connection, std::string& pending, std::string& body) {
    size_t headersEnd;
    while ((headersEnd = pending.find("\r\n\r\n")) == std::string::npos) {
      if (!ReadMore(connection, pending)) return false;
    }
    size_t length = 0;
    size_t at = pending.find("Content-Length:");
    if (at != std::string::npos && at < headersEnd) length = std::stoul(pending.substr(at + 15));
    while (pending.size() < headersEnd + 4 + length) {
      if (!ReadMore(connection, pending)) return false;
    }
    body = pending.substr(headersEnd + 4, length);
    pending.erase(0, headersEnd + 4 + length);
    return true;
  }

  bool ReadMore(int connection, std::string& pending) {
    while (!Readable(connection)) {
      if (stop_) return false;
    }
    char buffer[65536];
    ssize_t count = recv(connection, buffer, sizeof buffer, 0);
    if (count <= 0) return false;
    pending.append(buffer, static_cast<size_t>(count));
    return true;
  }

  bool Send(int connection, const std::string& text) {
    return send(connection, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
  }

  static std::string Headers(int status, size_t length) {
    return "HTTP/1.1 " + std::to_string(status) + " Scripted\r\nContent-Type: application/json\r\n" +
           "Content-Length: " + std::to_string(length) + "\r\n\r\n";
  }

  // Sends the answer; false when the connection is to be closed.
  bool Respond(int connection, const Answer& answer) {
    const std::string& body = answer.body;
    switch (answer.fault) {
      case Fault::kNone:
        return Send(connection, Headers(answer.status, body.size()) + body);
      case Fault::kSilent: {
        std::string ignored;
        while (ReadMore(connection, ignored)) {
        }
        return false;
      }
      case Fault::kSlow: {
        Send(connection, Headers(answer.status, body.size()) + body.substr(0, body.size() / 2));
        auto until = std::chrono::steady_clock::now() + kSlowDelay;
        while (!stop_ && std::chrono::steady_clock::now() < until) Readable(connection);
        Send(connection, body.substr(body.size() / 2));
        return false;
      }
      case Fault::kReset: {
        linger reset{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        return false;
      }
      case Fault::kTruncated:
        Send(connection, Headers(answer.status, body.size()) + body.substr(0, body.size() / 2));
        return false;
      case Fault::kHuge: {
        std::string chunk(1 << 16, ' ');
        bool open = Send(connection, Headers(answer.status, kHugeBytes));
        for (size_t sent = 0; open && !stop_ && sent < kHugeBytes; sent += chunk.size()) {
          open = Send(connection, chunk);
        }
        return false;
      }
    }
    return false;
  }

  Script script_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<size_t> requests_{0};
};
