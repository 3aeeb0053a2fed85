// One gain/loss group held as text fields by grp_table column index (10 fields,
// all present from construction, each empty). Owned by whoever built it.
#pragma once

#include <array>
#include <string>

namespace vo {

class GroupRecord {
 public:
  static constexpr int kFieldCount = 10;

  // Field indexes, one per grp_table column.
  static constexpr int kGrpId = 0;
  static constexpr int kGrpType = 1;
  static constexpr int kGrpQty = 2;
  static constexpr int kGrpStGl = 3;
  static constexpr int kGrpLtGl = 4;
  static constexpr int kGrpVltGl = 5;
  static constexpr int kTransIdOpen = 6;
  static constexpr int kTransIdClose = 7;
  static constexpr int kGrpOpenQty = 8;
  static constexpr int kGrpLocked = 9;

  // The field's text; empty for an index outside 0..9.
  std::string GetField(int index) const;
  // Replaces a field's text (numbers in plain decimal); an index outside 0..9 is ignored.
  void SetField(int index, const std::string& text);
  void SetField(int index, int value);
  void SetField(int index, unsigned long value);

 private:
  std::array<std::string, kFieldCount> fields_;
};

}  // namespace vo
