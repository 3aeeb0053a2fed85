// The lines of one input file as UTF-8 text. A UTF-8 byte-order mark is not
// part of the first line. A file that starts with a UTF-16 byte-order mark
// (what spreadsheet programs write as "Unicode text") is decoded to UTF-8
// first, so it reads like any other file.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "values/Sha256.h"

class TextInput {
 public:
  // False when the path cannot be opened for reading or is a folder.
  bool Open(const std::string& path);
  // The next line without its line feed; false at the end of the text.
  bool ReadLine(std::string& line);
  void Close();

  // Bytes of the text consumed so far and its whole size (for a UTF-16 file,
  // of the decoded text); what an import's progress is measured in.
  uint64_t bytesRead() const { return bytesRead_; }
  uint64_t totalBytes() const { return totalBytes_; }

  // The SHA-256 (hex) and size of the file's bytes as they are on disk, once
  // ReadLine has returned false; call once per Open.
  std::string ContentSha256() { return content_.HexDigest(); }
  uint64_t contentBytes() const { return contentBytes_; }

 private:
  std::ifstream file_;
  std::istringstream decoded_;  // a UTF-16 file's text as UTF-8
  std::istream* text_ = nullptr;
  uint64_t bytesRead_ = 0;
  uint64_t totalBytes_ = 0;
  // What the file's own bytes hash to: a plain file is hashed line by line as
  // it is read, a UTF-16 one whole when it is decoded.
  Sha256 content_;
  uint64_t contentBytes_ = 0;
  bool hashLines_ = false;

  void Hash(std::string_view bytes);
};
