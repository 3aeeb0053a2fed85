#include "import/TextInput.h"

#include <cstdint>
#include <filesystem>
#include <iterator>

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";
constexpr uint32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& text, uint32_t code) {
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | (code >> 6));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += static_cast<char>(0xE0 | (code >> 12));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (code >> 18));
    text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// UTF-16 bytes (after the mark) as UTF-8; a lone surrogate becomes U+FFFD and
// an odd last byte is dropped.
std::string Utf16ToUtf8(const std::string& bytes, bool littleEndian) {
  auto unit = [&](size_t at) -> uint32_t {
    auto first = static_cast<unsigned char>(bytes[at]);
    auto second = static_cast<unsigned char>(bytes[at + 1]);
    return littleEndian ? first | second << 8 : first << 8 | second;
  };
  std::string text;
  text.reserve(bytes.size() / 2);
  for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
    uint32_t code = unit(at);
    if (code >= 0xD800 && code < 0xDC00) {
      uint32_t low = at + 3 < bytes.size() ? unit(at + 2) : 0;
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 2;
      } else {
        code = kReplacement;
      }
    } else if (code >= 0xDC00 && code < 0xE000) {
      code = kReplacement;
    }
    AppendUtf8(text, code);
  }
  return text;
}

}  // namespace

bool TextInput::Open(const std::string& path) {
  Close();
  // A folder opens like a file here but reads nothing.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return false;
  file_.open(path, std::ios::binary);
  if (!file_.is_open()) return false;
  text_ = &file_;
  totalBytes_ = std::filesystem::file_size(path, ignored);
  if (ignored) totalBytes_ = 0;

  char start[3] = {};
  file_.read(start, 3);
  std::string mark(start, static_cast<size_t>(file_.gcount()));
  file_.clear();
  if (mark == kUtf8Mark) {
    Hash(mark);
    hashLines_ = true;
    return true;
  }
  bool littleEndian = mark.starts_with("\xFF\xFE");
  if (littleEndian || mark.starts_with("\xFE\xFF")) {
    file_.seekg(2);
    std::string bytes{std::istreambuf_iterator<char>(file_), std::istreambuf_iterator<char>()};
    Hash(mark.substr(0, 2));
    Hash(bytes);
    std::string text = Utf16ToUtf8(bytes, littleEndian);
    totalBytes_ = text.size();
    decoded_.str(std::move(text));
    decoded_.clear();
    text_ = &decoded_;
    return true;
  }
  file_.seekg(0);
  hashLines_ = true;
  return true;
}

bool TextInput::ReadLine(std::string& line) {
  if (!text_ || !std::getline(*text_, line)) return false;
  bytesRead_ += line.size() + 1;
  if (hashLines_) {
    Hash(line);
    // The last line of a file may have no line feed after it.
    if (!text_->eof()) Hash("\n");
  }
  return true;
}

void TextInput::Hash(std::string_view bytes) {
  content_.Update(bytes);
  contentBytes_ += bytes.size();
}

void TextInput::Close() {
  file_.close();
  file_.clear();
  decoded_.str({});
  decoded_.clear();
  text_ = nullptr;
  bytesRead_ = 0;
  totalBytes_ = 0;
  content_ = Sha256();
  contentBytes_ = 0;
  hashLines_ = false;
}
