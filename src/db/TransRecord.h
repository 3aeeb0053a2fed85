// One transaction held as text fields by trans_table column index (at most 30).
// Owned by whoever built it.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vo {

class TransRecord {
 public:
  static constexpr int kMaxFields = 30;

  TransRecord() = default;
  // Takes the first 30 cells of a result row (fewer if the row is shorter).
  explicit TransRecord(const std::vector<std::string>& row);
  TransRecord(const TransRecord& other) = default;
  TransRecord& operator=(const TransRecord& other) = default;

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // The field's text; empty when the record has no such field.
  std::string GetField(int index) const;
  // Replace an existing field; a record without that index is left unchanged.
  void SetField(int index, const std::string& text);
  void SetField(int index, int value);
  void SetField(int index, unsigned long value);

 private:
  std::map<int, std::string> fields_;
};

}  // namespace vo
