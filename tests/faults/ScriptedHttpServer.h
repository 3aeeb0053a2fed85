// A loopback HTTP server for fault tests. It gives the client's first request
// (its connection test) one answer and every later request another: a
// well-formed answer, or a fault no ordinary server library would produce
// (silence, a reset, a cut-off or an oversized body). Serves one connection at
// a time on its own thread, closing each after its answer; never waits longer
// than a bounded time on anything, and stops and joins in its destructor.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class ScriptedHttpServer {
 public:
  enum class Fault {
    kNone,       // the status and body
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

  ScriptedHttpServer(Answer atConnect, Answer atRequest) : answers_{std::move(atConnect), std::move(atRequest)} {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(listener_, 8) == 0 &&
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port_ = ntohs(address.sin_port);
      thread_ = std::thread([this] { Serve(); });
    }
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

 private:
  static constexpr size_t kHugeBytes = 100u << 20;

  // True when `fd` is readable within 50 ms; false on a timeout or a stop.
  bool Readable(int fd) {
    pollfd ready{fd, POLLIN, 0};
    return !stop_ && poll(&ready, 1, 50) > 0;
  }

  void Serve() {
    for (size_t requests = 0; !stop_;) {
      if (!Readable(listener_)) continue;
      int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) continue;
      timeval sendLimit{2, 0};  // a client that stops reading cannot hold the server
      setsockopt(connection, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit);
      if (ReadRequest(connection)) Respond(connection, answers_[requests++ == 0 ? 0 : 1]);
      close(connection);
    }
  }

  // Appends what arrives next; false once the client went away or on a stop.
  bool ReadMore(int connection, std::string& text) {
    while (!Readable(connection)) {
      if (stop_) return false;
    }
    char buffer[65536];
    ssize_t count = recv(connection, buffer, sizeof buffer, 0);
    if (count > 0) text.append(buffer, static_cast<size_t>(count));
    return count > 0;
  }

  // Reads one request's headers and the body they announce.
  bool ReadRequest(int connection) {
    std::string text;
    while (text.find("\r\n\r\n") == std::string::npos) {
      if (!ReadMore(connection, text)) return false;
    }
    size_t length = text.find("Content-Length:");
    size_t end = text.find("\r\n\r\n") + 4 + (length == std::string::npos ? 0 : std::stoul(text.substr(length + 15)));
    while (text.size() < end) {
      if (!ReadMore(connection, text)) return false;
    }
    return true;
  }

  bool Send(int connection, const std::string& text) {
    return send(connection, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
  }

  void Respond(int connection, const Answer& answer) {
    const std::string& body = answer.body;
    const std::string head = "HTTP/1.1 " + std::to_string(answer.status) +
                             " Scripted\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: " +
                             std::to_string(answer.fault == Fault::kHuge ? kHugeBytes : body.size()) + "\r\n\r\n";
    switch (answer.fault) {
      case Fault::kNone:
        Send(connection, head + body);
        break;
      case Fault::kSilent:
        for (std::string ignored; ReadMore(connection, ignored);) ignored.clear();
        break;
      case Fault::kSlow:
      case Fault::kTruncated:
        Send(connection, head + body.substr(0, body.size() / 2));
        if (answer.fault == Fault::kTruncated) break;
        for (int waited = 0; !stop_ && waited < 60; ++waited) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Send(connection, body.substr(body.size() / 2));
        break;
      case Fault::kReset: {
        linger reset{1, 0};
        setsockopt(connection, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        break;
      }
      case Fault::kHuge: {
        const std::string chunk(1 << 16, ' ');
        bool open = Send(connection, head);
        for (size_t sent = 0; open && !stop_ && sent < kHugeBytes; sent += chunk.size()) open = Send(connection, chunk);
        break;
      }
    }
  }

  Answer answers_[2];
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
};
