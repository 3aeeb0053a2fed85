#include "ledgerdb/DBData.h"

namespace vo {

DBData::DBData(const std::string& schemaName) : schema_(schemaName) {}

bool DBData::SetField(const std::string& name, const std::string& value) {
  fields_[name] = value;
  return true;
}

bool DBData::SetField(const std::string& name, int value) {
  return SetField(name, std::to_string(value));
}

std::string DBData::GetField(const std::string& name) const {
  auto it = fields_.find(name);
  return it == fields_.end() ? std::string() : it->second;
}

}  // namespace vo
