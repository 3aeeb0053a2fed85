// The rows of one select, copied out of the database by Database::GetQueryResult.
// Every cell is text; SQL NULL arrives as the empty text. Rows keep the select
// list's column order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vo {

class DBQueryResult {
 public:
  using Row = std::vector<std::string>;

  DBQueryResult() = default;

  size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  std::vector<Row>::const_iterator begin() const { return rows_.begin(); }
  std::vector<Row>::const_iterator end() const { return rows_.end(); }
  const Row& operator[](size_t i) const { return rows_[i]; }

  // Names of the result's columns, in select-list order.
  const std::vector<std::string>& getFields() const { return fields_; }
  void setAutoDelete(bool autoDelete) { autoDelete_ = autoDelete; }

  // Replaces the whole content; used by Database.
  void Assign(std::vector<std::string> fields, std::vector<Row> rows) {
    fields_ = std::move(fields);
    rows_ = std::move(rows);
  }

 private:
  std::vector<std::string> fields_;
  std::vector<Row> rows_;
  bool autoDelete_ = false;
};

}  // namespace vo
