#include "import/DecodeArena.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace {

constexpr size_t kChunkBytes = size_t{32} << 20;

}  // namespace

DecodeArena::~DecodeArena() {
  for (const Chunk& chunk : chunks_) munmap(chunk.start, chunk.size);
}

void* DecodeArena::do_allocate(size_t bytes, size_t alignment) {
  size_t pad = (alignment - reinterpret_cast<uintptr_t>(next_) % alignment) % alignment;
  if (pad + bytes > left_) {
    size_t size = bytes + alignment > kChunkBytes ? bytes + alignment : kChunkBytes;
    void* start = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (start == MAP_FAILED) throw std::bad_alloc();
    // Only a hint: without huge pages the memory works the same.
    madvise(start, size, MADV_HUGEPAGE);
    chunks_.push_back({start, size});
    next_ = static_cast<char*>(start);
    left_ = size;
    pad = 0;
  }
  void* block = next_ + pad;
  next_ += pad + bytes;
  left_ -= pad + bytes;
  return block;
}
