// A RowSink that keeps the rows it is given as JSON for an API answer:
// "columns" (the names) and "rows" (arrays of cells, all strings), at most
// `limit` rows; `more` says whether the read went past them.
#pragma once

#include <json/json.h>

#include <cstddef>
#include <string>
#include <vector>

#include "voservices/Ledger.h"

class JsonRows : public VoServices::RowSink {
 public:
  explicit JsonRows(size_t limit) : limit_(limit) {}
  void Columns(const std::vector<std::string>& names) override;
  bool Row(const std::vector<std::string>& cells) override;
  // Adds one row as given (a dry run's rows come through a callback).
  void Add(const std::vector<std::string>& cells) { Row(cells); }

  const Json::Value& columns() const { return columns_; }
  const Json::Value& rows() const { return rows_; }
  size_t count() const { return count_; }  // every row seen, kept or not
  bool more() const { return count_ > limit_; }

 private:
  size_t limit_;
  size_t count_ = 0;
  Json::Value columns_{Json::arrayValue};
  Json::Value rows_{Json::arrayValue};
};
