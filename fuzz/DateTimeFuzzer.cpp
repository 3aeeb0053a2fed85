// Feeds arbitrary text to the date readers used on database cells and broker
// files, then shifts and compares what they read. The packed form must round
// trip, and neither a reader nor a shift may crash, overflow or hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "values/DateTime.h"

using namespace vo;

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

void CheckRoundTrip(const DateTime& value) {
  Check(DateTime(value.packed()).packed() == value.packed());
  // Packed text is read as a signed number: years from 32768 on do not come back.
  if (value.packed() <= INT64_MAX) {
    Check(DateTime(value.ToPackedText()).packed() == (value.packed() > 99 ? value.packed() : 0));
  }
  Check(value.ToDisplayText().size() >= 19);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first 12 bytes, when present, are six shift amounts; the rest is text.
  uint16_t amounts[6] = {};
  size_t amountBytes = size >= sizeof amounts ? sizeof amounts : 0;
  std::memcpy(amounts, data, amountBytes);
  std::string text(reinterpret_cast<const char*>(data) + amountBytes, size - amountBytes);

  DateTime parsed(text);
  CheckRoundTrip(parsed);

  DateTime loose(DateTime::ParseLoose(text));
  CheckRoundTrip(loose);

  DateTime shifted = parsed;
  shifted.Add(amounts[0], amounts[1], amounts[2], amounts[3], amounts[4], amounts[5]);
  CheckRoundTrip(shifted);
  shifted.Subtract(amounts[0], amounts[1], amounts[2], amounts[3], amounts[4], amounts[5]);
  CheckRoundTrip(shifted);

  int held = DateTime::HeldTerm(text, loose.ToDisplayText());
  Check(held >= 1 && held <= 3);
  return 0;
}
