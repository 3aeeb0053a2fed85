#include "cli/web/UploadStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// "C:\fakepath\x.csv" or "../x.csv" as a browser or a client might send it: x.csv.
std::string BaseName(const std::string& name) {
  const size_t slash = name.find_last_of("/\\");
  std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
  return base.empty() || base == "." || base == ".." ? "upload" : base;
}

}  // namespace

UploadStore::UploadStore(uint64_t maxBytes) : maxBytes_(maxBytes) {
  std::string pattern = (std::filesystem::temp_directory_path() / "vo-web-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    folderError_ = "cannot make a folder for uploads in " + std::filesystem::temp_directory_path().string() +
                   ": " + std::strerror(errno);
    return;
  }
  folder_ = pattern;
  std::error_code ignored;
  std::filesystem::create_directory(folder_ / "logs", ignored);
}

UploadStore::~UploadStore() {
  if (folder_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

bool UploadStore::Ready(std::string& error) const {
  error = folderError_;
  return folderError_.empty();
}

std::optional<UploadStore::Upload> UploadStore::Receive(const std::string& name, const BodyReader& read,
                                                        std::string& error, bool& tooLarge) {
  Upload upload;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    upload.id = nextId_++;
  }
  upload.name = BaseName(name);
  // A folder of its own keeps the file's name, which the run log then shows.
  const std::filesystem::path folder = folder_ / std::to_string(upload.id);
  std::error_code made;
  std::filesystem::create_directory(folder, made);
  upload.path = (folder / upload.name).string();
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(upload.path.c_str(), "wb"));
  if (!file) {
    error = "cannot keep the upload: " + upload.path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  tooLarge = false;
  bool written = true;
  const bool complete = read([&](const char* data, size_t length) {
    if (upload.size + length > maxBytes_) {
      tooLarge = true;
      return false;
    }
    written = std::fwrite(data, 1, length, file.get()) == length;
    upload.size += length;
    return written;
  });
  written = std::fflush(file.get()) == 0 && written;
  if (tooLarge || !written || !complete) {
    file.reset();
    std::filesystem::remove_all(folder, made);
    error = tooLarge  ? "the file is larger than the upload limit of " + std::to_string(maxBytes_) + " bytes"
            : written ? "the upload ended before the whole file arrived"
                      : "cannot keep the upload: " + std::string(std::strerror(errno));
    return std::nullopt;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  uploads_[upload.id] = upload;
  while (uploads_.size() > kKept) {
    std::filesystem::remove_all(std::filesystem::path(uploads_.begin()->second.path).parent_path(), made);
    uploads_.erase(uploads_.begin());
  }
  return upload;
}

std::optional<UploadStore::Upload> UploadStore::Find(uint64_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = uploads_.find(id);
  if (it == uploads_.end()) return std::nullopt;
  return it->second;
}
