// A named enumeration shared with the application: member name -> value,
// value -> friendly string, friendly string -> value. The registry (static
// members) holds every enumeration under its name for the life of the process.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace vo {

class HEnum {
 public:
  // Returned by GetByFriendlyString for a text that no member has.
  static constexpr int32_t kNoValue = INT32_MIN;

  HEnum() = default;
  ~HEnum() = default;
  HEnum(const HEnum&) = default;
  HEnum& operator=(const HEnum&) = default;

  // Adds a member, overwriting entries already held under the same keys.
  void Add(const std::string& memberName, int32_t value, const std::string& friendly);

  // The value of a member name; 0 for a name that is no member.
  int32_t GetValue(std::string memberName) const;
  const std::map<std::string, int32_t>& GetValues() const { return byName_; }
  // The value held for a friendly string; kNoValue when none.
  int32_t GetByFriendlyString(const std::string& text) const;
  // The friendly string of a value; the empty text when none.
  std::string GetFriendlyString(int32_t value) const;
  // The same without a copy, for readers of many cells; null when none.
  const std::string* FindFriendlyString(int32_t value) const;

  // Members in ascending value order, as (value, friendly string).
  std::map<int32_t, std::string>::const_iterator begin() const { return byValue_.begin(); }
  std::map<int32_t, std::string>::const_iterator end() const { return byValue_.end(); }

  // Registry, filled while the library loads and only read afterwards.
  // AddEnum takes ownership; an object already entered under the name is
  // replaced and freed. GetEnum returns null for an unknown name; its result
  // lives until Destruct, which frees every enumeration.
  static void AddEnum(const std::string& name, HEnum* enumeration);
  static const HEnum* GetEnum(const std::string& name);
  static void Destruct();

 private:
  std::map<std::string, int32_t> byName_;
  std::map<int32_t, std::string> byValue_;
  std::map<std::string, int32_t> byFriendly_;
};

}  // namespace vo
