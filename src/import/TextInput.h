// The lines of one input file as UTF-8 text. A UTF-8 byte-order mark is not
// part of the first line. A file that starts with a UTF-16 byte-order mark
// (what spreadsheet programs write as "Unicode text") is decoded to UTF-8
// first, so it reads like any other file.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

class TextInput {
 public:
  // False when the path cannot be opened for reading or is a folder.
  bool Open(const std::string& path);
  // The next line without its line feed; false at the end of the text.
  bool ReadLine(std::string& line);
  void Close();

 private:
  std::ifstream file_;
  std::istringstream decoded_;  // a UTF-16 file's text as UTF-8
  std::istream* text_ = nullptr;
};
