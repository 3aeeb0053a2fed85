// SHA-256 of a byte stream fed in pieces: what tells one imported file's
// content from another's. Update as the bytes arrive, then HexDigest once.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vo {

class Sha256 {
 public:
  Sha256();
  void Update(std::string_view bytes);
  // The digest of everything fed so far as 64 lower-case hex digits. Ends the
  // stream: feed nothing after it.
  std::string HexDigest();

 private:
  void Compress(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // bytes fed
};

}  // namespace vo
