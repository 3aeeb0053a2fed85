#include "ledgerdb/HEnum.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

using namespace vo;

namespace {

// All three indexes rendered one per line, so a failure shows the whole object.
std::string Render(const HEnum& e) {
  std::ostringstream out;
  for (const auto& [name, value] : e.GetValues()) out << name << "=" << value << ";";
  out << "\n";
  for (const auto& [value, friendly] : e) {
    out << value << ":" << friendly << "->" << e.GetByFriendlyString(friendly) << ";";
  }
  return out.str();
}

HEnum Sample() {
  HEnum e;
  e.Add("Low", 1, "shared");
  e.Add("High", 7, "shared");
  e.Add("Mid", 3, "own");
  return e;
}

TEST(HEnumTest, LaterAddOverwritesEachIndexSeparately) {
  HEnum e = Sample();
  EXPECT_EQ(Render(e), "High=7;Low=1;Mid=3;\n1:shared->7;3:own->3;7:shared->7;");

  e.Add("Mid", 9, "moved");  // same name, new value and text
  EXPECT_EQ(Render(e), "High=7;Low=1;Mid=9;\n1:shared->7;3:own->3;7:shared->7;9:moved->9;");
  EXPECT_EQ(e.GetByFriendlyString("own"), 3);
}

TEST(HEnumTest, RegistryReplacesByNameAndKeepsAnObjectEnteredTwice) {
  auto first = std::make_unique<HEnum>(Sample());
  HEnum* firstRaw = first.get();
  HEnum::AddEnum("HEnumTestOnly", first.release());
  HEnum::AddEnum("HEnumTestOnly", firstRaw);
  ASSERT_EQ(HEnum::GetEnum("HEnumTestOnly"), firstRaw);
  EXPECT_EQ(HEnum::GetEnum("HEnumTestOnly")->GetValue("High"), 7);

  auto second = std::make_unique<HEnum>();
  second->Add("Only", 11, "only");
  HEnum::AddEnum("HEnumTestOnly", second.release());
  EXPECT_EQ(HEnum::GetEnum("HEnumTestOnly")->GetValue("High"), 0);
  EXPECT_EQ(HEnum::GetEnum("HEnumTestOnly")->GetValue("Only"), 11);

  EXPECT_EQ(HEnum::GetEnum("hEnumTestOnly"), nullptr);
}

}  // namespace
