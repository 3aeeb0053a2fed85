// Memory for the maps of one import's decoded rows: allocation is a pointer
// bump in large chunks that the kernel may back with huge pages, and freeing
// one row is free. A million decoded rows then cost neither a million trips
// through malloc nor a TLB miss on every map step. Everything is returned to
// the system when the arena goes, so the maps that use it must go first.
#pragma once

#include <cstddef>
#include <memory_resource>
#include <vector>

class DecodeArena : public std::pmr::memory_resource {
 public:
  DecodeArena() = default;
  ~DecodeArena() override;
  DecodeArena(const DecodeArena&) = delete;
  DecodeArena& operator=(const DecodeArena&) = delete;

 private:
  struct Chunk {
    void* start;
    size_t size;
  };

  void* do_allocate(size_t bytes, size_t alignment) override;
  void do_deallocate(void*, size_t, size_t) override {}
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  std::vector<Chunk> chunks_;
  char* next_ = nullptr;
  size_t left_ = 0;
};
