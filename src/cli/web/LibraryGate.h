// The one way vo web's request threads reach the library, which takes one
// call at a time per process. A call holds the gate for its whole run; a
// request that waits longer than a few seconds (behind a long import, say) is
// answered "busy" instead of hanging, and the page tries again. The gate also
// keeps the process's one connection fit for what the call does: opened to
// read for reads, reopened to write before a service that writes.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class LibraryGate {
 public:
  // A hold on the gate: the library is this thread's until it goes.
  class Hold {
   public:
    explicit Hold(LibraryGate& gate, std::unique_lock<std::timed_mutex> lock)
        : gate_(gate), lock_(std::move(lock)) {}
    // Opens the database to read, as vo show does (a connection open to write
    // serves too). False with the reason when it cannot be read.
    bool OpenToRead(std::string& error);
    // Closes the connection, so that the next service opens the database to
    // write, as it does in vo (a connection opened to read cannot write).
    void PrepareToWrite();
    // A dry run: the database to read, or an empty one in memory when there
    // is no database file yet.
    bool OpenForDryRun(std::string& error);
    // The message boxes the library showed during this hold.
    std::vector<std::string> TakeMessages();

   private:
    LibraryGate& gate_;
    std::unique_lock<std::timed_mutex> lock_;
  };

  // Installs the library's message and debug handlers: messages are kept for
  // the call that shows them and written to stderr as vo writes them.
  LibraryGate();
  ~LibraryGate();
  LibraryGate(const LibraryGate&) = delete;
  LibraryGate& operator=(const LibraryGate&) = delete;

  // The gate within `wait`; nothing when another call held it all along.
  std::optional<Hold> Enter(std::chrono::milliseconds wait = kDefaultWait);

  // What a busy request is told.
  static constexpr const char* kBusy = "busy: another import or update is running; try again when it ends";
  static constexpr std::chrono::milliseconds kDefaultWait{3000};

 private:
  std::timed_mutex mutex_;
  bool inMemory_ = false;  // a dry run's stand-in is open, not the database
  std::vector<std::string> messages_;  // guarded by mutex_
};
