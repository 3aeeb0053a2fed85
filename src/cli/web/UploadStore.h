// The files uploaded to vo web, each streamed to a file of its own in a
// private temporary folder (mode 0700) that goes, with everything in it, when
// the store goes. Only the latest few are kept: an older one is removed when
// a new one arrives. Safe from any request thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

class UploadStore {
 public:
  struct Upload {
    uint64_t id = 0;
    std::string name;  // as the browser gave it, without any folder
    std::string path;  // the copy read by the import
    uint64_t size = 0;
  };
  // Hands each piece of the body to `receive` until it returns false.
  using BodyReader = std::function<bool(const std::function<bool(const char*, size_t)>& receive)>;

  explicit UploadStore(uint64_t maxBytes);
  ~UploadStore();
  UploadStore(const UploadStore&) = delete;
  UploadStore& operator=(const UploadStore&) = delete;

  // False when the temporary folder could not be made (why in `error`).
  bool Ready(std::string& error) const;
  // Streams one upload to its file. Nothing is kept, and `error` says why,
  // when the body is larger than the cap (`tooLarge` then set) or cannot be
  // written.
  std::optional<Upload> Receive(const std::string& name, const BodyReader& read, std::string& error,
                                bool& tooLarge);
  std::optional<Upload> Find(uint64_t id) const;
  // A folder inside the store for the dry runs' logs.
  std::string LogFolder() const { return (folder_ / "logs").string() + "/"; }
  uint64_t maxBytes() const { return maxBytes_; }

 private:
  static constexpr size_t kKept = 8;

  uint64_t maxBytes_;
  std::filesystem::path folder_;
  std::string folderError_;
  mutable std::mutex mutex_;
  uint64_t nextId_ = 1;
  std::map<uint64_t, Upload> uploads_;
};
