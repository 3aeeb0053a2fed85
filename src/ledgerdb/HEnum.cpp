#include "ledgerdb/HEnum.h"

#include <memory>

namespace vo {

namespace {

// The registry: every enumeration under its name, owned until Destruct.
std::map<std::string, std::unique_ptr<HEnum>>& Registry() {
  static std::map<std::string, std::unique_ptr<HEnum>> registry;
  return registry;
}

}  // namespace

void HEnum::Add(const std::string& memberName, int32_t value, const std::string& friendly) {
  byName_[memberName] = value;
  byValue_[value] = friendly;
  byFriendly_[friendly] = value;
}

int32_t HEnum::GetValue(std::string memberName) const {
  auto it = byName_.find(memberName);
  return it == byName_.end() ? 0 : it->second;
}

int32_t HEnum::GetByFriendlyString(const std::string& text) const {
  auto it = byFriendly_.find(text);
  return it == byFriendly_.end() ? kNoValue : it->second;
}

std::string HEnum::GetFriendlyString(int32_t value) const {
  auto it = byValue_.find(value);
  return it == byValue_.end() ? std::string() : it->second;
}

const std::string* HEnum::FindFriendlyString(int32_t value) const {
  auto it = byValue_.find(value);
  return it == byValue_.end() ? nullptr : &it->second;
}

void HEnum::AddEnum(const std::string& name, HEnum* enumeration) {
  std::unique_ptr<HEnum>& slot = Registry()[name];
  // Entering the object already held under the name must not free it.
  if (slot.get() != enumeration) slot.reset(enumeration);
}

const HEnum* HEnum::GetEnum(const std::string& name) {
  auto& registry = Registry();
  auto it = registry.find(name);
  return it == registry.end() ? nullptr : it->second.get();
}

void HEnum::Destruct() { Registry().clear(); }

}  // namespace vo
