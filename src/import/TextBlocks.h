// Append-only storage for many small entries of texts and numbers, kept back
// to back in large blocks rather than as millions of small strings: one
// allocation per few megabytes instead of one (or several) per entry. Each
// number is stored in 7-bit groups, low first, the high bit set when more
// follow; a text is its length so stored, then its bytes. An entry never
// spans two blocks, and blocks never move, so views into them stay valid
// until Release. Blocks are mapped straight from the system and may be
// backed by huge pages: filling a gigabyte then costs a few hundred page
// faults rather than a quarter of a million.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace vo {

class TextBlocks {
 public:
  // Where an entry starts.
  struct Position {
    uint32_t block;
    uint32_t offset;
  };

  // Reads an entry's pieces in the order they were put.
  class Reader {
   public:
    uint64_t Number();
    std::string_view Text();

   private:
    friend class TextBlocks;
    explicit Reader(const char* at) : at_(at) {}
    const char* at_;
  };

  // The bytes a number or a text takes.
  static size_t NumberBytes(uint64_t number);
  static size_t TextBytes(std::string_view text) { return NumberBytes(text.size()) + text.size(); }

  // Starts an entry of exactly `bytes` bytes, to be filled by Put calls.
  Position Start(size_t bytes);
  void PutNumber(uint64_t number);
  void PutText(std::string_view text);

  Reader Read(Position position) const {
    return Reader(blocks_[position.block].start + position.offset);
  }
  // Frees every block.
  void Release();

 private:
  // One mapping, unmapped when it goes.
  struct Block {
    explicit Block(size_t size);
    ~Block();
    Block(Block&& other) noexcept : start(std::exchange(other.start, nullptr)), size(other.size) {}
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    Block& operator=(Block&&) = delete;
    char* start;
    size_t size;
  };

  std::vector<Block> blocks_;
  char* next_ = nullptr;  // where the next Put writes
  size_t left_ = 0;       // bytes left in the last block
  size_t used_ = 0;       // bytes used in the last block
};

}  // namespace vo
