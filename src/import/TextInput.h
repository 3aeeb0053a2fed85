// The lines of one input file as UTF-8 text, read in chunks so that memory
// stays bounded whatever the file holds. A UTF-8 byte-order mark is not part
// of the first line. A file that starts with a UTF-16 byte-order mark (what
// spreadsheet programs write as "Unicode text") is decoded to UTF-8 as it is
// read, so it reads like any other file. A line longer than the line limit is
// cut there; the rest of it is read past, never held. The file's bytes may
// be hashed on a thread of their own while the lines are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "import/WorkerThread.h"
#include "values/Sha256.h"

namespace vo {

class TextInput {
 public:
  static constexpr size_t kChunkBytes = 1 << 20;
  static constexpr size_t kNoLimit = static_cast<size_t>(-1);

  // chunkBytes: how much of the file is read at a time (tests make it small).
  explicit TextInput(size_t chunkBytes = kChunkBytes) : chunkBytes_(chunkBytes) {}

  // Whether files opened from now on are hashed on a second thread (the
  // default) or on the reading one; the hash is the same.
  void SetHashOnOwnThread(bool own) { hashOnOwnThread_ = own; }

  // False when the path cannot be opened for reading or is a folder.
  bool Open(const std::string& path);
  // The next line without its line feed, at most the line limit long; false
  // at the end of the text.
  bool ReadLine(std::string& line);
  void Close();

  // Lines read from now on are cut to this many bytes; kNoLimit by default.
  void SetLineLimit(size_t bytes) { lineLimit_ = bytes; }
  // Whether the line ReadLine returned last was longer than the limit.
  bool lastLineCut() const { return lastLineCut_; }

  // How far into the file the lines read so far reach, and the file's size;
  // what an import's progress is measured in.
  uint64_t bytesRead() const { return bytesRead_; }
  uint64_t totalBytes() const { return totalBytes_; }

  // The SHA-256 (hex) and size of the file's bytes as they are on disk, once
  // ReadLine has returned false; call once per Open.
  std::string ContentSha256();
  uint64_t contentBytes() const { return contentBytes_; }

 private:
  // Reads the next chunk of the file onto the end of the unread text; false
  // at the end of the file.
  bool Fill();

  size_t chunkBytes_;
  size_t lineLimit_ = kNoLimit;
  bool lastLineCut_ = false;
  std::ifstream file_;
  bool utf16_ = false;
  bool littleEndian_ = false;
  std::string chunk_;    // the bytes of the last read, reused
  std::string pending_;  // UTF-16 bytes held back: an odd byte or a high surrogate
  std::string text_;     // UTF-8 text read from the file, unread from start_ on
  size_t start_ = 0;
  uint64_t bytesRead_ = 0;
  uint64_t totalBytes_ = 0;
  bool hashOnOwnThread_ = true;
  // Touched by the hasher's tasks only while it has any.
  Sha256 content_;
  uint64_t contentBytes_ = 0;
  // Updates content_ with each chunk read; made by Open, dropped by Close.
  std::unique_ptr<WorkerThread> hasher_;
};

}  // namespace vo
