#include "import/TextBlocks.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace vo {

namespace {

constexpr size_t kBlockSize = size_t{4} << 20;  // two huge pages

}  // namespace

TextBlocks::Block::Block(size_t bytes) : start(nullptr), size(bytes) {
  void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  // Only a hint: without huge pages the memory works the same.
  madvise(mapped, size, MADV_HUGEPAGE);
  start = static_cast<char*>(mapped);
}

TextBlocks::Block::~Block() {
  if (start) munmap(start, size);
}

uint64_t TextBlocks::Reader::Number() {
  uint64_t number = 0;
  for (int shift = 0;; shift += 7) {
    auto byte = static_cast<unsigned char>(*at_++);
    number |= uint64_t{byte & 0x7Fu} << shift;
    if (byte < 0x80) return number;
  }
}

std::string_view TextBlocks::Reader::Text() {
  size_t length = Number();
  std::string_view text(at_, length);
  at_ += length;
  return text;
}

size_t TextBlocks::NumberBytes(uint64_t number) {
  size_t bytes = 1;
  while (number >= 0x80) {
    number >>= 7;
    ++bytes;
  }
  return bytes;
}

TextBlocks::Position TextBlocks::Start(size_t bytes) {
  if (bytes > UINT32_MAX) throw std::length_error("TextBlocks: entry too large");
  if (blocks_.empty() || bytes > left_) {
    // A block of its own for an entry larger than a block.
    size_t size = std::max(kBlockSize, bytes);
    if (blocks_.size() >= UINT32_MAX) throw std::length_error("TextBlocks: too many blocks");
    blocks_.emplace_back(size);
    next_ = blocks_.back().start;
    left_ = size;
    used_ = 0;
  }
  Position position{static_cast<uint32_t>(blocks_.size() - 1), static_cast<uint32_t>(used_)};
  left_ -= bytes;
  used_ += bytes;
  return position;
}

void TextBlocks::PutNumber(uint64_t number) {
  while (number >= 0x80) {
    *next_++ = static_cast<char>((number & 0x7F) | 0x80);
    number >>= 7;
  }
  *next_++ = static_cast<char>(number);
}

void TextBlocks::PutText(std::string_view text) {
  PutNumber(text.size());
  std::memcpy(next_, text.data(), text.size());
  next_ += text.size();
}

void TextBlocks::Release() {
  std::vector<Block>().swap(blocks_);
  next_ = nullptr;
  left_ = 0;
  used_ = 0;
}

}  // namespace vo
