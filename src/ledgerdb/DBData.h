// One row's worth of named fields for an insert or an update, tagged with the
// schema ("trans_schema", "sym_schema", ...) of the table it is meant for.
// Values are text; the text "NULL" stands for SQL NULL (an id left to the database).
#pragma once

#include <map>
#include <string>

namespace vo {

class DBData {
 public:
  using FieldMap = std::map<std::string, std::string>;

  DBData() = default;
  explicit DBData(const std::string& schemaName);

  const std::string& schemaName() const { return schema_; }

  // Sets (or replaces) a field. Always returns true.
  bool SetField(const std::string& name, const std::string& value);
  bool SetField(const std::string& name, int value);

  // The field's text, or the empty text when the row has no such field.
  std::string GetField(const std::string& name) const;
  bool HasField(const std::string& name) const { return fields_.count(name) != 0; }

  // Fields in column-name order.
  FieldMap::const_iterator begin() const { return fields_.begin(); }
  FieldMap::const_iterator end() const { return fields_.end(); }
  size_t size() const { return fields_.size(); }

 private:
  std::string schema_;
  FieldMap fields_;
};

}  // namespace vo
