// One gain/loss group held as text fields by grp_table column index (10 fields,
// all present from construction, each empty).
#pragma once

#include <array>
#include <string>

class GroupRecord {
 public:
  static constexpr int kFieldCount = 10;

  std::string GetField(int index) const;
  void SetField(int index, const std::string& text);
  void SetField(int index, int value);
  void SetField(int index, unsigned long value);

 private:
  std::array<std::string, kFieldCount> fields_;
};
