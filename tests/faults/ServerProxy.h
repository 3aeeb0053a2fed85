// A go-between for vo's connection to a MariaDB server (a unix socket of its
// own, passing bytes to and from the server's) that breaks the connection the
// way a network or a stalled server does, at one query of the write
// transaction: the first query or prepared statement, after START
// TRANSACTION, whose text starts with the trigger. Only the first connection
// is watched; later ones (vo finding out what its commit did) pass, unless a
// stall holds everything.
#pragma once

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

class ServerProxy {
 public:
  enum class Fault {
    kStall,       // holds the query unanswered, and takes no new connection, until Release
    kDrop,        // closes both ends instead of passing the query on
    kDropAnswer,  // passes the query on, lets the server answer, and closes both ends instead
  };

  // `onBroken`, when given, runs on the proxy's thread as the fault strikes
  // (for kDropAnswer once the server has answered), before anything is closed.
  ServerProxy(std::string serverSocket, std::string ownSocket, std::string trigger, Fault fault,
              std::function<void()> onBroken = nullptr)
      : server_(std::move(serverSocket)), own_(std::move(ownSocket)), trigger_(std::move(trigger)),
        fault_(fault), onBroken_(std::move(onBroken)) {
    listener_ = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = Address(own_);
    unlink(own_.c_str());
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 8) != 0) {
      error_ = std::strerror(errno);
    }
    thread_ = std::thread([this] { Run(); });
  }
  ~ServerProxy() {
    stop_ = true;
    thread_.join();
    close(listener_);
    unlink(own_.c_str());
  }
  ServerProxy(const ServerProxy&) = delete;
  ServerProxy& operator=(const ServerProxy&) = delete;

  const std::string& error() const { return error_; }
  bool broken() const { return broken_; }
  // Ends a stall: every connection is closed, so the server sees its client go.
  void Release() { release_ = true; }

 private:
  struct Pair {
    int client;
    int server;
    bool watched;
    bool inTransaction = false;
    std::string pending;  // the start of a packet from the client
  };

  static sockaddr_un Address(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    return address;
  }

  bool Stalled() const { return broken_ && fault_ == Fault::kStall && !released_; }

  void Run() {
    while (!stop_) {
      if (release_ && !released_) {
        CloseAll();
        released_ = true;
      }
      std::vector<pollfd> polled{{listener_, static_cast<short>(Stalled() ? 0 : POLLIN), 0}};
      for (const Pair& pair : pairs_) {
        const short events = Stalled() ? 0 : POLLIN;
        polled.push_back({pair.client, events, 0});
        polled.push_back({pair.server, events, 0});
      }
      if (poll(polled.data(), polled.size(), 50) <= 0) continue;
      // A pair accepted now was not polled: it waits for the next round.
      const size_t polledPairs = pairs_.size();
      if (polled[0].revents & POLLIN) Accept();
      for (size_t i = 0; i < polledPairs; ++i) {
        Pair& pair = pairs_[i];
        if (pair.client >= 0 && polled[2 + 2 * i].revents & (POLLIN | POLLHUP)) {
          if (!Pass(pair.server, pair.client)) Close(pair);
        }
        if (pair.client >= 0 && polled[1 + 2 * i].revents & (POLLIN | POLLHUP)) FromClient(pair);
      }
    }
    CloseAll();
  }

  void Accept() {
    int client = accept(listener_, nullptr, nullptr);
    int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = Address(server_);
    if (client < 0 || connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      if (client >= 0) close(client);
      close(server);
      return;
    }
    pairs_.push_back({client, server, pairs_.empty(), false, ""});
  }

  // The watched connection's bytes go on a packet at a time, so that the
  // fault strikes at the query it is meant for.
  void FromClient(Pair& pair) {
    char buffer[65536];
    ssize_t got = read(pair.client, buffer, sizeof buffer);
    if (got <= 0) return Close(pair);
    if (!pair.watched || broken_) {
      if (!WriteAll(pair.server, buffer, static_cast<size_t>(got))) Close(pair);
      return;
    }
    pair.pending.append(buffer, static_cast<size_t>(got));
    while (pair.pending.size() >= 4) {
      const size_t length = static_cast<unsigned char>(pair.pending[0]) |
                            static_cast<unsigned char>(pair.pending[1]) << 8 |
                            static_cast<unsigned char>(pair.pending[2]) << 16;
      if (pair.pending.size() < 4 + length) return;
      const std::string packet = pair.pending.substr(0, 4 + length);
      pair.pending.erase(0, 4 + length);
      // COM_QUERY (3) and COM_STMT_PREPARE (22) carry the statement's text.
      const bool hasText = length > 0 && (packet[4] == 3 || packet[4] == 22);
      const std::string text = hasText ? packet.substr(5) : "";
      const bool strikes = pair.inTransaction && text.starts_with(trigger_);
      pair.inTransaction = pair.inTransaction || text == "START TRANSACTION";
      if (strikes && fault_ != Fault::kDropAnswer) return Strike(pair);
      if (!WriteAll(pair.server, packet.data(), packet.size())) return Close(pair);
      if (strikes) {
        char answer[4096];
        if (read(pair.server, answer, sizeof answer) > 0) Strike(pair);
        return Close(pair);
      }
    }
  }

  void Strike(Pair& pair) {
    broken_ = true;
    if (onBroken_) onBroken_();
    if (fault_ != Fault::kStall) Close(pair);
  }

  static bool Pass(int from, int to) {
    char buffer[65536];
    ssize_t got = read(from, buffer, sizeof buffer);
    return got > 0 && WriteAll(to, buffer, static_cast<size_t>(got));
  }

  static bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
      ssize_t put = write(fd, data, size);
      if (put <= 0) return false;
      data += put;
      size -= static_cast<size_t>(put);
    }
    return true;
  }

  static void Close(Pair& pair) {
    if (pair.client >= 0) close(pair.client);
    if (pair.server >= 0) close(pair.server);
    pair.client = pair.server = -1;
  }

  void CloseAll() {
    for (Pair& pair : pairs_) Close(pair);
  }

  std::string server_;
  std::string own_;
  std::string trigger_;
  Fault fault_;
  std::function<void()> onBroken_;
  int listener_ = -1;
  std::string error_;
  std::vector<Pair> pairs_;  // the proxy thread's own
  std::atomic<bool> stop_{false};
  std::atomic<bool> broken_{false};
  std::atomic<bool> release_{false};
  bool released_ = false;  // the proxy thread's own
  std::thread thread_;
};
