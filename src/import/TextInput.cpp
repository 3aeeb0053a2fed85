#include "import/TextInput.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace vo {

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

uint32_t Utf16Unit(std::string_view bytes, size_t at, bool littleEndian) {
  auto first = static_cast<unsigned char>(bytes[at]);
  auto second = static_cast<unsigned char>(bytes[at + 1]);
  return littleEndian ? first | second << 8 : first << 8 | second;
}

// UTF-16 bytes as UTF-8 onto the end of `text`; a lone surrogate becomes
// U+FFFD and an odd last byte is dropped.
void AppendUtf16(std::string_view bytes, bool littleEndian, std::string& text) {
  auto unit = [&](size_t at) { return Utf16Unit(bytes, at, littleEndian); };
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
}

// How many bytes at the end of a UTF-16 chunk must wait for the next one: an
// odd byte, and a high surrogate whose low half has not arrived yet.
size_t Utf16Tail(std::string_view bytes, bool littleEndian) {
  size_t odd = bytes.size() % 2;
  size_t whole = bytes.size() - odd;
  if (whole < 2) return odd;
  uint32_t last = Utf16Unit(bytes, whole - 2, littleEndian);
  return odd + (last >= 0xD800 && last < 0xDC00 ? 2 : 0);
}

}  // namespace

bool TextInput::Open(const std::string& path) {
  Close();
  // A folder opens like a file here but reads nothing.
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return false;
  file_.open(path, std::ios::binary);
  if (!file_.is_open()) return false;
  totalBytes_ = std::filesystem::file_size(path, ignored);
  if (ignored) totalBytes_ = 0;

  char start[3] = {};
  file_.read(start, 3);
  std::string mark(start, static_cast<size_t>(file_.gcount()));
  file_.clear();
  littleEndian_ = mark.starts_with("\xFF\xFE");
  utf16_ = littleEndian_ || mark.starts_with("\xFE\xFF");
  size_t markBytes = mark == kUtf8Mark ? 3 : utf16_ ? 2 : 0;
  content_.Update(std::string_view(mark).substr(0, markBytes));
  contentBytes_ = bytesRead_ = markBytes;
  // A few chunks ahead at most, so the copies waiting stay a few megabytes.
  hasher_ = std::make_unique<WorkerThread>(hashOnOwnThread_, 4);
  file_.seekg(static_cast<std::streamoff>(markBytes));
  return true;
}

bool TextInput::ReadLine(std::string& line) {
  line.clear();
  lastLineCut_ = false;
  bool extracted = false;
  for (;;) {
    const char* begin = text_.data() + start_;
    const size_t available = text_.size() - start_;
    const auto* end = static_cast<const char*>(std::memchr(begin, '\n', available));
    const size_t length = end ? static_cast<size_t>(end - begin) : available;
    const size_t room = lineLimit_ - std::min(line.size(), lineLimit_);
    if (length > room) lastLineCut_ = true;
    line.append(begin, std::min(length, room));
    extracted = extracted || length > 0 || end != nullptr;
    start_ += length;
    if (!utf16_) bytesRead_ += length;
    if (end) {
      ++start_;
      if (!utf16_) ++bytesRead_;
      return true;
    }
    if (!Fill()) return extracted;
  }
}

bool TextInput::Fill() {
  text_.erase(0, start_);
  start_ = 0;
  if (!file_.is_open()) return false;
  chunk_.resize(chunkBytes_);
  file_.read(chunk_.data(), static_cast<std::streamsize>(chunk_.size()));
  chunk_.resize(static_cast<size_t>(file_.gcount()));
  const bool atEnd = chunk_.empty();
  hasher_->Post([this, bytes = chunk_] { content_.Update(bytes); });
  contentBytes_ += chunk_.size();
  if (!utf16_) {
    text_ += chunk_;
    return !atEnd;
  }
  // A UTF-16 file's progress is counted in file bytes, chunk by chunk.
  bytesRead_ += chunk_.size();
  // The held-back bytes and the new chunk are joined in pending_ itself, so
  // a long file reuses one buffer instead of allocating one per chunk.
  pending_ += chunk_;
  const size_t tail = atEnd ? 0 : Utf16Tail(pending_, littleEndian_);
  const size_t whole = pending_.size() - tail;
  AppendUtf16(std::string_view(pending_).substr(0, whole), littleEndian_, text_);
  pending_.erase(0, whole);
  if (atEnd) file_.close();
  return !atEnd || whole > 0;
}

std::string TextInput::ContentSha256() {
  if (hasher_) hasher_->Wait();
  return content_.HexDigest();
}

void TextInput::Close() {
  hasher_.reset();  // joined before content_ is reset
  file_.close();
  file_.clear();
  utf16_ = littleEndian_ = lastLineCut_ = false;
  pending_.clear();
  text_.clear();
  start_ = 0;
  bytesRead_ = 0;
  totalBytes_ = 0;
  content_ = Sha256();
  contentBytes_ = 0;
}

}  // namespace vo
