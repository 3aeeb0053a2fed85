// SHA-256 against digests from sha256sum and the standard's own examples,
// fed whole and in uneven pieces, across the padding boundaries.
#include "values/Sha256.h"

#include <gtest/gtest.h>

#include <string>

using namespace vo;

namespace {

std::string Digest(const std::string& bytes, size_t piece) {
  Sha256 hash;
  for (size_t at = 0; at < bytes.size(); at += piece) hash.Update(std::string_view(bytes).substr(at, piece));
  return hash.HexDigest();
}

TEST(Sha256Test, MatchesKnownDigestsWholeAndInPieces) {
  struct Case {
    std::string bytes;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
      {std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
      {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
      {std::string(119, 'x'), "000b48d4edf0fa7bee3c6236ecd2785baa5db4eeb8bb54341b029e0d9fa5fb0c"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    for (size_t piece : {size_t{1}, size_t{7}, size_t{64}, c.bytes.size() + 1}) {
      EXPECT_EQ(Digest(c.bytes, piece), c.digest) << c.bytes.size() << " bytes in pieces of " << piece;
    }
  }
}

}  // namespace
